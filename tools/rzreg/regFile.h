#pragma once

// The .reg text format: writing (export) and reading (import), on bytes in memory so both are
// tested without files or a registry.
//
// Written files are "Windows Registry Editor Version 5.00", UTF-16LE with a byte-order mark and
// CRLF line ends, so they import on Windows as they are. Every value is written so that reading
// it back gives the same type and bytes: a string goes in quotes only when its bytes are exactly
// text plus one terminator, a REG_DWORD as dword: only when it is 4 bytes; anything else is
// hex(N): with the raw bytes. Hex data wraps before column 80 with "\" and a two-space indent.
//
// Reading accepts UTF-16LE with its byte-order mark, or UTF-8 with or without one; the header
// "Windows Registry Editor Version 5.00" or "REGEDIT4" (whose hex(1), hex(2) and hex(7) data is
// 8-bit text, widened to UTF-16 on reading); "[KEY]" and "[-KEY]" lines; "name"= or @= lines
// with "text", dword:, hex:, hex(N): (continued over lines ending in "\"), or - for a deletion;
// blank lines and lines starting with ";". A file is read whole before anything is done with
// it; the first fault stops the reading and names its line.

#include "tools/rzreg/regKeyPath.h"
#include "tools/rzreg/regValue.h"

#include <string>
#include <string_view>
#include <vector>

namespace regFile
{

// The file's first line and the blank line after it.
std::u16string header();
// One key and its values, followed by a blank line.
std::u16string keyBlock(const regKeyPath& key, const std::vector<regValue>& values);
// The same for a key given by its long name ("HKEY_CURRENT_USER\\a").
std::u16string keyBlock(std::u16string_view fullName, const std::vector<regValue>& values);
// UTF-16LE bytes with the byte-order mark.
std::vector<BYTE> encode(const std::u16string& text);

// What an imported file asks for, in file order.
struct step
{
    enum class kind
    {
        createKey,   // [KEY]: create the key path
        deleteKey,   // [-KEY]: delete the key with everything below it
        setValue,    // "name"=data under the last [KEY]
        deleteValue, // "name"=- under the last [KEY]
    };
    kind what = kind::createKey;
    regKeyPath key;
    regValue value; // the value to set, or the name to delete
};

struct fault
{
    std::size_t line = 0; // 1-based; 0 for the file as a whole (encoding)
    std::string reason;   // "bad hex data" and the like, UTF-8
};

// False, with `why` set and `steps` emptied, at the first fault.
bool parse(const std::vector<BYTE>& bytes, std::vector<step>& steps, fault& why);

} // namespace regFile
