#include "tools/rzreg/regFile.h"

#include <reZevavEvadurov/registry.h>

#include <cstdio>
#include <string_view>

namespace
{

// A continued hex line ends once it has reached this many columns; with its "\" it stays
// within 80.
constexpr std::size_t wrapColumn = 77;

std::u16string quoted(std::u16string_view text)
{
    std::u16string out(1, u'"');
    for (const char16_t c : text)
    {
        if (c == u'\\' || c == u'"')
        {
            out += u'\\';
        }
        out += c;
    }
    out += u'"';
    return out;
}

std::u16string ascii(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

// The text of a string value, when quotes can carry its bytes exactly: an even size, one
// terminator at the end and no other NUL, and no line break that would split the line.
bool plainText(const regValue& value, std::u16string& text)
{
    const std::vector<BYTE>& data = value.data;
    if (value.type != REG_SZ || data.size() < 2 || data.size() % 2 != 0)
    {
        return false;
    }
    text.clear();
    for (std::size_t i = 0; i < data.size(); i += 2)
    {
        text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    }
    if (text.back() != u'\0')
    {
        return false;
    }
    text.pop_back();
    return text.find_first_of(std::u16string_view(u"\0\r\n", 3)) == std::u16string::npos;
}

std::u16string hexData(std::u16string line, const regValue& value)
{
    char prefix[32];
    if (value.type == REG_BINARY)
    {
        std::snprintf(prefix, sizeof prefix, "hex:");
    }
    else
    {
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(value.type));
    }
    line += ascii(prefix);
    std::u16string out;
    for (std::size_t i = 0; i < value.data.size(); ++i)
    {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", value.data[i]);
        line += ascii(byte);
        if (i + 1 < value.data.size())
        {
            line += u',';
            if (line.size() >= wrapColumn)
            {
                out += line + u"\\\r\n";
                line = u"  ";
            }
        }
    }
    return out + line;
}

std::u16string valueLine(const regValue& value)
{
    std::u16string line = value.name.empty() ? std::u16string(u"@") : quoted(value.name);
    line += u'=';
    std::u16string text;
    if (plainText(value, text))
    {
        return line + quoted(text);
    }
    if (value.type == REG_DWORD && value.data.size() == 4)
    {
        char number[16];
        const DWORD dword = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                            (static_cast<DWORD>(value.data[3]) << 24);
        std::snprintf(number, sizeof number, "dword:%08x", static_cast<unsigned>(dword));
        return line + ascii(number);
    }
    return hexData(line, value);
}

} // namespace

namespace regFile
{

std::u16string header()
{
    return u"Windows Registry Editor Version 5.00\r\n\r\n";
}

std::u16string keyBlock(const regKeyPath& key, const std::vector<regValue>& values)
{
    return keyBlock(key.fullName(), values);
}

std::u16string keyBlock(std::u16string_view fullName, const std::vector<regValue>& values)
{
    std::u16string block = u"[";
    block += fullName;
    block += u"]\r\n";
    for (const regValue& value : values)
    {
        block += valueLine(value) + u"\r\n";
    }
    return block + u"\r\n";
}

std::vector<BYTE> encode(const std::u16string& text)
{
    std::vector<BYTE> bytes{0xFF, 0xFE};
    bytes.reserve(2 + text.size() * 2);
    for (const char16_t c : text)
    {
        bytes.push_back(static_cast<BYTE>(c & 0xFF));
        bytes.push_back(static_cast<BYTE>(c >> 8));
    }
    return bytes;
}

} // namespace regFile
