#include "tools/mksetup/SettingsCheck.h"

#include "installer/Shortcuts.h"
#include "uninstaller/UninstallLog.h"
#include "platform/CodePage.h"
#include "tools/mksetup/SetupImage.h"

std::string SettingsTextInCodePage(const std::string& utf8, unsigned codePage)
{
    const size_t bom = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    std::string text;
    size_t lineNumber = 1;
    for (size_t start = bom; start <= utf8.size(); ++lineNumber) {
        size_t end = utf8.find('\n', start);
        if (end == std::string::npos)
            end = utf8.size();
        const std::string_view line = std::string_view(utf8).substr(start, end - start);
        std::u16string wide;
        try {
            wide = Utf8ToUtf16(line);
        } catch (const EConvertError&) {
            throw EMkSetupError("line " + std::to_string(lineNumber) + " is not UTF-8 text (save the file as UTF-8)");
        }
        std::string ansi;
        if (!Utf16ToAnsi(wide, codePage, ansi))
            throw EMkSetupError("line " + std::to_string(lineNumber) + " holds a character that code page " +
                                std::to_string(codePage) + " cannot (--codepage)");
        text += ansi;
        if (end < utf8.size())
            text += '\n';
        start = end + 1;
    }
    return text;
}

void CheckSettings(const TSetupControl& settings, unsigned codePage)
{
    if (settings.CodePage != 0)
        throw EMkSetupError("CodePage is not a setting of the file: give --codepage " +
                            std::to_string(settings.CodePage));
    // The uninstaller's own reading of the log's first lines decides.
    try {
        ParseUninstallLog("*** Install started: 1\r\nAppName: " + AnsiToUtf8(settings.ProgramName, codePage) + "\r\n");
    } catch (const EUninstallLogError&) {
        throw EMkSetupError("ProgramName \"" + AnsiToUtf8(settings.ProgramName, codePage) +
                            "\": the uninstaller would refuse it; give a plain name: not empty, none of "
                            "\\ / : * ? \" < > |, no blank at either end, no dot at the end");
    }
    if (!SameAnsiTextIgnoringCase(settings.Uninstaller, UninstallerName, codePage))
        throw EMkSetupError("Uninstaller \"" + Utf16ToUtf8(AnsiToUtf16(settings.Uninstaller, codePage)) +
                            "\": the installer places and registers the uninstaller as " + UninstallerName +
                            "; name it so");
}
