#include "installer/SettingsRecord.h"

#include <map>

#include "platform/CodePage.h"
#include "platform/Resources.h"

namespace {

struct TTextField {
    const char* Name;
    std::string TSetupControl::*Field;
};
struct TFlagField {
    const char* Name;
    bool TSetupControl::*Field;
};

constexpr TTextField TextFields[] = {
    {"ProgramName", &TSetupControl::ProgramName}, {"CaptionName", &TSetupControl::CaptionName},
    {"TargetPath", &TSetupControl::TargetPath},   {"ExeName", &TSetupControl::ExeName},
    {"HelpFile", &TSetupControl::HelpFile},       {"Uninstaller", &TSetupControl::Uninstaller}};
constexpr TFlagField FlagFields[] = {{"Custom", &TSetupControl::Custom},
                                     {"ShortcutDesktop", &TSetupControl::ShortcutDesktop},
                                     {"ShortcutSendTo", &TSetupControl::ShortcutSendTo},
                                     {"ShortcutStartMenu", &TSetupControl::ShortcutStartMenu},
                                     {"RegisterExt", &TSetupControl::RegisterExt}};
// Optional texts: left out of a record, they stay empty.
constexpr TTextField OptionalFields[] = {{"Version", &TSetupControl::Version},
                                         {"Publisher", &TSetupControl::Publisher},
                                         {"Copyright", &TSetupControl::Copyright},
                                         {"URL", &TSetupControl::URL}};
constexpr const char* OrderName = "Order";
constexpr const char* CodePageName = "CodePage";

std::string Strip(const std::string& text)
{
    const char* blanks = " \t\r\n\f\v";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool IsName(const std::string& name)
{
    if (name.empty())
        return false;
    for (const char c : name)
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

bool Known(const std::string& name)
{
    for (const auto& f : TextFields)
        if (name == f.Name)
            return true;
    for (const auto& f : FlagFields)
        if (name == f.Name)
            return true;
    for (const auto& f : OptionalFields)
        if (name == f.Name)
            return true;
    return name == OrderName || name == CodePageName;
}

} // namespace

TSettingsFile ParseSettingsText(const std::string& text)
{
    std::map<std::string, std::string> values;
    // A UTF-8 byte order mark, as editors on Windows write one, is no part of the first line.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = Strip(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == ';')
            continue;
        const size_t equals = line.find('=');
        // Blanks around "=" are the file's layout, not part of the name or the value.
        const std::string name = equals == std::string::npos ? std::string() : Strip(line.substr(0, equals));
        if (!IsName(name))
            throw ESettingsError("not a Name=Value line: " + line);
        if (!Known(name))
            throw ESettingsError("unknown setting " + name);
        if (!values.emplace(name, Strip(line.substr(equals + 1))).second)
            throw ESettingsError(name + " is given twice");
    }

    TSettingsFile file;
    for (const auto& f : TextFields) {
        const auto found = values.find(f.Name);
        if (found == values.end())
            throw ESettingsError(std::string(f.Name) + " is missing");
        file.Settings.*f.Field = found->second;
    }
    for (const auto& f : FlagFields) {
        const auto found = values.find(f.Name);
        if (found == values.end())
            throw ESettingsError(std::string(f.Name) + " is missing");
        const std::string flag = Lower(Strip(found->second));
        if (flag != "true" && flag != "false")
            throw ESettingsError(std::string(f.Name) + " must be True or False");
        file.Settings.*f.Field = flag == "true";
    }
    for (const auto& f : OptionalFields)
        if (const auto found = values.find(f.Name); found != values.end())
            file.Settings.*f.Field = found->second;
    if (const auto codePage = values.find(CodePageName); codePage != values.end()) {
        const std::string& digits = codePage->second;
        unsigned number = 0;
        for (const char c : digits)
            number = c >= '0' && c <= '9' && number <= 65535 ? number * 10 + static_cast<unsigned>(c - '0') : 70000;
        if (number == 0 || number > 65535)
            throw ESettingsError("CodePage must be a code page's number");
        file.Settings.CodePage = number;
    }
    if (const auto order = values.find(OrderName); order != values.end()) {
        size_t from = 0;
        const std::string& list = order->second;
        while (from <= list.size()) {
            size_t semicolon = list.find(';', from);
            if (semicolon == std::string::npos)
                semicolon = list.size();
            const std::string item = Strip(list.substr(from, semicolon - from));
            if (!item.empty())
                file.Order.push_back(item);
            from = semicolon + 1;
        }
    }
    return file;
}

std::string SettingsText(const TSetupControl& settings)
{
    std::string text;
    for (const auto& f : TextFields)
        text += std::string(f.Name) + "=" + settings.*f.Field + "\r\n";
    for (const auto& f : FlagFields)
        text += std::string(f.Name) + "=" + (settings.*f.Field ? "True" : "False") + "\r\n";
    for (const auto& f : OptionalFields)
        if (!(settings.*f.Field).empty())
            text += std::string(f.Name) + "=" + settings.*f.Field + "\r\n";
    if (settings.CodePage != 0)
        text += std::string(CodePageName) + "=" + std::to_string(settings.CodePage) + "\r\n";
    return text;
}

TSetupControl EmbeddedSettings(TResourceProvider& resources, unsigned systemCodePage)
{
    std::unique_ptr<TStream> stream;
    try {
        stream = resources.OpenResource("", SettingsResourceType, SettingsResourceName);
    } catch (const EResNotFound&) {
        throw ENoSettingsRecord("This program carries no settings record");
    }
    std::string text(static_cast<size_t>(stream->Size()), '\0');
    if (!text.empty())
        stream->ReadBuffer(text.data(), static_cast<int32_t>(text.size()));
    // The names and "=" lines are ASCII, so the record's own code page can
    // be read before its texts are.
    unsigned codePage = ParseSettingsText(text).Settings.CodePage;
    if (codePage == 0)
        codePage = systemCodePage;
    try {
        text = AnsiToUtf8(text, codePage);
    } catch (const EConvertError&) {
        throw ESettingsError("The settings record is not text of code page " + std::to_string(codePage));
    }
    TSetupControl settings = ParseSettingsText(text).Settings;
    settings.CodePage = codePage;
    return settings;
}
