#pragma once

// stubString: the support library's wide string. Holds UTF-16 code units; always
// terminated, so the read-only pointer conversion is a valid C string.
//
// Ownership: owns its text. The pointer from `operator const WCHAR*` stays valid until the
// string next changes or is destroyed.
// 8-bit text, whole strings and single characters appended with `+=` alike, goes through one
// conversion: UTF-8, the system's 8-bit encoding, where each byte that does not begin a
// well-formed sequence stands for the Latin-1 character of its value (U+0080 to U+00FF).
// So "caf\xC3\xA9" reads "café", and "\xE9" and `+= '\xE9'` both give U+00E9: what the
// writer of either meant, with no byte lost to U+FFFD. A single byte is never a sequence of
// its own above 0x7F, so appending the bytes of a multi-byte character one by one gives one
// Latin-1 character per byte. Appending a zero character changes nothing, so the text never
// holds a terminator inside its length.
// Objects created with `new stubString` come from the support library's private heap
// (class-level operator new); when the heap refuses or there is none yet, that operator new
// returns null (the non-throwing form) or throws std::bad_alloc (the ordinary form). The
// text buffer itself lives on the ordinary C++ heap.
// Not thread-safe: one thread at a time per object.

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <new>
#include <string>

class RZ_API stubString
{
public:
    stubString() = default;
    stubString(const WCHAR* text); // null gives the empty string
    stubString(const char* text);  // widened as above; null gives the empty string
    stubString(const stubString& other) = default;
    stubString(stubString&& other) noexcept = default;
    ~stubString() = default;

    stubString& operator=(const stubString& other) = default;
    stubString& operator=(stubString&& other) noexcept = default;
    stubString& operator=(const WCHAR* text);
    stubString& operator=(const char* text);

    stubString& operator+=(WCHAR c);
    stubString& operator+=(char c);
    stubString& operator+=(const WCHAR* text);
    stubString& operator+=(const stubString& text);

    // Number of UTF-16 code units.
    int GetLength() const { return static_cast<int>(m_text.size()); }
    bool IsEmpty() const { return m_text.empty(); }
    void Empty() { m_text.clear(); }

    // Zero when equal ignoring case (fixed, locale-independent fold); otherwise the sign of
    // the first differing folded code unit. Null compares as the empty string.
    int CompareNoCase(const WCHAR* text) const;

    operator const WCHAR*() const { return m_text.c_str(); }
    const WCHAR* c_str() const { return m_text.c_str(); }
    const std::u16string& str() const { return m_text; }

    // Exact, case-sensitive equality; null equals only the empty string.
    bool operator==(const WCHAR* text) const;
    bool operator==(const stubString& other) const { return m_text == other.m_text; }

    static void* operator new(std::size_t size);
    static void* operator new(std::size_t size, const std::nothrow_t&) noexcept;
    static void operator delete(void* block) noexcept;
    static void operator delete(void* block, const std::nothrow_t&) noexcept;

private:
    std::u16string m_text;
};
