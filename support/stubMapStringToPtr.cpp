#include "support/stubMapStringToPtr.h"

#include "platform/wideText.h"

stubMapStringToPtr::stubMapStringToPtr(int hashTableSize)
{
    if (hashTableSize > 0)
    {
        m_map.reserve(static_cast<std::size_t>(hashTableSize));
    }
}

void stubMapStringToPtr::SetAt(const WCHAR* key, void* value)
{
    if (key == nullptr)
    {
        return;
    }
    m_map.insert_or_assign(std::u16string(key, wideText::length(key)), value);
}

BOOL stubMapStringToPtr::Lookup(const WCHAR* key, void*& value) const
{
    if (key == nullptr)
    {
        return FALSE;
    }
    const auto found = m_map.find(std::u16string(key, wideText::length(key)));
    if (found == m_map.end())
    {
        return FALSE;
    }
    value = found->second;
    return TRUE;
}
