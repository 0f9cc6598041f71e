#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// settingsEntry: one value of the file-backed settings store: its name, a type tag, and the
// value's bytes. Numbers (tag 4) hold their bytes in memory order with the writer's width
// (1, 2, 4 or 8); texts (tag 1) hold UTF-16 code units and one zero code unit. A loaded file
// may hold any tag and any data size, which the entry keeps as it found them.
//
// Ownership: the entry owns copies of its name and data, in one block. Views and pointers it
// hands out stay valid until the entry is assigned to or destroyed. Construction throws
// std::bad_alloc when memory runs out or the name or data is too large for the file format.
// Movable, not copyable. Not thread-safe.

#include <reZevavEvadurov/winTypes.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class settingsEntry
{
public:
    static constexpr std::int32_t textTag = 1;
    static constexpr std::int32_t numberTag = 4;

    settingsEntry(std::u16string_view name, std::int32_t typeTag, const BYTE* data,
                  std::size_t dataSize);

    // A number entry of `width` bytes copied from `value`.
    static settingsEntry number(std::u16string_view name, const void* value, std::size_t width);
    // A text entry holding `text` and a zero code unit; `text` may contain zeros.
    static settingsEntry text(std::u16string_view name, std::u16string_view text);

    std::u16string_view name() const { return {m_block.get(), m_nameLength}; }
    std::int32_t typeTag() const { return m_typeTag; }
    DWORD dataSize() const { return m_dataSize; }
    const BYTE* data() const { return reinterpret_cast<const BYTE*>(m_block.get() + m_nameLength); }

    // Copies the bytes into `value` when the entry is a number of exactly `width` bytes;
    // otherwise returns false and leaves `value` untouched.
    bool readNumber(void* value, std::size_t width) const;

    // The text up to its first zero code unit, or up to the last whole code unit of the data
    // when a damaged entry lacks a terminator. Only meaningful for text entries.
    std::u16string textValue() const;

    // 0 when equal; otherwise the first non-zero of: the names compared code unit by code
    // unit (sign), the tags' difference, the data sizes' difference, the first differing data
    // bytes' difference. Differences are clamped to the range of int.
    int compare(const settingsEntry& other) const;

private:
    // An entry with room for the name (copied) and `dataSize` data bytes (left to the caller).
    settingsEntry(std::u16string_view name, std::int32_t typeTag, std::size_t dataSize);
    BYTE* mutableData() { return reinterpret_cast<BYTE*>(m_block.get() + m_nameLength); }

    // The name's code units, then the data bytes; one allocation per entry.
    std::unique_ptr<char16_t[]> m_block;
    std::uint32_t m_nameLength;
    std::int32_t m_typeTag;
    DWORD m_dataSize;
};

#pragma GCC visibility pop
