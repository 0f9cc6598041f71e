#include "settings/settingsEntry.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace
{

int clampedDifference(long long a, long long b)
{
    const long long difference = a - b;
    return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
}

} // namespace

settingsEntry settingsEntry::number(std::u16string name, const void* value, std::size_t width)
{
    const auto* const bytes = static_cast<const BYTE*>(value);
    return settingsEntry(std::move(name), numberTag, std::vector<BYTE>(bytes, bytes + width));
}

settingsEntry settingsEntry::text(std::u16string name, std::u16string_view text)
{
    std::vector<BYTE> data((text.size() + 1) * sizeof(char16_t));
    // Code units are stored little-endian, which is memory order on every target we build.
    if (!text.empty())
    {
        std::memcpy(data.data(), text.data(), text.size() * sizeof(char16_t));
    }
    return settingsEntry(std::move(name), textTag, std::move(data));
}

bool settingsEntry::readNumber(void* value, std::size_t width) const
{
    if (m_typeTag != numberTag || m_data.size() != width)
    {
        return false;
    }
    std::memcpy(value, m_data.data(), width);
    return true;
}

std::u16string settingsEntry::textValue() const
{
    std::u16string text(m_data.size() / sizeof(char16_t), u'\0');
    if (!text.empty())
    {
        std::memcpy(text.data(), m_data.data(), text.size() * sizeof(char16_t));
    }
    const std::size_t end = text.find(u'\0');
    if (end != std::u16string::npos)
    {
        text.resize(end);
    }
    return text;
}

int settingsEntry::compare(const settingsEntry& other) const
{
    const int byName = m_name.compare(other.m_name);
    if (byName != 0)
    {
        return byName < 0 ? -1 : 1;
    }
    if (m_typeTag != other.m_typeTag)
    {
        return clampedDifference(m_typeTag, other.m_typeTag);
    }
    if (m_data.size() != other.m_data.size())
    {
        return clampedDifference(static_cast<long long>(m_data.size()),
                                 static_cast<long long>(other.m_data.size()));
    }
    const auto [mine, theirs] = std::mismatch(m_data.begin(), m_data.end(), other.m_data.begin());
    return mine == m_data.end() ? 0 : static_cast<int>(*mine) - static_cast<int>(*theirs);
}
