#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// settingsNameOrder: the order of value names in the file-backed store and its file: UTF-16
// code units compared one by one as unsigned numbers; a name that begins another comes first.
// No case folding and no locale. Transparent, so any string type that views as UTF-16 text
// (std::u16string, its pmr form, string views, WCHAR pointers) looks names up without a copy.

#include <string_view>

struct settingsNameOrder
{
    using is_transparent = void;

    bool operator()(std::u16string_view a, std::u16string_view b) const noexcept { return a < b; }
};

#pragma GCC visibility pop
