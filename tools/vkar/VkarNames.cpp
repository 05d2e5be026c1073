#include "tools/vkar/VkarNames.h"

#include "platform/CodePage.h"

unsigned VkarNameCodePage()
{
#ifdef _WIN32
    return AnsiCodePage();
#else
    return 0;
#endif
}

bool VkarStoredName(const std::string& name, std::string& stored)
{
    const unsigned codePage = VkarNameCodePage();
    if (codePage == 0) {
        stored = name;
        return true;
    }
    return Utf8ToAnsi(name, codePage, stored);
}

std::string VkarUnstorableNameMessage()
{
    return "Name holds characters that code page " + std::to_string(VkarNameCodePage()) +
           " cannot store; not stored";
}
