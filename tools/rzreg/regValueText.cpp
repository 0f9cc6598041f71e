#include "tools/rzreg/regValueText.h"

#include "platform/wideText.h"
#include <reZevavEvadurov/registry.h>

#include <algorithm>
#include <array>
#include <cstdio>

namespace
{

struct typeEntry
{
    DWORD type;
    std::u16string_view name;
    bool settable; // offered by `add /t`
};

constexpr DWORD regDwordBigEndian = 5;

// Looked up in order: REG_DWORD shows as "REG_DWORD", and "REG_DWORD_LITTLE_ENDIAN" names it too.
constexpr std::array<typeEntry, 13> typeTable{{
    {REG_NONE, u"REG_NONE", true},
    {REG_SZ, u"REG_SZ", true},
    {REG_EXPAND_SZ, u"REG_EXPAND_SZ", true},
    {REG_BINARY, u"REG_BINARY", true},
    {REG_DWORD, u"REG_DWORD", true},
    {REG_DWORD, u"REG_DWORD_LITTLE_ENDIAN", true},
    {regDwordBigEndian, u"REG_DWORD_BIG_ENDIAN", true},
    {6, u"REG_LINK", false},
    {REG_MULTI_SZ, u"REG_MULTI_SZ", true},
    {8, u"REG_RESOURCE_LIST", false},
    {9, u"REG_FULL_RESOURCE_DESCRIPTOR", false},
    {10, u"REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, u"REG_QWORD", true},
}};

std::u16string ascii(const char* text)
{
    return wideText::fromUtf8(text);
}

std::u16string hexNumber(ULONGLONG value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%llx", static_cast<unsigned long long>(value));
    return ascii(buffer);
}

std::u16string hexBytes(const std::vector<BYTE>& data)
{
    static constexpr char digits[] = "0123456789ABCDEF";
    std::u16string text;
    for (const BYTE b : data)
    {
        text += static_cast<char16_t>(digits[b >> 4]);
        text += static_cast<char16_t>(digits[b & 0xF]);
    }
    return text;
}

ULONGLONG littleEndian(const std::vector<BYTE>& data)
{
    ULONGLONG value = 0;
    for (std::size_t i = data.size(); i-- > 0;)
    {
        value = (value << 8) | data[i];
    }
    return value;
}

std::u16string unitsOf(const std::vector<BYTE>& data)
{
    std::u16string text;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2)
    {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    return text;
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
    {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f')
    {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F')
    {
        return c - u'A' + 10;
    }
    return -1;
}

// A decimal or 0x number up to `limit`; "-N" is its two's complement in the type's width, and
// no text at all is 0.
std::optional<ULONGLONG> parseNumber(std::u16string_view text, ULONGLONG limit)
{
    if (text.empty())
    {
        return 0;
    }
    if (text.front() == u'-')
    {
        const auto magnitude = parseNumber(text.substr(1), limit);
        if (!magnitude || text.size() == 1 || text[1] == u'-')
        {
            return std::nullopt;
        }
        return (~*magnitude + 1) & limit;
    }
    unsigned base = 10;
    if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
    {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty())
    {
        return std::nullopt;
    }
    ULONGLONG value = 0;
    for (const char16_t c : text)
    {
        const int digit = hexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base ||
            value > (limit - static_cast<unsigned>(digit)) / base)
        {
            return std::nullopt;
        }
        value = value * base + static_cast<unsigned>(digit);
    }
    return value;
}

std::vector<BYTE> littleEndianBytes(ULONGLONG value, std::size_t width)
{
    std::vector<BYTE> data(width);
    for (BYTE& b : data)
    {
        b = static_cast<BYTE>(value & 0xFF);
        value >>= 8;
    }
    return data;
}

// Items split at `separator`, each ended by a NUL, then the closing NUL. An empty item before
// the last would end the list early when read back, so it is refused; an empty last item (a
// trailing separator) adds nothing.
std::optional<std::vector<BYTE>> multiStringBytes(std::u16string_view text,
                                                  std::u16string_view separator)
{
    std::u16string units;
    std::u16string_view rest = text;
    while (!rest.empty())
    {
        const std::size_t cut = rest.find(separator);
        if (cut == 0)
        {
            return std::nullopt;
        }
        units += rest.substr(0, cut);
        units += u'\0';
        rest = cut == rest.npos ? std::u16string_view() : rest.substr(cut + separator.size());
    }
    return regValueText::bytesOfText(units, true);
}

} // namespace

namespace regValueText
{

std::u16string typeName(DWORD type)
{
    for (const typeEntry& entry : typeTable)
    {
        if (entry.type == type)
        {
            return std::u16string(entry.name);
        }
    }
    return hexNumber(type);
}

std::optional<DWORD> parseTypeName(std::u16string_view name)
{
    for (const typeEntry& entry : typeTable)
    {
        const std::u16string wanted(entry.name);
        if (entry.settable && name.size() == wanted.size() &&
            wideText::compareNoCase(std::u16string(name).c_str(), wanted.c_str()) == 0)
        {
            return entry.type;
        }
    }
    return std::nullopt;
}

std::u16string display(const regValue& value)
{
    const std::size_t size = value.data.size();
    switch (value.type)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
        if (size % 2 == 0)
        {
            const std::u16string text = unitsOf(value.data);
            return text.substr(0, text.find(u'\0'));
        }
        break;
    case REG_MULTI_SZ:
        if (size % 2 == 0)
        {
            std::u16string text = unitsOf(value.data);
            while (!text.empty() && text.back() == u'\0')
            {
                text.pop_back();
            }
            std::u16string shown;
            for (const char16_t c : text)
            {
                shown += c == u'\0' ? std::u16string(u"\\0") : std::u16string(1, c);
            }
            return shown;
        }
        break;
    case REG_DWORD:
        if (size == 4)
        {
            return hexNumber(littleEndian(value.data));
        }
        break;
    case REG_QWORD:
        if (size == 8)
        {
            return hexNumber(littleEndian(value.data));
        }
        break;
    case regDwordBigEndian:
        if (size == 4)
        {
            return hexNumber(static_cast<ULONGLONG>(value.data[0]) << 24 | value.data[1] << 16 |
                             value.data[2] << 8 | value.data[3]);
        }
        break;
    default:
        break;
    }
    return hexBytes(value.data);
}

std::vector<BYTE> bytesOfText(std::u16string_view text, bool terminate)
{
    std::vector<BYTE> data;
    data.reserve((text.size() + 1) * 2);
    for (const char16_t c : text)
    {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    if (terminate)
    {
        data.push_back(0);
        data.push_back(0);
    }
    return data;
}

std::optional<std::vector<BYTE>> parseData(DWORD type, std::u16string_view text,
                                           std::u16string_view separator)
{
    switch (type)
    {
    case REG_SZ:
    case REG_EXPAND_SZ:
    case REG_NONE:
        return bytesOfText(text, true);
    case REG_MULTI_SZ:
        return multiStringBytes(text, separator);
    case REG_DWORD:
    case regDwordBigEndian:
        if (const auto number = parseNumber(text, 0xFFFFFFFFull))
        {
            std::vector<BYTE> data = littleEndianBytes(*number, 4);
            if (type == regDwordBigEndian)
            {
                std::reverse(data.begin(), data.end());
            }
            return data;
        }
        return std::nullopt;
    case REG_QWORD:
        if (const auto number = parseNumber(text, ~0ull))
        {
            return littleEndianBytes(*number, 8);
        }
        return std::nullopt;
    default:
        break;
    }
    // An odd count of digits reads as if led by a zero.
    std::vector<BYTE> data;
    data.reserve(text.size() / 2 + 1);
    for (std::size_t i = 0; i < text.size();)
    {
        const bool lone = i == 0 && text.size() % 2 != 0;
        const int high = lone ? 0 : hexDigit(text[i++]);
        const int low = hexDigit(text[i++]);
        if (high < 0 || low < 0)
        {
            return std::nullopt;
        }
        data.push_back(static_cast<BYTE>(high * 16 + low));
    }
    return data;
}

bool isNumberType(DWORD type)
{
    return type == REG_DWORD || type == REG_QWORD || type == regDwordBigEndian;
}

} // namespace regValueText
