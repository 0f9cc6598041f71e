#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// UTF-16 text helpers. Wide text is char16_t everywhere; these convert at the edges
// (paths, terminal, debugger) and give the C library's wide-string routines for WCHAR.

#include <reZevavEvadurov/winTypes.h>

#include <string>
#include <string_view>

namespace wideText
{

// Length in code units up to the terminator; 0 for null.
std::size_t length(const WCHAR* text);

// wcscmp/wcsncmp on code units compared as unsigned numbers. Null sorts before any text.
int compare(const WCHAR* a, const WCHAR* b);
int compareN(const WCHAR* a, const WCHAR* b, std::size_t n);

// Case-insensitive comparison through the fixed upper-case table of foldChar.
int compareNoCase(const WCHAR* a, const WCHAR* b);

// Locale-independent upper-case fold of one code unit: its simple upper-case form from the
// Unicode data (platform/wideTextFoldTable.inc, made by scripts/generateFoldTable.py) for
// every character of the Basic Multilingual Plane that has one; other code units, surrogates
// included, fold to themselves.
WCHAR foldChar(WCHAR c);

// Bounded copy and append in the manner of wcsncpy_s/wcsncat_s: never write past `capacity`
// code units (terminator included). Returns false, leaving the destination terminated and
// unchanged, when the result would not fit.
bool copy(WCHAR* dest, std::size_t capacity, const WCHAR* src);
bool append(WCHAR* dest, std::size_t capacity, const WCHAR* src);

// What fromUtf8 makes of each byte that does not begin a well-formed sequence (a stray
// continuation byte, a truncated or overlong sequence, 0xF8 and above).
enum class invalidUtf8
{
    replace,      // U+FFFD
    keepAsLatin1, // the character of the byte's value, U+0080 to U+00FF
};

// UTF-8 <-> UTF-16. Invalid input bytes become U+FFFD unless asked otherwise; lone surrogates
// are encoded as three-byte sequences so that any UTF-16 text round-trips through a path.
std::string toUtf8(std::u16string_view text);
std::string toUtf8(const WCHAR* text); // null gives ""
std::u16string fromUtf8(std::string_view text, invalidUtf8 invalid = invalidUtf8::replace);

// Decimal formatting of an unsigned number into wide text (no leading zeros).
std::u16string fromUnsigned(unsigned long long value);

} // namespace wideText

#pragma GCC visibility pop
