#include "tools/rzreg/regFile.h"

#include "platform/wideText.h"
#include "tools/rzreg/regFileLines.h"
#include "tools/rzreg/regValueText.h"
#include <reZevavEvadurov/registry.h>

#include <optional>
#include <string_view>

namespace
{

using regFile::fault;
using regFile::step;

constexpr std::u16string_view version5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view version4 = u"REGEDIT4";
constexpr std::u16string_view version3 = u"REGEDIT3";

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

// Data that cannot hold ";" (numbers, hex lists), without a comment after it.
std::u16string_view withoutComment(std::u16string_view text)
{
    return trimmed(text.substr(0, text.find(u';')));
}

bool holdsNul(std::u16string_view name)
{
    return name.find(u'\0') != name.npos;
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

// Appends the hex pairs of `pending` that a "," ends, or with `last` all of them, and keeps
// what is left (a pair that goes on on the next line). False at a bad pair.
bool takeHexPairs(std::u16string& pending, bool last, std::vector<BYTE>& bytes)
{
    std::size_t start = 0;
    for (std::size_t comma = pending.find(u','); comma != pending.npos;
         comma = pending.find(u',', start))
    {
        const auto item =
            hexNumber(trimmed(std::u16string_view(pending).substr(start, comma - start)), 2);
        if (!item)
        {
            return false;
        }
        bytes.push_back(static_cast<BYTE>(*item));
        start = comma + 1;
    }
    pending.erase(0, start);
    if (last && !trimmed(pending).empty())
    {
        const auto item = hexNumber(trimmed(pending), 2);
        if (!item)
        {
            return false;
        }
        bytes.push_back(static_cast<BYTE>(*item));
    }
    return true;
}

} // namespace

namespace regFile
{

class reader::parser
{
public:
    explicit parser(std::span<const BYTE> bytes) : m_lines(bytes) {}

    const step* next()
    {
        if (m_done)
        {
            return nullptr;
        }
        if (!m_headerRead && !readHeader())
        {
            return finish();
        }
        while (m_lines.next(m_line))
        {
            const std::u16string_view line = trimmed(m_line);
            if (line.empty() || line.front() == u';' || line.front() == u'#')
            {
                continue;
            }
            m_step.line = m_lines.number();
            const char* reason = nullptr;
            if (line.front() == u'[')
            {
                reason = keyLine(line);
            }
            else if (line.front() == u'"' || line.front() == u'@')
            {
                reason = valueLine(line);
            }
            else
            {
                reason = "neither a key nor a value";
            }
            if (m_lines.fault() != nullptr)
            {
                return finish(); // a line of data could not be decoded
            }
            if (reason != nullptr)
            {
                m_fault = {m_step.line, reason};
                return finish();
            }
            return &m_step;
        }
        return finish();
    }

    const fault& failure() const { return m_fault; }

private:
    // The header stands on the first line, as Windows wants it.
    bool readHeader()
    {
        m_headerRead = true;
        m_lines.next(m_line);
        const std::u16string_view head = trimmed(m_line);
        if (m_lines.fault() == nullptr && head == version3)
        {
            m_done = true; // Windows takes such a file and imports nothing from it
            return false;
        }
        if (m_lines.fault() == nullptr && head != version5 && head != version4)
        {
            m_fault = {1, "not a registry file (bad header)"};
            return false;
        }
        m_eightBit = head == version4;
        return true;
    }

    const step* finish()
    {
        m_done = true;
        if (m_lines.fault() != nullptr && m_fault.reason.empty())
        {
            m_fault = {m_lines.wholeFile() ? 0 : m_lines.number(), m_lines.fault()};
        }
        return nullptr;
    }

