#include "settings/settingsFileImage.h"

#include "settings/settingsFileHeap.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

static_assert(std::endian::native == std::endian::little,
              "settings files hold UTF-16LE text copied from memory");

settingsFileImage::~settingsFileImage()
{
    m_heap.release(m_block);
}

bool settingsFileImage::growTo(std::size_t capacity)
{
    void* const block =
        m_block == nullptr ? m_heap.allocate(capacity) : m_heap.reallocate(m_block, capacity);
    if (block == nullptr)
    {
        return false;
    }
    m_block = static_cast<BYTE*>(block);
    m_capacity = capacity;
    return true;
}

bool settingsFileImage::reserveFor(std::size_t count)
{
    if (count > maxSize - m_size)
    {
        return false;
    }
    if (count <= m_capacity - m_size)
    {
        return true;
    }
    const std::size_t shortfall = m_size + count - m_capacity;
    return growTo(std::min(maxSize, m_capacity + std::max(growthStep, shortfall)));
}

bool settingsFileImage::reserve(std::size_t total)
{
    if (total > maxSize)
    {
        return false;
    }
    if (total <= m_capacity)
    {
        return true;
    }
    const std::size_t steps = (total - m_capacity + growthStep - 1) / growthStep;
    return growTo(std::min(maxSize, m_capacity + steps * growthStep));
}

bool settingsFileImage::append(const void* bytes, std::size_t count)
{
    if (count == 0)
    {
        return true;
    }
    if (!reserveFor(count))
    {
        return false;
    }
    std::memcpy(m_block + m_size, bytes, count);
    m_size += count;
    return true;
}

bool settingsFileImage::appendUInt32(std::uint32_t value)
{
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return append(bytes, sizeof bytes);
}

bool settingsFileImage::appendInt32(std::int32_t value)
{
    return appendUInt32(static_cast<std::uint32_t>(value));
}

bool settingsFileImage::appendText(std::u16string_view text)
{
    if (text.size() > maxSize / sizeof(char16_t))
    {
        return false;
    }
    return append(text.data(), text.size() * sizeof(char16_t));
}
