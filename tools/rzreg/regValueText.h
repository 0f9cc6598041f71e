#pragma once

// Value types and data as people type and read them on the command line: the type names
// ("REG_SZ", ...), the data column of `query`, and the /d text of `add`.

#include "tools/rzreg/regValue.h"

#include <optional>
#include <string>
#include <string_view>

namespace regValueText
{

// "REG_SZ" and its kin for the known types, "0x<hex>" for any other.
std::u16string typeName(DWORD type);

// The types `add` accepts by name (case-insensitive); null for any other.
std::optional<DWORD> parseTypeName(std::u16string_view name);

// The data column: text for a string type of even size (up to its first NUL), the items of a
// REG_MULTI_SZ joined by "\0", 0x<hex> for a 4-byte REG_DWORD and an 8-byte REG_QWORD, and
// upper-case hex bytes for everything else, including any value whose size does not fit its
// type.
std::u16string display(const regValue& value);

// The stored bytes for `add`'s /d text: strings with their terminator, REG_MULTI_SZ items split
// at "\0" and ended by an empty one, REG_DWORD/REG_QWORD as a decimal or 0x-prefixed number that
// fits their width, REG_BINARY and REG_NONE as pairs of hex digits. Null when the text does not
// fit the type.
std::optional<std::vector<BYTE>> parseData(DWORD type, std::u16string_view text);

// Bytes of UTF-16 text, little-endian, optionally with a terminating NUL.
std::vector<BYTE> bytesOfText(std::u16string_view text, bool terminate);

} // namespace regValueText
