// Code pages other than 1252 through the C library's converters, which carry
// the same tables as Windows for the double-byte code pages (932 is
// "WINDOWS-31J" there, not plain Shift JIS).
#include <cerrno>
#include <iconv.h>
#include <string>

#include "platform/CodePage.h"

namespace {

std::string CharsetOf(unsigned codePage)
{
    switch (codePage) {
    case 932: return "WINDOWS-31J";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "BIG5";
    default: return "CP" + std::to_string(codePage);
    }
}

// Converts in one go; false on any sequence the converter refuses.
bool Convert(const std::string& from, const std::string& to, const char* data, size_t size, std::string& out)
{
    iconv_t cd = iconv_open(to.c_str(), from.c_str());
    if (cd == iconv_t(-1))
        throw EConvertError("Code page " + (from == "UTF-16LE" ? to : from) + " is not available");
    std::string result(size * 4 + 8, '\0');
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    char* outPtr = result.data();
    size_t outLeft = result.size();
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    const bool flushed = rc != size_t(-1) && iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != size_t(-1);
    iconv_close(cd);
    if (!flushed || inLeft != 0)
        return false;
    result.resize(result.size() - outLeft);
    out = std::move(result);
    return true;
}

} // namespace

std::u16string SystemAnsiToUtf16(std::string_view text, unsigned codePage)
{
    std::string bytes;
    if (!Convert(CharsetOf(codePage), "UTF-16LE", text.data(), text.size(), bytes))
        throw EConvertError("Text is not valid in code page " + std::to_string(codePage));
    std::u16string out(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = char16_t(static_cast<unsigned char>(bytes[2 * i]) |
                          (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    return out;
}

bool SystemUtf16ToAnsi(std::u16string_view text, unsigned codePage, std::string& out)
{
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) {
        bytes += char(unit & 0xFF);
        bytes += char(unit >> 8);
    }
    return Convert("UTF-16LE", CharsetOf(codePage), bytes.data(), bytes.size(), out);
}

unsigned AnsiCodePage()
{
    return cpWestern;
}
