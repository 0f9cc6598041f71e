#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Names of numbered list items, shared by every settings store:
//   "[prefix]I<n>"  integer item n, also the value of pair n   ("[%s]I%u")
//   "[prefix]S<n>"  the name of pair n                          ("[%s]S%u")
//   "[prefix]SS<n>" string item n                               ("[%s]SS%u")
// The prefix is inserted verbatim; n is decimal without leading zeros.

#include <reZevavEvadurov/winTypes.h>

#include <string>

namespace settingsItemName
{

inline constexpr const WCHAR* integerStem = u"I";
inline constexpr const WCHAR* pairNameStem = u"S";
inline constexpr const WCHAR* stringStem = u"SS";
inline constexpr const WCHAR* dllPrefix = u"dll";

// Longest item name, in characters without the terminator.
inline constexpr std::size_t maxLength = 260;

// "[prefix]<stem>"; a null prefix is taken as empty.
std::u16string stemOf(const WCHAR* prefix, const WCHAR* stem);
// "[prefix]<stem><n>".
std::u16string itemOf(const WCHAR* prefix, const WCHAR* stem, unsigned int n);

// Writes "[prefix]<stem><n>" into `buffer` of `capacity` characters, cut to fit and always
// terminated. Returns false when it had to be cut (the caller's prefix was too long).
bool formatItem(WCHAR* buffer, std::size_t capacity, const WCHAR* prefix, const WCHAR* stem,
                unsigned int n);

} // namespace settingsItemName

#pragma GCC visibility pop
