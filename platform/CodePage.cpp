// The conversions and comparisons that need no help from the system: UTF-8,
// case, and the code page 1252 table (small enough to carry; Windows maps its
// five unassigned bytes to the C1 controls of the same value).
#include "platform/CodePage.h"

namespace {

constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t Cp1252ToUnit(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? Cp1252High[byte - 0x80] : char16_t(byte);
}

bool UnitToCp1252(char16_t unit, char& byte)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) {
        byte = char(unit);
        return true;
    }
    for (int i = 0; i < 32; ++i)
        if (Cp1252High[i] == unit) {
            byte = char(0x80 + i);
            return true;
        }
    return false;
}

// Pairs of letters where the upper case is the even code point.
bool InEvenUpperRange(char16_t u)
{
    return (u >= 0x0100 && u <= 0x012F) || (u >= 0x0132 && u <= 0x0137) ||
           (u >= 0x014A && u <= 0x0177) || (u >= 0x0182 && u <= 0x0185) ||
           (u >= 0x01A0 && u <= 0x01A5) || (u >= 0x01DE && u <= 0x01EF) ||
           (u >= 0x01F8 && u <= 0x021F) || (u >= 0x0222 && u <= 0x0233) ||
           (u >= 0x03D8 && u <= 0x03EF) || (u >= 0x0460 && u <= 0x0481) ||
           (u >= 0x048A && u <= 0x04BF) || (u >= 0x04D0 && u <= 0x052F) ||
           (u >= 0x1E00 && u <= 0x1E95) || (u >= 0x1EA0 && u <= 0x1EFF);
}

// Pairs where the upper case is the odd code point.
bool InOddUpperRange(char16_t u)
{
    return (u >= 0x0139 && u <= 0x0148) || (u >= 0x0179 && u <= 0x017E) ||
           (u >= 0x01CD && u <= 0x01DC) || (u >= 0x04C1 && u <= 0x04CE);
}

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

} // namespace

// The system's tables for the code pages other than 1252.
std::u16string SystemAnsiToUtf16(std::string_view text, unsigned codePage);
bool SystemUtf16ToAnsi(std::u16string_view text, unsigned codePage, std::string& out);

std::u16string AnsiToUtf16(std::string_view text, unsigned codePage)
{
    if (codePage != cpWestern)
        return SystemAnsiToUtf16(text, codePage);
    std::u16string out;
    out.reserve(text.size());
    for (char c : text)
        out += Cp1252ToUnit(static_cast<unsigned char>(c));
    return out;
}

bool Utf16ToAnsi(std::u16string_view text, unsigned codePage, std::string& out)
{
    if (codePage != cpWestern)
        return SystemUtf16ToAnsi(text, codePage, out);
    std::string result;
    result.reserve(text.size());
    for (char16_t unit : text) {
        char byte;
        if (!UnitToCp1252(unit, byte))
            return false;
        result += byte;
    }
    out = std::move(result);
    return true;
}

std::u16string Utf8ToUtf16(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        int extra;
        char32_t cp;
        if (lead < 0x80) {
            extra = 0;
            cp = lead;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            cp = lead & 0x07;
        } else {
            throw EConvertError("Invalid UTF-8 text");
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= text.size())
                throw EConvertError("Invalid UTF-8 text");
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                throw EConvertError("Invalid UTF-8 text");
            cp = (cp << 6) | (next & 0x3F);
        }
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            throw EConvertError("Invalid UTF-8 text");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i += extra + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

char16_t UpperCaseUnit(char16_t u)
{
    if (u < 0x80)
        return u >= 'a' && u <= 'z' ? char16_t(u - 0x20) : u;
    if ((u >= 0x00E0 && u <= 0x00FE && u != 0x00F7) || (u >= 0x03B1 && u <= 0x03CB && u != 0x03C2) ||
        (u >= 0x0430 && u <= 0x044F) || (u >= 0xFF41 && u <= 0xFF5A))
        return char16_t(u - 0x20);
    if (u >= 0x0450 && u <= 0x045F)
        return char16_t(u - 0x50);
    if ((u >= 0x0561 && u <= 0x0586) || (u >= 0x2D00 && u <= 0x2D25))
        return u >= 0x2D00 ? char16_t(u - 0x2D00 + 0x10A0) : char16_t(u - 0x30);
    if (u >= 0x24D0 && u <= 0x24E9)
        return char16_t(u - 26);
    if (u >= 0x2170 && u <= 0x217F)
        return char16_t(u - 0x10);
    switch (u) {
    case 0x00FF: return 0x0178;
    case 0x03C2: return 0x03A3;
    case 0x03AC: return 0x0386;
    case 0x03AD: return 0x0388;
    case 0x03AE: return 0x0389;
    case 0x03AF: return 0x038A;
    case 0x03CC: return 0x038C;
    case 0x03CD: return 0x038E;
    case 0x03CE: return 0x038F;
    default: break;
    }
    if (InEvenUpperRange(u))
        return (u & 1) ? char16_t(u - 1) : u;
    if (InOddUpperRange(u))
        return (u & 1) ? u : char16_t(u - 1);
    return u;
}

bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i] && UpperCaseUnit(a[i]) != UpperCaseUnit(b[i]))
            return false;
    return true;
}

bool SameAnsiTextIgnoringCase(std::string_view a, std::string_view b, unsigned codePage)
{
    std::u16string wideA, wideB;
    try {
        wideA = AnsiToUtf16(a, codePage);
        wideB = AnsiToUtf16(b, codePage);
    } catch (const EConvertError&) {
        return a == b;
    }
    return SameTextIgnoringCase(wideA, wideB);
}

bool SameUtf8TextIgnoringCase(std::string_view a, std::string_view b)
{
    std::u16string wideA, wideB;
    try {
        wideA = Utf8ToUtf16(a);
        wideB = Utf8ToUtf16(b);
    } catch (const EConvertError&) {
        return a == b;
    }
    return SameTextIgnoringCase(wideA, wideB);
}

std::string AnsiToUtf8(std::string_view text, unsigned codePage)
{
    return Utf16ToUtf8(AnsiToUtf16(text, codePage));
}

bool Utf8ToAnsi(std::string_view text, unsigned codePage, std::string& out)
{
    try {
        return Utf16ToAnsi(Utf8ToUtf16(text), codePage, out);
    } catch (const EConvertError&) {
        return false;
    }
}

std::u16string Utf8ToUtf16Leniently(std::string_view text)
{
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char lead = byte(i);
        size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
        bool sequence = length > 1 && i + length <= text.size();
        for (size_t k = 1; sequence && k < length; ++k)
            sequence = (byte(i + k) & 0xC0) == 0x80;
        if (!sequence) {
            out += static_cast<char16_t>(lead);
            ++i;
            continue;
        }
        uint32_t code = length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; k < length; ++k)
            code = code << 6 | (byte(i + k) & 0x3F);
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<char16_t>(code);
        }
        i += length;
    }
    return out;
}

