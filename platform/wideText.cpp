#include "platform/wideText.h"

#include <cstdint>

namespace
{
#include "platform/wideTextFoldTable.inc"
} // namespace

namespace wideText
{

std::size_t length(const WCHAR* text)
{
    if (text == nullptr)
    {
        return 0;
    }
    std::size_t n = 0;
    while (text[n] != 0)
    {
        ++n;
    }
    return n;
}

int compare(const WCHAR* a, const WCHAR* b)
{
    if (a == nullptr || b == nullptr)
    {
        return (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    }
    for (;; ++a, ++b)
    {
        if (*a != *b)
        {
            return *a < *b ? -1 : 1;
        }
        if (*a == 0)
        {
            return 0;
        }
    }
}

int compareN(const WCHAR* a, const WCHAR* b, std::size_t n)
{
    if (a == nullptr || b == nullptr)
    {
        return (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    }
    for (std::size_t i = 0; i < n; ++i)
    {
        if (a[i] != b[i])
        {
            return a[i] < b[i] ? -1 : 1;
        }
        if (a[i] == 0)
        {
            return 0;
        }
    }
    return 0;
}

WCHAR foldChar(WCHAR c)
{
    return static_cast<WCHAR>(c + foldDelta[foldBlockOf[c >> 8]][c & 0xFF]);
}

int compareNoCase(const WCHAR* a, const WCHAR* b)
{
    if (a == nullptr || b == nullptr)
    {
        return (a == nullptr ? 0 : 1) - (b == nullptr ? 0 : 1);
    }
    for (;; ++a, ++b)
    {
        const WCHAR fa = foldChar(*a);
        const WCHAR fb = foldChar(*b);
        if (fa != fb)
        {
            return fa < fb ? -1 : 1;
        }
        if (fa == 0)
        {
            return 0;
        }
    }
}

bool copy(WCHAR* dest, std::size_t capacity, const WCHAR* src)
{
    if (dest == nullptr || capacity == 0)
    {
        return false;
    }
    const std::size_t n = length(src);
    if (n + 1 > capacity)
    {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i)
    {
        dest[i] = src[i];
    }
    dest[n] = 0;
    return true;
}

bool append(WCHAR* dest, std::size_t capacity, const WCHAR* src)
{
    if (dest == nullptr || capacity == 0)
    {
        return false;
    }
    std::size_t used = 0;
    while (used < capacity && dest[used] != 0)
    {
        ++used;
    }
    if (used == capacity)
    {
        return false; // destination not terminated within its capacity
    }
    return copy(dest + used, capacity - used, src);
}

namespace
{
void putUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80)
    {
        out += static_cast<char>(cp);
    }
    else if (cp < 0x800)
    {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else if (cp < 0x10000)
    {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    else
    {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void putUtf16(std::u16string& out, char32_t cp)
{
    if (cp < 0x10000)
    {
        out += static_cast<char16_t>(cp);
    }
    else
    {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}
} // namespace

std::string toUtf8(std::u16string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF)
        {
            putUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00));
            ++i;
        }
        else
        {
            putUtf8(out, c); // a lone surrogate keeps its value (WTF-8), so nothing is lost
        }
    }
    return out;
}

std::string toUtf8(const WCHAR* text)
{
    return text == nullptr ? std::string() : toUtf8(std::u16string_view(text, length(text)));
}

std::u16string fromUtf8(std::string_view text, invalidUtf8 invalid)
{
    std::u16string out;
    out.reserve(text.size());
    const auto putInvalid = [&out, invalid](unsigned char byte)
    { out += invalid == invalidUtf8::keepAsLatin1 ? static_cast<char16_t>(byte) : u'\xFFFD'; };
    std::size_t i = 0;
    while (i < text.size())
    {
        const unsigned char b0 = static_cast<unsigned char>(text[i]);
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if (b0 < 0x80)
        {
            cp = b0;
        }
        else if ((b0 & 0xE0) == 0xC0)
        {
            extra = 1, cp = b0 & 0x1F, min = 0x80;
        }
        else if ((b0 & 0xF0) == 0xE0)
        {
            extra = 2, cp = b0 & 0x0F, min = 0x800;
        }
        else if ((b0 & 0xF8) == 0xF0)
        {
            extra = 3, cp = b0 & 0x07, min = 0x10000;
        }
        else
        {
            putInvalid(b0);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; ok && k <= extra; ++k)
        {
            if (i + k >= text.size())
            {
                ok = false;
                break;
            }
            const unsigned char b = static_cast<unsigned char>(text[i + k]);
            if ((b & 0xC0) != 0x80)
            {
                ok = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF)
        {
            putInvalid(b0);
            ++i;
            continue;
        }
        putUtf16(out, cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

std::u16string fromUnsigned(unsigned long long value)
{
    char16_t digits[24];
    int n = 0;
    do
    {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::u16string out;
    while (n > 0)
    {
        out += digits[--n];
    }
    return out;
}

} // namespace wideText
