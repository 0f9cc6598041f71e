#include "platform/registryName.h"

#include "platform/wideText.h"

#include <algorithm>

namespace registryStore
{

registryName::registryName(std::u16string_view name) : m_text(wideText::toUtf8(name))
{
    m_folded.reserve(name.size() * 2);
    for (const WCHAR c : name)
    {
        const WCHAR f = wideText::foldChar(c);
        m_folded += static_cast<char>(f >> 8);
        m_folded += static_cast<char>(f & 0xFF);
    }
}

std::u16string registryName::decode(std::string_view text)
{
    return wideText::fromUtf8(text);
}

DWORD registryName::splitPath(const WCHAR* path, std::vector<registryName>& names)
{
    names.clear();
    std::u16string_view whole(path == nullptr ? u"" : path, wideText::length(path));
    if (whole.starts_with(u'\\'))
    {
        return ERROR_BAD_PATHNAME;
    }
    // Paths joined from pieces may end in more than one separator; Windows takes them all.
    while (whole.ends_with(u'\\'))
    {
        whole.remove_suffix(1);
    }
    std::size_t start = 0;
    while (start < whole.size())
    {
        const std::size_t end = std::min(whole.find(u'\\', start), whole.size());
        if (end == start)
        {
            return ERROR_BAD_PATHNAME;
        }
        names.emplace_back(whole.substr(start, end - start));
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

} // namespace registryStore
