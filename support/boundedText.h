#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// A text composed in a fixed buffer of `Capacity` characters, terminator included, as the
// diagnostics compose their lines: whatever does not fit is cut off, the buffer is never
// overrun and always terminated. No allocation, so it may be used on any path.

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace supportText
{

template <class Char, std::size_t Capacity> class boundedText
{
    static_assert(Capacity > 0);

public:
    boundedText() { m_text[0] = 0; }

    // Appends up to the terminator; a null text appends nothing.
    template <class Other> boundedText& append(const Other* text)
    {
        for (std::size_t i = 0; text != nullptr && text[i] != 0; ++i)
        {
            append(text[i]);
        }
        return *this;
    }

    // One character; an 8-bit character is widened byte for byte (0x00-0xFF).
    template <class Other> boundedText& append(Other c)
    {
        if (m_length + 1 < Capacity)
        {
            m_text[m_length++] = static_cast<Char>(static_cast<std::make_unsigned_t<Other>>(c));
            m_text[m_length] = 0;
        }
        return *this;
    }

    boundedText& appendDecimal(std::uint64_t value)
    {
        char digits[20];
        std::size_t n = 0;
        do
        {
            digits[n++] = static_cast<char>('0' + value % 10);
            value /= 10;
        } while (value != 0);
        while (n > 0)
        {
            append(digits[--n]);
        }
        return *this;
    }

    // Exactly `digitCount` hexadecimal digits, most significant first, zero-padded.
    boundedText& appendHex(std::uint64_t value, int digitCount, bool upperCase)
    {
        const char* const table = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
        for (int shift = (digitCount - 1) * 4; shift >= 0; shift -= 4)
        {
            append(table[(value >> shift) & 0xF]);
        }
        return *this;
    }

    const Char* c_str() const { return m_text; }
    std::size_t length() const { return m_length; }
    static constexpr std::size_t capacity() { return Capacity; }

private:
    Char m_text[Capacity];
    std::size_t m_length = 0;
};

} // namespace supportText

#pragma GCC visibility pop
