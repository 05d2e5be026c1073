// Text at the Windows edge: the program's strings are UTF-8, the system's
// wide calls take and give UTF-16. Only *_win32.cpp files and ui/ use this.
#pragma once

#include <string>
#include <string_view>

// A path or name for a wide call. False, with the last error set to
// ERROR_INVALID_NAME, when text is not valid UTF-8: no file, key or link has
// such a name, so the caller fails the way the system fails a bad name.
bool WidePath(std::string_view text, std::wstring& wide);

// Text only shown (captions, labels, boxes): a byte that is not part of valid
// UTF-8 shows as the character it is in Windows-1252's lower half instead of
// failing the window.
std::wstring WideText(std::string_view text);

// Two names compared as the system compares file names (case ignored, no locale).
bool SameWideText(std::wstring_view a, std::wstring_view b);

// The UTF-8 form of what the system gave (an unpaired surrogate becomes U+FFFD).
std::string Utf8Text(std::wstring_view text);
std::string Utf8Text(const wchar_t* text);
