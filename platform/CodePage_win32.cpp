// Code pages other than 1252 through the system's own tables: no best-fit
// spelling on the way out, no replacement character on the way in.
#include <windows.h>

#include "platform/CodePage.h"

std::u16string SystemAnsiToUtf16(std::string_view text, unsigned codePage)
{
    if (text.empty())
        return std::u16string();
    const int size = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
    if (wide <= 0)
        throw EConvertError("Text is not valid in code page " + std::to_string(codePage));
    std::u16string out(static_cast<size_t>(wide), u'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size,
                        reinterpret_cast<wchar_t*>(out.data()), wide);
    return out;
}

bool SystemUtf16ToAnsi(std::u16string_view text, unsigned codePage, std::string& out)
{
    if (text.empty()) {
        out.clear();
        return true;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int size = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, size, nullptr, 0, nullptr,
                                          &usedDefault);
    if (bytes <= 0 || usedDefault)
        return false;
    std::string result(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide, size, result.data(), bytes, nullptr, nullptr);
    out = std::move(result);
    return true;
}

unsigned AnsiCodePage()
{
    return GetACP();
}
