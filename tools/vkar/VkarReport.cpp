#include "tools/vkar/VkarReport.h"

#include <cstdio>

#include "archive/ArchiveFormat.h"
#include "archive/ArchiverErrors.h"
#include "platform/PathRules.h"

namespace {

std::string GArchiveName;
std::FILE* GListing = nullptr; // standard output unless redirected

std::FILE* Listing() { return GListing != nullptr ? GListing : stdout; }

} // namespace

std::string VkarPrintable(const std::string& text)
{
    // Besides the C0 controls: the C1 controls, raw (an 8-bit terminal
    // takes 0x9B for CSI) or UTF-8 encoded, and the bidirectional overrides
    // and isolates, which make a name read as another. Other bytes stay, so
    // UTF-8 names read right.
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const auto next = [&](size_t k) { return i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0; };
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
            out += '?';
            ++i;
        } else if (c == 0xC2 && next(1) >= 0x80 && next(1) <= 0x9F) {
            out += '?';
            i += 2;
        } else if (c == 0xE2 && ((next(1) == 0x80 && next(2) >= 0xAA && next(2) <= 0xAE) ||
                                 (next(1) == 0x81 && next(2) >= 0xA6 && next(2) <= 0xA9))) {
            out += '?';
            i += 3;
        } else {
            // A whole UTF-8 sequence is passed on at once, so that its
            // continuation bytes (0x80-0xBF) are not taken for controls.
            size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 1;
            for (size_t k = 1; k < length; ++k)
                if ((next(k) & 0xC0) != 0x80)
                    length = 1;
            out.append(text, i, length);
            i += length;
        }
    }
    return out;
}

std::string VkarDisplayName(const std::string& storedName) { return VkarPrintable(ToNativePath(storedName)); }

std::string VkarArchiveName(const std::string& userName)
{
    std::string name = userName;
    for (char& c : name)
        if (c == '/')
            c = '\\';
    return name;
}

void VkarSetArchiveName(const std::string& archive) { GArchiveName = VkarPrintable(archive); }

void VkarReportError(const std::string& displayName, const std::string& message)
{
    const std::string name = displayName.empty() ? GArchiveName : VkarPrintable(displayName);
    const std::string text = VkarPrintable(message);
    std::fflush(stdout);
    if (name.empty())
        std::fprintf(stderr, "vkar: %s\n", text.c_str());
    else
        std::fprintf(stderr, "vkar: %s: %s\n", name.c_str(), text.c_str());
    std::fflush(stderr);
}

void VkarPrintLine(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), Listing());
    std::fputc('\n', Listing());
    if (Listing() == stderr)
        std::fflush(stderr);
}

void VkarListOnStandardError() { GListing = stderr; }

std::string VkarMethodName(unsigned methodIndex)
{
    if (methodIndex < CompressIDs.size())
        return CompressIDs[methodIndex];
    std::string name = std::to_string(methodIndex);
    name.insert(name.begin(), '#');
    return name;
}
