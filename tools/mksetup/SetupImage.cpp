#include "tools/mksetup/SetupImage.h"

#include <cctype>

#include "installer/SettingsRecord.h"
#include "platform/IconFile.h"
#include "platform/PEFileResources.h"
#include "platform/PEResourceWriter.h"
#include "platform/PEVersionInfo.h"

namespace {

constexpr const char* TypeIcon = "#3";
constexpr const char* TypeGroupIcon = "#14";
constexpr const char* TypeVersion = "#16";
constexpr const char* TypeManifest = "#24";
constexpr uint16_t EnglishUS = 0x0409;

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// The stub's manifest with the description and the assembly's version
// following the settings; the rest of it as the stub has it.
std::vector<uint8_t> EditManifest(const std::vector<uint8_t>& manifest, const std::string& description,
                                  const std::string& version, const std::string& stubName)
{
    std::string text(manifest.begin(), manifest.end());
    const auto refuse = [&](const std::string& what) {
        return EMkSetupError(stubName + " is not a setup stub: its manifest has no " + what);
    };
    const size_t open = text.find("<description>");
    const size_t close = open == std::string::npos ? open : text.find("</description>", open);
    if (close == std::string::npos)
        throw refuse("<description>");
    const size_t from = open + std::string("<description>").size();
    text.replace(from, close - from, XmlEscaped(description));

    const size_t identity = text.find("<assemblyIdentity");
    const size_t end = identity == std::string::npos ? identity : text.find('>', identity);
    const size_t attribute = end == std::string::npos ? end : text.find(" version=\"", identity);
    if (attribute == std::string::npos || attribute > end)
        throw refuse("assembly version");
    const size_t valueAt = attribute + std::string(" version=\"").size();
    const size_t valueEnd = text.find('"', valueAt);
    text.replace(valueAt, valueEnd - valueAt, version);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

// A settings text (in the target code page) as the UTF-8 that version
// information and manifests are written from.
std::string Utf8Of(const std::string& text, unsigned codePage)
{
    return Utf16ToUtf8(AnsiToUtf16(std::string_view(text), codePage));
}

std::string FourPart(const std::array<uint16_t, 4>& numbers)
{
    return std::to_string(numbers[0]) + "." + std::to_string(numbers[1]) + "." + std::to_string(numbers[2]) + "." +
           std::to_string(numbers[3]);
}

// One program's version information: the release's version, the product's
// name, and the publisher and copyright when the settings give them.
std::vector<uint8_t> VersionResource(const TSetupImageInput& input, const std::string& description,
                                     const std::string& internalName)
{
    const std::string version = VersionText(input);
    const unsigned cp = input.CodePage;
    TVersionInfo info;
    info.FileVersion = info.ProductVersion = ParseVersion(version);
    if (!input.Settings.Publisher.empty())
        info.Strings.emplace_back("CompanyName", Utf8Of(input.Settings.Publisher, cp));
    info.Strings.emplace_back("FileDescription", Utf8Of(description, cp));
    info.Strings.emplace_back("FileVersion", version);
    info.Strings.emplace_back("InternalName", internalName);
    if (!input.Settings.Copyright.empty())
        info.Strings.emplace_back("LegalCopyright", Utf8Of(input.Settings.Copyright, cp));
    info.Strings.emplace_back("OriginalFilename", internalName + ".exe");
    info.Strings.emplace_back("ProductName", Utf8Of(input.Settings.ProgramName, cp));
    info.Strings.emplace_back("ProductVersion", version);
    return BuildVersionResource(info);
}

} // namespace

std::array<uint16_t, 4> ParseVersion(const std::string& text)
{
    std::array<uint16_t, 4> numbers{};
    size_t part = 0, digits = 0;
    uint32_t value = 0;
    const auto bad = [&] { return EMkSetupError("\"" + text + "\" is not a version of 1 to 4 numbers such as 2.8.0"); };
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '.') {
            if (digits == 0 || part == 4)
                throw bad();
            numbers[part++] = static_cast<uint16_t>(value);
            value = 0;
            digits = 0;
        } else if (text[i] >= '0' && text[i] <= '9' && digits < 5) {
            value = value * 10 + static_cast<uint32_t>(text[i] - '0');
            ++digits;
            if (value > 0xFFFF)
                throw bad();
        } else {
            throw bad();
        }
    }
    return numbers;
}

