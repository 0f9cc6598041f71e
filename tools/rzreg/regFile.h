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
// Reading takes the text of regFileLines.h. The first line is the header "Windows Registry
// Editor Version 5.00", "REGEDIT4" (whose hex(1), hex(2) and hex(7) data is 8-bit text, widened
// to UTF-16 on reading) or "REGEDIT3" (read as an empty file); then "[KEY]" and "[-KEY]" lines
// (trailing "\" ignored); "name"= or @= lines with "text", dword:, hex:, hex(N): (continued
// over lines ending in "\", blank lines between them skipped), or - for a deletion; blank
// lines, lines starting with ";" or "#", and ";" comments after a key or value. A key or value
// name holding U+0000 is a damaged line (the registry would cut the name short there).

#include "tools/rzreg/regKeyPath.h"
#include "tools/rzreg/regValue.h"

#include <memory>
#include <span>
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
    std::size_t line = 0;            // 1-based line where the step starts
    const regKeyPath* key = nullptr; // the [KEY] the step is in (or deletes)
    regValue value;                  // the value to set, or the name to delete
};

struct fault
{
    std::size_t line = 0; // 1-based; 0 for the file as a whole (odd-size UTF-16)
    std::string reason;   // "bad hex data" and the like, UTF-8
};

// Reads a file one step at a time, holding one line and one step beyond the bytes, which stay
// the caller's and must outlive the reader. The parser never recurses and takes time linear in
// the file's size. Not thread-safe.
class reader
{
public:
    explicit reader(std::span<const BYTE> bytes);
    ~reader();
    reader(const reader&) = delete;
    reader& operator=(const reader&) = delete;

    // The next step, valid (with the key it points to) until the next call; null at the end of
    // the file or at the first fault.
    const step* next();
    // Once next() gave null: the fault, or an empty reason after a sound file.
    const fault& failure() const;

private:
    class parser;
    std::unique_ptr<parser> m_parser;
};

// Reads the whole file: true when it is sound, else false with `why` set.
bool check(std::span<const BYTE> bytes, fault& why);

} // namespace regFile
