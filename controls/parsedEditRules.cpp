#include "controls/parsedEditRules.h"

#include "controls/parsedEditPaths.h"

#include <string>

namespace
{

bool isLetter(UINT c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}
bool isDigit(UINT c)
{
    return c >= u'0' && c <= u'9';
}
bool isLetterOrDigit(UINT c)
{
    return isLetter(c) || isDigit(c);
}
bool isHexDigit(UINT c)
{
    return isDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

bool isOneOf(UINT c, std::string_view set)
{
    return c < 0x80 && set.find(static_cast<char>(c)) != std::string_view::npos;
}

bool isFileNameChar(UINT c)
{
    return !isOneOf(c, "<>\"|");
}

bool isEmailChar(UINT c)
{
    return isLetterOrDigit(c) || isOneOf(c, "!#$%&*+-./=?@\\^_`{|}~ \"");
}

bool isTrueFalseLetter(UINT c)
{
    return isLetter(c) && isOneOf(c & ~0x20u, "TRUEFALS");
}

bool isWhiteSpace(WCHAR c)
{
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string_view trimmed(std::u16string_view text)
{
    while (!text.empty() && isWhiteSpace(text.front()))
    {
        text.remove_prefix(1);
    }
    while (!text.empty() && isWhiteSpace(text.back()))
    {
        text.remove_suffix(1);
    }
    return text;
}

// Blanks may stand only inside a double-quoted run, and every quoted run must hold one.
bool localPartBlanksAreQuoted(std::u16string_view local)
{
    std::size_t openQuote = std::u16string_view::npos;
    for (std::size_t i = 0; i < local.size(); ++i)
    {
        if (local[i] == u'"')
        {
            openQuote = i;
        }
        else if (local[i] == u' ')
        {
            const std::size_t closeQuote = local.find(u'"', i + 1);
            if (openQuote == std::u16string_view::npos || closeQuote == std::u16string_view::npos)
            {
                return false;
            }
            i = closeQuote; // one run may hold several blanks
            openQuote = std::u16string_view::npos;
        }
    }
    return openQuote == std::u16string_view::npos;
}

bool domainLabelsAreValid(std::u16string_view domain)
{
    while (!domain.empty())
    {
        const std::size_t dot = domain.find(u'.');
        if (!IsValidDomainLabel(domain.substr(0, dot)))
        {
            return false;
        }
        domain = dot == std::u16string_view::npos ? std::u16string_view() : domain.substr(dot + 1);
    }
    return true;
}

bool endsWithNoCase(std::u16string_view text, std::u16string_view lowerSuffix)
{
    if (text.size() < lowerSuffix.size())
    {
        return false;
    }
    const std::u16string_view tail = text.substr(text.size() - lowerSuffix.size());
    for (std::size_t i = 0; i < tail.size(); ++i)
    {
        const WCHAR c =
            (tail[i] >= u'A' && tail[i] <= u'Z') ? static_cast<WCHAR>(tail[i] + 0x20) : tail[i];
        if (c != lowerSuffix[i])
        {
            return false;
        }
    }
    return true;
}

bool isDirectoryOrInOne(const WCHAR* text)
{
    if (IsExistingDirectory(text))
    {
        return true;
    }
    const std::u16string_view path(text);
    const std::size_t separator = path.find_last_of(u"\\/");
    return separator != std::u16string_view::npos &&
           IsExistingDirectory(std::u16string(path.substr(0, separator)).c_str());
}

bool isLettersDigitsDashDot(std::u16string_view text)
{
    for (const WCHAR c : text)
    {
        if (!isLetterOrDigit(c) && c != u'-' && c != u'.')
        {
            return false;
        }
    }
    return true;
}

} // namespace

bool IsCharAllowed(UINT c, int inputType)
{
    if (c < 0x20)
    {
        return true;
    }
    switch (inputType)
    {
    case 1:
        return isLetterOrDigit(c);
    case 2:
        return isLetterOrDigit(c) || isOneOf(c, "?- ");
    case 3:
        return isDigit(c);
    case 4:
        return isDigit(c) || isOneOf(c, "%");
    case 5:
        return isDigit(c) || isOneOf(c, "%*");
    case 6:
        return isDigit(c) || isOneOf(c, "%*,");
    case 7:
        return isDigit(c) || isOneOf(c, ",");
    case 8:
        return isDigit(c) || isOneOf(c, "-");
    case 9:
        return isHexDigit(c) || isOneOf(c, "#x");
    case 10:
        return isDigit(c) || isOneOf(c, ".");
    case 11:
        return isDigit(c) || isOneOf(c, ".-");
    case 12:
        return isLetter(c);
    case 18:
        return isLetterOrDigit(c) || isOneOf(c, "_");
    case 19:
        return isOneOf(c, "01");
    case 20:
        return isTrueFalseLetter(c);
    case 21:
    case 46:
        return isLetterOrDigit(c) || isOneOf(c, "._`<>$");
    case 22:
    case 47:
        return isLetterOrDigit(c) || isOneOf(c, "_`<>$");
    case 23:
    case 26:
    case 30:
    case 33:
    case 36:
    case 39:
    case 42:
        return isLetterOrDigit(c) || isOneOf(c, "._<>$?");
    case 24:
    case 27:
    case 31:
    case 34:
    case 37:
    case 40:
    case 43:
        return isLetterOrDigit(c) || isOneOf(c, "_?");
    case 29:
        return isLetterOrDigit(c) || isOneOf(c, "_:");
    case 45:
        return true;
    case 48:
        return isEmailChar(c);
    case 49:
        return isDigit(c) || isOneOf(c, " +");
    case 50:
        return isLetterOrDigit(c) || isOneOf(c, "-.");
    case 51:
        return c >= 0x21 && c <= 0x7F;
    case 13:
    case 14:
    case 15:
    case 16:
    case 17:
    case 25:
    case 28:
    case 32:
    case 35:
    case 38:
    case 41:
    case 44:
    case 52:
    case 53:
    case 54:
    case 55:
    case 56:
    case 57:
    case 58:
        return isFileNameChar(c);
    default: // 0, and every code outside 0 to 58
        return false;
    }
}

bool IsNumericInputType(int inputType)
{
    return (inputType >= 3 && inputType <= 8) || inputType == 10 || inputType == 11 ||
           inputType == 19;
}

bool HasValidationRule(int inputType)
{
    return (inputType >= 13 && inputType <= 17) || inputType == 48 ||
           (inputType >= 50 && inputType <= 54) || (inputType >= 56 && inputType <= 58);
}

bool IsValidForInputType(const WCHAR* text, int inputType)
{
    if (text == nullptr)
    {
        text = u"";
    }
    const std::u16string_view view(text);
    switch (inputType)
    {
    case 13:
        return IsExistingDirectory(text);
    case 14:
    case 15:
    case 16:
    case 17:
        return IsExistingPlainFile(text);
    case 48:
        return IsValidEmailAddress(view);
    case 50:
        return isLettersDigitsDashDot(view);
    case 51:
        return view.find(u'?') == view.rfind(u'?');
    case 52:
        return isDirectoryOrInOne(text);
    case 53:
        return IsExistingPlainFile(text) && endsWithNoCase(view, u".exe");
    case 54:
        return IsExistingPlainFile(text) && endsWithNoCase(view, u".dll");
    case 56:
    case 57:
    case 58:
        return !PathHasSeparator(text) || IsExistingPlainFile(text);
    default:
        return true;
    }
}

bool IsValidEmailAddress(std::u16string_view text)
{
    text = trimmed(text);
    const std::size_t firstDot = text.find(u'.');
    if (firstDot != std::u16string_view::npos && (firstDot == 0 || firstDot + 1 == text.size()))
    {
        return false;
    }
    if (text.find(u"..") != std::u16string_view::npos)
    {
        return false;
    }
    const std::size_t at = text.find(u'@');
    if (at == std::u16string_view::npos)
    {
        return false;
    }
    const std::u16string_view local = text.substr(0, at);
    const std::u16string_view domain = text.substr(at + 1);
    if (local.empty() || domain.empty() || domain.find(u'@') != std::u16string_view::npos)
    {
        return false;
    }
    return localPartBlanksAreQuoted(local) && domainLabelsAreValid(domain);
}

bool IsValidDomainLabel(std::u16string_view label)
{
    if (label.empty())
    {
        return true;
    }
    if (label.front() == u'-' || label.back() == u'-')
    {
        return false;
    }
    for (const WCHAR c : label)
    {
        if (!isLetterOrDigit(c) && c != u'-')
        {
            return false;
        }
    }
    return true;
}
