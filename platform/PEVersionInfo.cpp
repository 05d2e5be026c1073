#include "platform/PEVersionInfo.h"

#include "platform/CodePage.h"

namespace {

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PadTo4(std::vector<uint8_t>& out)
{
    while (out.size() % 4 != 0)
        out.push_back(0);
}
void PutText(std::vector<uint8_t>& out, const std::u16string& text)
{
    for (const char16_t c : text)
        Put16(out, c);
    Put16(out, 0);
}

// One block: length, value length, type (1 text, 0 binary), key, value and
// the children, each starting on a 4-byte boundary. The length counts
// everything but the padding after the last byte.
std::vector<uint8_t> Block(const std::string& key, const std::vector<uint8_t>& value, uint16_t valueLength,
                           uint16_t type, const std::vector<std::vector<uint8_t>>& children)
{
    std::vector<uint8_t> out(6, 0);
    PutText(out, Utf8ToUtf16Leniently(key));
    if (!value.empty()) {
        PadTo4(out);
        out.insert(out.end(), value.begin(), value.end());
    }
    for (const auto& child : children) {
        PadTo4(out);
        out.insert(out.end(), child.begin(), child.end());
    }
    out[0] = static_cast<uint8_t>(out.size());
    out[1] = static_cast<uint8_t>(out.size() >> 8);
    out[2] = static_cast<uint8_t>(valueLength);
    out[3] = static_cast<uint8_t>(valueLength >> 8);
    out[4] = static_cast<uint8_t>(type);
    return out;
}

std::vector<uint8_t> StringBlock(const std::string& name, const std::string& value)
{
    const std::u16string text = Utf8ToUtf16Leniently(value);
    std::vector<uint8_t> bytes;
    PutText(bytes, text);
    return Block(name, bytes, static_cast<uint16_t>(text.size() + 1), 1, {});
}

} // namespace

std::vector<uint8_t> BuildVersionResource(const TVersionInfo& info)
{
    std::vector<uint8_t> fixed;
    Put32(fixed, 0xFEEF04BD); // signature
    Put32(fixed, 0x00010000); // structure version 1.0
    Put32(fixed, static_cast<uint32_t>(info.FileVersion[0]) << 16 | info.FileVersion[1]);
    Put32(fixed, static_cast<uint32_t>(info.FileVersion[2]) << 16 | info.FileVersion[3]);
    Put32(fixed, static_cast<uint32_t>(info.ProductVersion[0]) << 16 | info.ProductVersion[1]);
    Put32(fixed, static_cast<uint32_t>(info.ProductVersion[2]) << 16 | info.ProductVersion[3]);
    Put32(fixed, 0x3F);       // flags mask
    Put32(fixed, 0);          // flags
    Put32(fixed, 0x00040004); // VOS_NT_WINDOWS32
    Put32(fixed, 1);          // VFT_APP
    Put32(fixed, 0);          // subtype
    Put32(fixed, 0);          // date, most significant
    Put32(fixed, 0);          // date, least significant

    std::vector<std::vector<uint8_t>> strings;
    for (const auto& [name, value] : info.Strings)
        strings.push_back(StringBlock(name, value));
    const auto table = Block("040904E4", {}, 0, 1, strings);
    const auto stringFileInfo = Block("StringFileInfo", {}, 0, 1, {table});
    std::vector<uint8_t> translation;
    Put16(translation, 0x0409); // US English
    Put16(translation, 1252);   // Windows-1252
    const auto var = Block("Translation", translation, 4, 0, {});
    const auto varFileInfo = Block("VarFileInfo", {}, 0, 1, {var});
    return Block("VS_VERSION_INFO", fixed, static_cast<uint16_t>(fixed.size()), 0, {stringFileInfo, varFileInfo});
}
