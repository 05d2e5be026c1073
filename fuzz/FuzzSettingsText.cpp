// Any text as a settings file: refused with a message, or a record whose
// own text reads back as the same record.
#include "fuzz/FuzzSupport.h"
#include "installer/SettingsRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSettingsFile file;
    try {
        file = ParseSettingsText(std::string(data, data + size));
    } catch (const ESettingsError&) {
        return 0;
    }
    const std::string text = SettingsText(file.Settings);
    FUZZ_CHECK(SettingsText(ParseSettingsText(text).Settings) == text);
    for (const std::string& name : file.Order)
        FUZZ_CHECK(!name.empty() && name.find(';') == std::string::npos);
    return 0;
}