    const char* keyLine(std::u16string_view line)
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
        while (name.ends_with(u'\\'))
        {
            name.remove_suffix(1); // as the registry ignores trailing "\" characters
        }
        if (holdsNul(name))
        {
            return "NUL character in the key name";
        }
        auto key = regKeyPath::parse(name);
        if (!key)
        {
            return "unknown root key or bad key name";
        }
        if (remove && key->subKey.empty())
        {
            return "a root key cannot be deleted";
        }
        m_key = std::move(*key);
        m_inKey = !remove;
        m_step.what = remove ? step::kind::deleteKey : step::kind::createKey;
        m_step.key = &m_key;
        m_step.value = {};
        return nullptr;
    }

    const char* valueLine(std::u16string_view line)
    {
        if (!m_inKey)
        {
            return "value outside a key";
        }
        m_step.what = step::kind::setValue;
        m_step.value = {};
        std::u16string_view rest;
        if (line.front() == u'@')
        {
            rest = line.substr(1);
        }
        else if (auto name = quotedString(line, rest))
        {
            if (holdsNul(*name))
            {
                return "NUL character in the value name";
            }
            m_step.value.name = std::move(*name);
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
        return valueData(trimmed(rest.substr(1)), m_step.value);
    }

    const char* valueData(std::u16string_view rest, regValue& value)
    {
        if (rest.starts_with(u"-") && nothingMore(rest.substr(1)))
        {
            m_step.what = step::kind::deleteValue;
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
            value.type = REG_SZ;
            value.data = regValueText::bytesOfText(*text, true);
            return nullptr;
        }
        if (rest.starts_with(u"dword:"))
        {
            const auto number = hexNumber(withoutComment(rest.substr(6)), 8);
            if (!number)
            {
                return "bad dword data";
            }
            value.type = REG_DWORD;
            value.data = {static_cast<BYTE>(*number), static_cast<BYTE>(*number >> 8),
                          static_cast<BYTE>(*number >> 16), static_cast<BYTE>(*number >> 24)};
            return nullptr;
        }
        return hexData(rest, value);
    }

    const char* hexData(std::u16string_view rest, regValue& value)
    {
        value.type = REG_BINARY;
        if (rest.starts_with(u"hex("))
        {
            const std::size_t close = rest.find(u')');
            const auto number =
                close == rest.npos ? std::nullopt : hexNumber(rest.substr(4, close - 4), 8);
            if (!number)
            {
                return "bad value type";
            }
            value.type = static_cast<DWORD>(*number);
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
        // Pairs are taken line by line, so a long value never holds its text whole.
        std::u16string pending(withoutComment(rest.substr(1)));
        while (pending.ends_with(u'\\'))
        {
            pending.pop_back();
            if (!takeHexPairs(pending, false, value.data))
            {
                return "bad hex data";
            }
            if (!nextDataLine())
            {
                return "hex data continued past its end";
            }
            pending += withoutComment(m_line);
        }
        if (!takeHexPairs(pending, true, value.data))
        {
            return "bad hex data";
        }
        if (m_eightBit &&
            (value.type == REG_SZ || value.type == REG_EXPAND_SZ || value.type == REG_MULTI_SZ))
        {
            const std::string narrow(value.data.begin(), value.data.end());
            value.data = regValueText::bytesOfText(wideText::fromUtf8(narrow), false);
        }
        return nullptr;
    }

    // The next line holding more than blanks and a comment; false at the end of the file.
    bool nextDataLine()
    {
        while (m_lines.next(m_line))
        {
            if (!withoutComment(m_line).empty())
            {
                return true;
            }
        }
        return false;
    }

    regFileLines m_lines;
    std::u16string m_line;
    bool m_headerRead = false;
    bool m_done = false;
    bool m_eightBit = false;
    bool m_inKey = false;
    regKeyPath m_key;
    step m_step;
    fault m_fault;
};

reader::reader(std::span<const BYTE> bytes) : m_parser(std::make_unique<parser>(bytes)) {}

reader::~reader() = default;

const step* reader::next()
{
    return m_parser->next();
}

const fault& reader::failure() const
{
    return m_parser->failure();
}

bool check(std::span<const BYTE> bytes, fault& why)
{
    reader file(bytes);
    while (file.next() != nullptr)
    {
    }
    why = file.failure();
    return why.reason.empty();
}

} // namespace regFile
