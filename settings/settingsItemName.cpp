#include "settings/settingsItemName.h"

#include "platform/wideText.h"

namespace settingsItemName
{

std::u16string stemOf(const WCHAR* prefix, const WCHAR* stem)
{
    std::u16string name = u"[";
    if (prefix != nullptr)
    {
        name += prefix;
    }
    name += u"]";
    name += stem;
    return name;
}

std::u16string itemOf(const WCHAR* prefix, const WCHAR* stem, unsigned int n)
{
    return stemOf(prefix, stem) + wideText::fromUnsigned(n);
}

bool formatItem(WCHAR* buffer, std::size_t capacity, const WCHAR* prefix, const WCHAR* stem,
                unsigned int n)
{
    if (buffer == nullptr || capacity == 0)
    {
        return false;
    }
    const std::u16string name = itemOf(prefix, stem, n);
    const std::size_t len = name.size() < capacity ? name.size() : capacity - 1;
    name.copy(buffer, len);
    buffer[len] = 0;
    return len == name.size();
}

} // namespace settingsItemName
