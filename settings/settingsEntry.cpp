#include "settings/settingsEntry.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

namespace
{

int clampedDifference(long long a, long long b)
{
    const long long difference = a - b;
    return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
}

// Names and data sizes must fit the file's 32-bit length fields.
constexpr std::size_t maxNameLength = (UINT32_MAX - 2) / sizeof(char16_t);

} // namespace

settingsEntry::settingsEntry(std::u16string_view name, std::int32_t typeTag, std::size_t dataSize)
    : m_nameLength(0), m_typeTag(typeTag), m_dataSize(0)
{
    if (name.size() >= maxNameLength || dataSize > UINT32_MAX)
    {
        throw std::bad_alloc();
    }
    m_block =
        std::make_unique_for_overwrite<char16_t[]>(name.size() + (dataSize + 1) / sizeof(char16_t));
    std::copy(name.begin(), name.end(), m_block.get());
    m_nameLength = static_cast<std::uint32_t>(name.size());
    m_dataSize = static_cast<DWORD>(dataSize);
}

settingsEntry::settingsEntry(std::u16string_view name, std::int32_t typeTag, const BYTE* data,
                             std::size_t dataSize)
    : settingsEntry(name, typeTag, dataSize)
{
    if (dataSize > 0)
    {
        std::memcpy(mutableData(), data, dataSize);
    }
}

settingsEntry settingsEntry::number(std::u16string_view name, const void* value, std::size_t width)
{
    return settingsEntry(name, numberTag, static_cast<const BYTE*>(value), width);
}

settingsEntry settingsEntry::text(std::u16string_view name, std::u16string_view text)
{
    if (text.size() >= maxNameLength)
    {
        throw std::bad_alloc();
    }
    settingsEntry entry(name, textTag, (text.size() + 1) * sizeof(char16_t));
    // The units follow the name's units in the block, so they can be written as units; the
    // file holds them little-endian, which is memory order on every target we build.
    char16_t* const units = entry.m_block.get() + entry.m_nameLength;
    std::copy(text.begin(), text.end(), units);
    units[text.size()] = 0;
    return entry;
}

bool settingsEntry::readNumber(void* value, std::size_t width) const
{
    if (m_typeTag != numberTag || m_dataSize != width)
    {
        return false;
    }
    std::memcpy(value, data(), width);
    return true;
}

std::u16string settingsEntry::textValue() const
{
    std::u16string text(m_dataSize / sizeof(char16_t), u'\0');
    if (!text.empty())
    {
        std::memcpy(text.data(), data(), text.size() * sizeof(char16_t));
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
    const int byName = name().compare(other.name());
    if (byName != 0)
    {
        return byName < 0 ? -1 : 1;
    }
    if (m_typeTag != other.m_typeTag)
    {
        return clampedDifference(m_typeTag, other.m_typeTag);
    }
    if (m_dataSize != other.m_dataSize)
    {
        return clampedDifference(m_dataSize, other.m_dataSize);
    }
    const BYTE* const mine = data();
    const BYTE* const theirs = other.data();
    const auto [left, right] = std::mismatch(mine, mine + m_dataSize, theirs);
    return left == mine + m_dataSize ? 0 : static_cast<int>(*left) - static_cast<int>(*right);
}
