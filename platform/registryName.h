#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// A key or value name in the two forms a hive stores: the text as it was created, and the
// case-folded form that every comparison goes through. Folding is the fixed, locale-independent
// upper-case table of wideText::foldChar, so two processes in different locales always agree
// on which names are the same.

#include <reZevavEvadurov/winTypes.h>

#include <string>
#include <string_view>
#include <vector>

namespace registryStore
{

class registryName
{
public:
    explicit registryName(std::u16string_view name);

    // The name as created, UTF-8; a lone surrogate is kept as its three-byte form, so decode()
    // gives back exactly the UTF-16 that was stored.
    const std::string& text() const { return m_text; }
    // The folded code units as big-endian bytes: byte order then sorts like the code units.
    const std::string& folded() const { return m_folded; }
    // Its length in UTF-16 code units.
    std::size_t units() const { return m_folded.size() / 2; }

    static std::u16string decode(std::string_view text);

    // Splits a sub-key path at "\" into its names. Null or empty gives no names (the key
    // itself); trailing "\" characters are ignored, as on Windows. A leading "\" or an empty
    // name in the middle fails with ERROR_BAD_PATHNAME.
    static DWORD splitPath(const WCHAR* path, std::vector<registryName>& names);

private:
    std::string m_text;
    std::string m_folded;
};

} // namespace registryStore

#pragma GCC visibility pop
