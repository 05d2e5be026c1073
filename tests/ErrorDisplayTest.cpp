// The error display's full-stop rule: a "." only after a character that sorts after it.
#include <gtest/gtest.h>

#include "platform/ErrorDisplay.h"

TEST(ErrorDisplayTest, FullStopOnlyAfterCharactersSortingAfterIt)
{
    const std::pair<std::string, std::string> cases[] = {
        {"Disk full", "Disk full."},
        {"Archive is truncated.", "Archive is truncated."},
        {"Cannot create file \"C:\\x\\install.log\"", "Cannot create file \"C:\\x\\install.log\""},
        {"Failed to set data for 'DisplayName'", "Failed to set data for 'DisplayName'"},
        {"error (5)", "error (5)"},
        {"range 1-", "range 1-"},      // '-' sorts just before '.'
        {"path C:/", "path C:/."},     // '/' just after it
        {"code 0", "code 0."},
        {"caf\xE9", "caf\xE9."},       // an ANSI letter above 127
        {"", ""},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(ErrorDisplayText(message), shown) << message;
}
