#pragma once

// The lines of a .reg file held in memory, decoded to UTF-16 one at a time so that reading a
// file costs one line beyond its bytes. The file is UTF-16LE with a byte-order mark, or UTF-8
// with or without one; lines end at CR LF, LF or CR. Decoding is strict: a lone UTF-16
// surrogate, and any byte sequence that is not well-formed UTF-8 (an encoded surrogate
// included), stops the reading with the line where it was found. The bytes stay the caller's
// and must outlive the source. Not thread-safe.

#include <reZevavEvadurov/winTypes.h>

#include <span>
#include <string>

class regFileLines
{
public:
    explicit regFileLines(std::span<const BYTE> bytes);

    // The next line, without its end, in `line`. False at the end of the file or at a fault.
    bool next(std::u16string& line);
    // The 1-based number of the line last given (or found faulty).
    std::size_t number() const { return m_number; }
    // Null unless a fault stopped the reading; then the reason, for the line number() or, when
    // wholeFile(), for the file as a whole.
    const char* fault() const { return m_fault; }
    bool wholeFile() const { return m_wholeFile; }

private:
    bool nextUtf16(std::u16string& line);
    bool nextUtf8(std::u16string& line);

    std::span<const BYTE> m_bytes;
    std::size_t m_at = 0;
    std::size_t m_number = 0;
    bool m_utf16 = false;
    bool m_wholeFile = false;
    const char* m_fault = nullptr;
};
