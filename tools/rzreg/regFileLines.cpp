#include "tools/rzreg/regFileLines.h"

namespace
{

bool isHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

void appendCodePoint(std::u16string& line, char32_t c)
{
    if (c < 0x10000)
    {
        line += static_cast<char16_t>(c);
        return;
    }
    c -= 0x10000;
    line += static_cast<char16_t>(0xD800 + (c >> 10));
    line += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
}

// One well-formed UTF-8 sequence at bytes[at]: its code point and length, or 0 for none.
std::size_t utf8Sequence(std::span<const BYTE> bytes, std::size_t at, char32_t& c)
{
    const BYTE lead = bytes[at];
    std::size_t length = 0;
    BYTE low = 0x80;
    BYTE high = 0xBF;
    if (lead < 0x80)
    {
        c = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
    {
        length = 2;
        c = lead & 0x1F;
    }
    else if (lead >= 0xE0 && lead <= 0xEF)
    {
        length = 3;
        c = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong forms
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogates
    }
    else if (lead >= 0xF0 && lead <= 0xF4)
    {
        length = 4;
        c = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    }
    else
    {
        return 0;
    }
    if (bytes.size() - at < length)
    {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i)
    {
        const BYTE next = bytes[at + i];
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
        {
            return 0;
        }
        c = (c << 6) | (next & 0x3F);
    }
    return length;
}

} // namespace

regFileLines::regFileLines(std::span<const BYTE> bytes) : m_bytes(bytes)
{
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    {
        m_utf16 = true;
        m_at = 2;
        if (bytes.size() % 2 != 0)
        {
            m_fault = "the file is not whole UTF-16 text (odd size)";
            m_wholeFile = true;
        }
    }
    else if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
    {
        m_at = 3;
    }
}

bool regFileLines::next(std::u16string& line)
{
    line.clear();
    if (m_fault != nullptr || m_at >= m_bytes.size())
    {
        return false;
    }
    ++m_number;
    return m_utf16 ? nextUtf16(line) : nextUtf8(line);
}

bool regFileLines::nextUtf16(std::u16string& line)
{
    const auto unitAt = [&](std::size_t at)
    { return static_cast<char16_t>(m_bytes[at] | (m_bytes[at + 1] << 8)); };
    while (m_at < m_bytes.size())
    {
        const char16_t c = unitAt(m_at);
        m_at += 2;
        if (c == u'\n' || c == u'\r')
        {
            if (c == u'\r' && m_at < m_bytes.size() && unitAt(m_at) == u'\n')
            {
                m_at += 2;
            }
            return true;
        }
        if (isLowSurrogate(c) ||
            (isHighSurrogate(c) && (m_at >= m_bytes.size() || !isLowSurrogate(unitAt(m_at)))))
        {
            m_fault = "lone UTF-16 surrogate";
            return false;
        }
        line += c;
        if (isHighSurrogate(c))
        {
            line += unitAt(m_at);
            m_at += 2;
        }
    }
    return true;
}

bool regFileLines::nextUtf8(std::u16string& line)
{
    while (m_at < m_bytes.size())
    {
        const BYTE b = m_bytes[m_at];
        if (b == '\n' || b == '\r')
        {
            ++m_at;
            if (b == '\r' && m_at < m_bytes.size() && m_bytes[m_at] == '\n')
            {
                ++m_at;
            }
            return true;
        }
        char32_t c = 0;
        const std::size_t length = utf8Sequence(m_bytes, m_at, c);
        if (length == 0)
        {
            m_fault = "the file is neither UTF-16 with a byte-order mark nor UTF-8";
            return false;
        }
        appendCodePoint(line, c);
        m_at += length;
    }
    return true;
}
