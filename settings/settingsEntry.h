#pragma once

// settingsEntry: one value of the file-backed settings store: its name, a type tag, and the
// value's bytes. Numbers (tag 4) hold their bytes in memory order with the writer's width
// (1, 2, 4 or 8); texts (tag 1) hold UTF-16 code units and one zero code unit. A loaded file
// may hold any tag and any non-zero size, which the entry keeps as it found them.
//
// Ownership: the entry owns copies of its name and data. Pointers it hands out stay valid until the
// entry is next assigned or destroyed. Copying and assignment may throw std::bad_alloc. Not
// thread-safe.

#include "platform/winTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class settingsEntry
{
public:
    static constexpr std::int32_t textTag = 1;
    static constexpr std::int32_t numberTag = 4;

    settingsEntry(std::u16string name, std::int32_t typeTag, std::vector<BYTE> data)
        : m_name(std::move(name)), m_typeTag(typeTag), m_data(std::move(data))
    {
    }

    // A number entry of `width` bytes copied from `value`.
    static settingsEntry number(std::u16string name, const void* value, std::size_t width);
    // A text entry holding `text` and a zero code unit; `text` may contain zeros.
    static settingsEntry text(std::u16string name, std::u16string_view text);

    const std::u16string& name() const { return m_name; }
    std::int32_t typeTag() const { return m_typeTag; }
    DWORD dataSize() const { return static_cast<DWORD>(m_data.size()); }
    const BYTE* data() const { return m_data.data(); }

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
    std::u16string m_name;
    std::int32_t m_typeTag;
    std::vector<BYTE> m_data;
};
