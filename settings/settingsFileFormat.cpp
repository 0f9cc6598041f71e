#include "settings/settingsFileFormat.h"

#include "settings/settingsFileImage.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace
{

// Consumes the image front to back; every take checks what is left first.
class byteReader
{
public:
    byteReader(const BYTE* data, std::size_t size) : m_next(data), m_left(size) {}

    bool takeUInt32(std::uint32_t& value)
    {
        if (m_left < 4)
        {
            return false;
        }
        value = static_cast<std::uint32_t>(m_next[0]) | static_cast<std::uint32_t>(m_next[1]) << 8 |
                static_cast<std::uint32_t>(m_next[2]) << 16 |
                static_cast<std::uint32_t>(m_next[3]) << 24;
        skip(4);
        return true;
    }

    bool takeInt32(std::int32_t& value)
    {
        std::uint32_t bits = 0;
        if (!takeUInt32(bits))
        {
            return false;
        }
        value = static_cast<std::int32_t>(bits);
        return true;
    }

    // A block of `count` bytes, count > 0. Null when fewer are left.
    const BYTE* takeBlock(std::uint32_t count)
    {
        if (count == 0 || count > m_left)
        {
            return nullptr;
        }
        const BYTE* const block = m_next;
        skip(count);
        return block;
    }

private:
    void skip(std::size_t count)
    {
        m_next += count;
        m_left -= count;
    }

    const BYTE* m_next;
    std::size_t m_left;
};

// The name is the text up to its first zero code unit; an odd last byte is no code unit.
std::u16string nameFrom(const BYTE* bytes, std::uint32_t length)
{
    std::u16string name(length / sizeof(char16_t), u'\0');
    std::memcpy(name.data(), bytes, name.size() * sizeof(char16_t));
    const std::size_t end = name.find(u'\0');
    if (end != std::u16string::npos)
    {
        name.resize(end);
    }
    return name;
}

void store(settingsEntryMap& entries, std::u16string_view name, std::int32_t tag, const BYTE* data,
           std::uint32_t size)
{
    settingsEntry entry(name, tag, data, size);
    // Saved files are sorted, so appending at the end is the common case and costs O(1).
    if (entries.empty() || settingsNameOrder()(entries.rbegin()->first, name))
    {
        entries.emplace_hint(entries.end(), name, std::move(entry));
        return;
    }
    const auto found = entries.find(name);
    if (found != entries.end())
    {
        found->second = std::move(entry);
        return;
    }
    entries.emplace(name, std::move(entry));
}

} // namespace

namespace settingsFileFormat
{

bool parse(const BYTE* data, std::size_t size, settingsEntryMap& entries)
{
    entries.clear();
    byteReader reader(data, size);
    std::int32_t count = 0;
    if (data == nullptr || !reader.takeInt32(count))
    {
        return false;
    }
    for (std::int32_t i = 0; i < count; ++i)
    {
        std::uint32_t nameLength = 0;
        if (!reader.takeUInt32(nameLength))
        {
            // Every later entry would fail on this same field: nothing more can be read.
            break;
        }
        // Each step below consumes at least 4 bytes before it can fail, so a damaged count
        // costs no more iterations than the image has words.
        const BYTE* const nameBytes = reader.takeBlock(nameLength);
        if (nameBytes == nullptr)
        {
            continue;
        }
        std::int32_t tag = 0;
        std::uint32_t dataSize = 0;
        if (!reader.takeInt32(tag) || !reader.takeUInt32(dataSize))
        {
            continue;
        }
        const BYTE* const value = reader.takeBlock(dataSize);
        if (value == nullptr)
        {
            continue;
        }
        store(entries, nameFrom(nameBytes, nameLength), tag, value, dataSize);
    }
    return true;
}

std::uint64_t imageSize(const settingsEntryMap& entries)
{
    std::uint64_t size = 4;
    for (const auto& [key, entry] : entries)
    {
        size += 4 + (entry.name().size() + 1) * sizeof(char16_t) + 4 + 4 + entry.dataSize();
    }
    return size;
}

bool serialize(const settingsEntryMap& entries, settingsFileImage& image)
{
    const std::uint64_t size = image.size() + imageSize(entries);
    if (entries.size() > static_cast<std::size_t>(INT32_MAX) || size > settingsFileImage::maxSize ||
        !image.reserve(static_cast<std::size_t>(size)) ||
        !image.appendInt32(static_cast<std::int32_t>(entries.size())))
    {
        return false;
    }
    for (const auto& [key, entry] : entries)
    {
        const std::u16string_view name = entry.name();
        if (name.size() >= (UINT32_MAX - 2) / sizeof(char16_t))
        {
            return false;
        }
        const auto nameLength = static_cast<std::uint32_t>(name.size() * 2 + 2);
        const BYTE terminator[2] = {0, 0};
        if (!image.appendUInt32(nameLength) || !image.appendText(name) ||
            !image.append(terminator, sizeof terminator) || !image.appendInt32(entry.typeTag()) ||
            !image.appendUInt32(entry.dataSize()) || !image.append(entry.data(), entry.dataSize()))
        {
            return false;
        }
    }
    return true;
}

} // namespace settingsFileFormat
