#include "tools/rzreg/regKeyPath.h"

#include "platform/wideText.h"
#include <reZevavEvadurov/registry.h>

#include <array>

namespace
{

struct rootName
{
    std::u16string_view longName;
    std::u16string_view shortName;
    HKEY root;
};

const std::array<rootName, 2>& roots()
{
    static const std::array<rootName, 2> table{{
        {u"HKEY_CURRENT_USER", u"HKCU", HKEY_CURRENT_USER},
        {u"HKEY_USERS", u"HKU", HKEY_USERS},
    }};
    return table;
}

bool sameNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (wideText::foldChar(a[i]) != wideText::foldChar(b[i]))
        {
            return false;
        }
    }
    return true;
}

} // namespace

std::u16string regKeyPath::fullName() const
{
    std::u16string name;
    for (const rootName& r : roots())
    {
        if (r.root == root)
        {
            name = r.longName;
        }
    }
    if (!subKey.empty())
    {
        name += u'\\';
        name += subKey;
    }
    return name;
}

regKeyPath regKeyPath::child(std::u16string_view name) const
{
    regKeyPath path = *this;
    if (!path.subKey.empty())
    {
        path.subKey += u'\\';
    }
    path.subKey += name;
    return path;
}

std::optional<regKeyPath> regKeyPath::parse(std::u16string_view text)
{
    const std::size_t slash = text.find(u'\\');
    const std::u16string_view head = text.substr(0, slash);
    std::u16string_view rest =
        slash == std::u16string_view::npos ? std::u16string_view() : text.substr(slash + 1);
    // "HKCU\" is refused, as Windows does; "HKCU" alone names the root.
    if (slash != std::u16string_view::npos && rest.empty())
    {
        return std::nullopt;
    }
    if (!rest.empty() && rest.back() == u'\\')
    {
        rest.remove_suffix(1);
    }
    if (!rest.empty() &&
        (rest.front() == u'\\' || rest.back() == u'\\' || rest.find(u"\\\\") != rest.npos))
    {
        return std::nullopt;
    }
    for (const rootName& r : roots())
    {
        if (sameNoCase(head, r.longName) || sameNoCase(head, r.shortName))
        {
            return regKeyPath{r.root, std::u16string(rest)};
        }
    }
    return std::nullopt;
}
