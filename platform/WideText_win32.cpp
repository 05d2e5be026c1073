#include "platform/WideText.h"

#include <windows.h>

#include "platform/CodePage.h"

namespace {

std::wstring AsWide(const std::u16string& text)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

// Bytes a UTF-8 sequence takes by its lead byte (1 for one that leads none).
size_t SequenceLength(unsigned char lead)
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

} // namespace

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide calls take UTF-16");

bool WidePath(std::string_view text, std::wstring& wide)
{
    try {
        wide = AsWide(Utf8ToUtf16(text));
        return true;
    } catch (const EConvertError&) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
}

std::wstring WideText(std::string_view text)
{
    std::wstring wide;
    if (WidePath(text, wide))
        return wide;
    // Sequence by sequence; each one that does not decode stands for one U+FFFD.
    for (size_t i = 0; i < text.size();) {
        const size_t length = SequenceLength(static_cast<unsigned char>(text[i]));
        try {
            wide += AsWide(Utf8ToUtf16(text.substr(i, length)));
            i += length;
        } catch (const EConvertError&) {
            wide += L'\xFFFD';
            ++i;
        }
    }
    return wide;
}

bool SameWideText(std::wstring_view a, std::wstring_view b)
{
    return SameTextIgnoringCase(std::u16string_view(reinterpret_cast<const char16_t*>(a.data()), a.size()),
                                std::u16string_view(reinterpret_cast<const char16_t*>(b.data()), b.size()));
}

std::string Utf8Text(std::wstring_view text)
{
    return Utf16ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::string Utf8Text(const wchar_t* text)
{
    return Utf8Text(std::wstring_view(text != nullptr ? text : L""));
}
