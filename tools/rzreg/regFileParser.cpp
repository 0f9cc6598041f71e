#include "tools/rzreg/regFile.h"

#include "platform/registry.h"
#include "platform/wideText.h"
#include "tools/rzreg/regValueText.h"

#include <optional>
#include <string_view>

namespace
{

using regFile::fault;
using regFile::step;

constexpr std::u16string_view version5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view version4 = u"REGEDIT4";

bool decode(const std::vector<BYTE>& bytes, std::u16string& text, fault& why)
{
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE)
    {
        if (bytes.size() % 2 != 0)
        {
            why = {0, "the file is not whole UTF-16 text (odd size)"};
            return false;
        }
        text.clear();
        for (std::size_t i = 2; i < bytes.size(); i += 2)
        {
            text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        }
        return true;
    }
    std::string_view utf8(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (utf8.starts_with("\xEF\xBB\xBF"))
    {
        utf8.remove_prefix(3);
    }
    text = wideText::fromUtf8(utf8);
    if (wideText::toUtf8(text) != utf8)
    {
        why = {0, "the file is neither UTF-16 with a byte-order mark nor UTF-8"};
        return false;
    }
    return true;
}

std::vector<std::u16string_view> splitLines(std::u16string_view text)
{
    std::vector<std::u16string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
    {
        if (i == text.size() || text[i] == u'\n' || text[i] == u'\r')
        {
            lines.push_back(text.substr(start, i - start));
            if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            {
                ++i;
            }
            start = i + 1;
        }
    }
    return lines;
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t'))
    {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t'))
    {
        text.remove_suffix(1);
    }
    return text;
}

// Blank, or only a comment.
bool nothingMore(std::u16string_view rest)
{
    rest = trimmed(rest);
    return rest.empty() || rest.front() == u';';
}

// A quoted string starting at text[0] == '"'; `rest` gets what follows the closing quote.
std::optional<std::u16string> quotedString(std::u16string_view text, std::u16string_view& rest)
{
    std::u16string out;
    for (std::size_t i = 1; i < text.size(); ++i)
    {
        if (text[i] == u'"')
        {
            rest = text.substr(i + 1);
            return out;
        }
        if (text[i] == u'\\' && i + 1 < text.size() &&
            (text[i + 1] == u'\\' || text[i + 1] == u'"'))
        {
            ++i;
        }
        out += text[i];
    }
    return std::nullopt;
}

int hexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
    {
        return c - u'0';
    }
    c = wideText::foldChar(c);
    return c >= u'A' && c <= u'F' ? c - u'A' + 10 : -1;
}

std::optional<ULONGLONG> hexNumber(std::u16string_view text, std::size_t maxDigits)
{
    if (text.empty() || text.size() > maxDigits)
    {
        return std::nullopt;
    }
    ULONGLONG value = 0;
    for (const char16_t c : text)
    {
        const int digit = hexDigit(c);
        if (digit < 0)
        {
            return std::nullopt;
        }
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return value;
}

std::optional<std::vector<BYTE>> hexList(std::u16string_view text)
{
    std::vector<BYTE> bytes;
    text = trimmed(text);
    while (!text.empty())
    {
        const std::size_t comma = text.find(u',');
        const auto item = hexNumber(trimmed(text.substr(0, comma)), 2);
        if (!item)
        {
            return std::nullopt;
        }
        bytes.push_back(static_cast<BYTE>(*item));
        text = comma == text.npos ? std::u16string_view() : trimmed(text.substr(comma + 1));
    }
    return bytes;
}

class parser
{
public:
    explicit parser(std::vector<std::u16string_view> lines) : m_lines(std::move(lines)) {}

    bool run(std::vector<step>& steps, fault& why)
    {
        std::size_t first = 0;
        while (first < m_lines.size() && trimmed(m_lines[first]).empty())
        {
            ++first;
        }
        const std::u16string_view head =
            first < m_lines.size() ? trimmed(m_lines[first]) : std::u16string_view();
        if (head != version5 && head != version4)
        {
            why = {first < m_lines.size() ? first + 1 : 1, "not a registry file (bad header)"};
            return false;
        }
        m_eightBit = head == version4;
        for (m_index = first + 1; m_index < m_lines.size(); ++m_index)
        {
            const std::u16string_view line = trimmed(m_lines[m_index]);
            const char* reason = nullptr;
            if (line.empty() || line.front() == u';')
            {
                continue;
            }
            const std::size_t number = m_index + 1;
            if (line.front() == u'[')
            {
                reason = keyLine(line, steps);
            }
            else if (line.front() == u'"' || line.front() == u'@')
            {
                reason = valueLine(line, steps);
            }
            else
            {
                reason = "neither a key nor a value";
            }
            if (reason != nullptr)
            {
                why = {number, reason};
                steps.clear();
                return false;
            }
        }
        return true;
    }

private:
    const char* keyLine(std::u16string_view line, std::vector<step>& steps)
    {
        const std::size_t close = line.rfind(u']');
        if (close == line.npos || !nothingMore(line.substr(close + 1)))
        {
            return "unterminated key name";
        }
        std::u16string_view name = line.substr(1, close - 1);
        const bool remove = !name.empty() && name.front() == u'-';
        if (remove)
        {
            name.remove_prefix(1);
        }
        const auto key = regKeyPath::parse(name);
        if (!key)
        {
            return "unknown root key or bad key name";
        }
        if (remove && key->subKey.empty())
        {
            return "a root key cannot be deleted";
        }
        m_key = remove ? std::nullopt : key;
        steps.push_back({remove ? step::kind::deleteKey : step::kind::createKey, *key, {}});
        return nullptr;
    }

    const char* valueLine(std::u16string_view line, std::vector<step>& steps)
    {
        if (!m_key)
        {
            return "value outside a key";
        }
        step s{step::kind::setValue, *m_key, {}};
        std::u16string_view rest;
        if (line.front() == u'@')
        {
            rest = line.substr(1);
        }
        else if (const auto name = quotedString(line, rest))
        {
            s.value.name = *name;
        }
        else
        {
            return "unterminated string";
        }
        rest = trimmed(rest);
        if (rest.empty() || rest.front() != u'=')
        {
            return "expected \"=\" after the value name";
        }
        rest = trimmed(rest.substr(1));
        const char* reason = valueData(rest, s);
        if (reason == nullptr)
        {
            steps.push_back(std::move(s));
        }
        return reason;
    }

    const char* valueData(std::u16string_view rest, step& s)
    {
        if (rest.starts_with(u"-") && nothingMore(rest.substr(1)))
        {
            s.what = step::kind::deleteValue;
            return nullptr;
        }
        if (rest.starts_with(u"\""))
        {
            std::u16string_view after;
            const auto text = quotedString(rest, after);
            if (!text)
            {
                return "unterminated string";
            }
            if (!nothingMore(after))
            {
                return "unexpected text after the string";
            }
            s.value.type = REG_SZ;
            s.value.data = regValueText::bytesOfText(*text, true);
            return nullptr;
        }
        if (rest.starts_with(u"dword:"))
        {
            const auto number = hexNumber(trimmed(rest.substr(6)), 8);
            if (!number)
            {
                return "bad dword data";
            }
            s.value.type = REG_DWORD;
            s.value.data = {static_cast<BYTE>(*number), static_cast<BYTE>(*number >> 8),
                            static_cast<BYTE>(*number >> 16), static_cast<BYTE>(*number >> 24)};
            return nullptr;
        }
        return hexData(rest, s);
    }

    const char* hexData(std::u16string_view rest, step& s)
    {
        DWORD type = REG_BINARY;
        if (rest.starts_with(u"hex("))
        {
            const std::size_t close = rest.find(u')');
            const auto number =
                close == rest.npos ? std::nullopt : hexNumber(rest.substr(4, close - 4), 8);
            if (!number)
            {
                return "bad value type";
            }
            type = static_cast<DWORD>(*number);
            rest = rest.substr(close + 1);
        }
        else if (rest.starts_with(u"hex"))
        {
            rest = rest.substr(3);
        }
        else
        {
            return "unknown value data";
        }
        if (!rest.starts_with(u":"))
        {
            return "bad value type";
        }
        std::u16string list(rest.substr(1));
        while (!list.empty() && list.back() == u'\\')
        {
            list.pop_back();
            // A blank line or the end of the file where the data goes on means it was cut.
            if (++m_index >= m_lines.size() || trimmed(m_lines[m_index]).empty())
            {
                return "hex data continued past its end";
            }
            list += trimmed(m_lines[m_index]);
        }
        const auto bytes = hexList(list);
        if (!bytes)
        {
            return "bad hex data";
        }
        s.value.type = type;
        s.value.data = *bytes;
        if (m_eightBit && (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ))
        {
            const std::string narrow(bytes->begin(), bytes->end());
            s.value.data = regValueText::bytesOfText(wideText::fromUtf8(narrow), false);
        }
        return nullptr;
    }

    std::vector<std::u16string_view> m_lines;
    std::size_t m_index = 0;
    bool m_eightBit = false;
    std::optional<regKeyPath> m_key;
};

} // namespace

namespace regFile
{

bool parse(const std::vector<BYTE>& bytes, std::vector<step>& steps, fault& why)
{
    steps.clear();
    std::u16string text;
    if (!decode(bytes, text, why))
    {
        return false;
    }
    return parser(splitLines(text)).run(steps, why);
}

} // namespace regFile
