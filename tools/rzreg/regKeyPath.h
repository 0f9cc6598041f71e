#pragma once

// A key named on the command line or in a .reg file: "HKEY_CURRENT_USER\Software\X" or its
// short form "HKCU\Software\X". Root names compare without regard to case; only the two roots
// this registry has are known (HKEY_CURRENT_USER/HKCU, HKEY_USERS/HKU).

#include <reZevavEvadurov/winTypes.h>

#include <optional>
#include <string>
#include <string_view>

struct regKeyPath
{
    HKEY root = nullptr;
    std::u16string subKey; // without leading or trailing "\"; empty for the root itself

    // The long form shown in output and written to .reg files.
    std::u16string fullName() const;
    // The path of a sub-key of this one.
    regKeyPath child(std::u16string_view name) const;

    // Null for an unknown root, a remote "\\machine\" prefix, or an empty name inside the path
    // ("HKCU\\a\\\\b") or a root followed by "\" alone; one trailing "\" after a sub-key is
    // accepted.
    static std::optional<regKeyPath> parse(std::u16string_view text);
};
