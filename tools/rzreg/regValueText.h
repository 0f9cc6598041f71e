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
// REG_MULTI_SZ joined by "\0", 0x<hex> for a 4-byte REG_DWORD or REG_DWORD_BIG_ENDIAN (read
// in its byte order) and an 8-byte REG_QWORD, and
// upper-case hex bytes for everything else, including any value whose size does not fit its
// type.
std::u16string display(const regValue& value);

// The stored bytes for `add`'s /d text: REG_SZ, REG_EXPAND_SZ and REG_NONE as the text with
// its terminator; REG_MULTI_SZ items split at `separator` and ended by an empty one (an empty
// item before the last is refused); REG_DWORD, REG_DWORD_BIG_ENDIAN and REG_QWORD as a
// decimal or 0x-prefixed number that fits their width, "-N" as its two's complement, no text
// as 0; REG_BINARY as hex digits, an odd count read with a leading zero. Null when the text
// does not fit the type.
std::optional<std::vector<BYTE>> parseData(DWORD type, std::u16string_view text,
                                           std::u16string_view separator = u"\\0");
// REG_DWORD, REG_DWORD_BIG_ENDIAN and REG_QWORD: /d takes a number.
bool isNumberType(DWORD type);

// Bytes of UTF-16 text, little-endian, optionally with a terminating NUL.
std::vector<BYTE> bytesOfText(std::u16string_view text, bool terminate);

} // namespace regValueText
