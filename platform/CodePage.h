// Text in the Windows ANSI code pages, converted and compared the way Windows
// converts and compares it. Inside the programs text is UTF-8; archive names,
// settings and install.log lines are stored as ANSI text of one code page; names that look alike byte for byte may differ
// there (a double-byte character's second byte can be an ASCII letter), so
// names are compared only after conversion to UTF-16.
#pragma once

#include <string>
#include <string_view>

#include "platform/Exception.h"

inline constexpr unsigned cpWestern = 1252;
inline constexpr unsigned cpJapanese = 932;

// A text that is not valid in, or cannot be held by, a code page.
DECLARE_EXCEPTION(EConvertError);

// ANSI text of codePage to UTF-16; EConvertError on a sequence the code page
// does not define.
std::u16string AnsiToUtf16(std::string_view text, unsigned codePage);
// UTF-16 to ANSI text of codePage; false (out untouched) when a character has
// no exact form there: no best-fit spelling, which would name another file.
bool Utf16ToAnsi(std::u16string_view text, unsigned codePage, std::string& out);

// UTF-8 to UTF-16; EConvertError on invalid UTF-8 (overlong forms, surrogates).
std::u16string Utf8ToUtf16(std::string_view text);
// UTF-8 to UTF-16 for text only shown: a byte that is not part of a UTF-8
// sequence stands for itself, as in Windows-1252's lower half.
std::u16string Utf8ToUtf16Leniently(std::string_view text);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view text);

// The upper case of one UTF-16 unit as Windows' ordinal comparison that
// ignores case sees it: a simple one-to-one mapping, no locale.
char16_t UpperCaseUnit(char16_t unit);
bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b);
// Two ANSI texts of codePage compared as Windows compares names; a text the
// code page does not define equals nothing but itself byte for byte.
bool SameAnsiTextIgnoringCase(std::string_view a, std::string_view b, unsigned codePage);

// UTF-8 texts compared as Windows compares names; invalid UTF-8 equals
// nothing but itself byte for byte.
bool SameUtf8TextIgnoringCase(std::string_view a, std::string_view b);

// ANSI text of codePage to UTF-8; EConvertError as AnsiToUtf16.
std::string AnsiToUtf8(std::string_view text, unsigned codePage);
// UTF-8 to ANSI text of codePage; false (out untouched) for invalid UTF-8 or
// a character the code page cannot hold exactly.
bool Utf8ToAnsi(std::string_view text, unsigned codePage, std::string& out);

// The ANSI code page of the running system (1252 where there is none).
unsigned AnsiCodePage();
