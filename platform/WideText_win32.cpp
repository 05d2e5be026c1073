#include "platform/WideText.h"

#include <windows.h>

#include "platform/CodePage.h"

namespace {

std::wstring AsWide(const std::u16string& text)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
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
    return AsWide(Utf8ToUtf16Leniently(text));
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