std::string VersionText(const TSetupImageInput& input)
{
    for (const std::string* given : {&input.Version, &input.Settings.Version})
        if (!given->empty()) {
            ParseVersion(*given);
            return *given;
        }
    const std::string& caption = input.Settings.CaptionName;
    const size_t space = caption.find_last_of(' ');
    const std::string last = space == std::string::npos ? caption : caption.substr(space + 1);
    try {
        ParseVersion(last);
    } catch (const EMkSetupError&) {
        throw EMkSetupError("CaptionName \"" + caption + "\" does not end in a version such as 2.8.0; give --version");
    }
    return last;
}

std::vector<uint8_t> MakeSetupImage(const TSetupImageInput& input)
{
    const std::string& stub = input.StubName;
    std::vector<TPEResourceItem> found;
    try {
        found = ReadAllPEResources(input.Stub);
    } catch (const EResNotFound&) {
        throw EMkSetupError(stub + " is not a setup stub: not a Windows program with readable resources");
    }
    bool marked = false, manifest = false;
    for (const TPEResourceItem& item : found) {
        marked = marked || (SameText(item.Type, StubMarkerType) && SameText(item.Name, StubMarkerName));
        manifest = manifest || item.Type == TypeManifest;
        if (SameText(item.Type, "ARCHIVE") || SameText(item.Type, SettingsResourceType))
            throw EMkSetupError(stub + " is a setup program already, not a setup stub");
    }
    if (!marked)
        throw EMkSetupError(stub + " is not a setup stub: it has no " + StubMarkerType + " resource");
    if (!manifest)
        throw EMkSetupError(stub + " is not a setup stub: it has no manifest");

    const std::string fourPart = FourPart(ParseVersion(VersionText(input)));
    const std::string description = input.Settings.CaptionName + " Setup";

    std::vector<TPEResourceItem> resources;
    std::string groupName = "#1";
    uint16_t iconLanguage = EnglishUS;
    for (TPEResourceItem& item : found) {
        if (item.Type == TypeGroupIcon) {
            groupName = item.Name;
            iconLanguage = item.Language;
        }
        if (item.Type == TypeVersion || (!input.Icon.empty() && (item.Type == TypeIcon || item.Type == TypeGroupIcon)))
            continue;
        if (item.Type == TypeManifest)
            item.Bytes = EditManifest(item.Bytes, Utf8Of(description, input.CodePage), fourPart, stub);
        resources.push_back(std::move(item));
    }
    if (!input.Icon.empty()) {
        try {
            for (TPEResourceItem& item : IconFileResources(input.Icon, groupName, iconLanguage))
                resources.push_back(std::move(item));
        } catch (const EIconFileError& e) {
            throw EMkSetupError("the icon: " + e.Message());
        }
    }
    resources.push_back({TypeVersion, "#1", EnglishUS, VersionResource(input, description, "setup")});
    resources.push_back({"ARCHIVE", "DATA", EnglishUS, input.Archive});
    // The record carries the version the Uninstall key shows.
    TSetupControl settings = input.Settings;
    settings.Version = VersionText(input);
    // Names and texts are read back in the code page they were written in,
    // whatever the system the setup program runs on.
    settings.CodePage = input.CodePage;
    resources.push_back({SettingsResourceType, SettingsResourceName, EnglishUS, Bytes(SettingsText(settings))});
    try {
        return ReplacePEResources(input.Stub, resources);
    } catch (const EPEImageError& e) {
        throw EMkSetupError(stub + " cannot be made into a setup program: " + e.Message());
    }
}

std::vector<uint8_t> MakeUninstallerImage(const std::vector<uint8_t>& program, const std::string& programName,
                                          const TSetupImageInput& input)
{
    std::vector<TPEResourceItem> resources;
    try {
        resources = ReadAllPEResources(program);
    } catch (const EResNotFound&) {
        throw EMkSetupError(programName + " is not an uninstaller: not a Windows program with readable resources");
    }
    std::erase_if(resources, [](const TPEResourceItem& item) { return item.Type == TypeVersion; });
    const std::string description = input.Settings.CaptionName + " Uninstall";
    for (TPEResourceItem& item : resources)
        if (item.Type == TypeManifest) {
            try {
                item.Bytes = EditManifest(item.Bytes, Utf8Of(description, input.CodePage),
                                          FourPart(ParseVersion(VersionText(input))), programName);
            } catch (const EMkSetupError&) {
                // A manifest without description or version has nothing to follow.
            }
        }
    resources.push_back({TypeVersion, "#1", EnglishUS, VersionResource(input, description, "unzarn")});
    try {
        return ReplacePEResources(program, resources);
    } catch (const EPEImageError& e) {
        throw EMkSetupError(programName + " cannot take the release's version: " + e.Message());
    }
}
