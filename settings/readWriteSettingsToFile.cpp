#include "settings/readWriteSettingsToFileStorage.h"

#include "platform/wholeFile.h"
#include "settings/settingsFileHeap.h"
#include "settings/settingsFileImage.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/stubString.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>

static_assert(sizeof(time_t) == 8, "time values are stored as 8 bytes");
static_assert(sizeof(double) == 8 && sizeof(ULONGLONG) == 8 && sizeof(unsigned int) == 4);

namespace
{

// Each byte becomes one code unit, bytes 0x80 to 0xFF becoming 0xFF80 to 0xFFFF, as a signed
// 8-bit char widens.
std::u16string widenSigned(const char* text)
{
    std::u16string wide;
    for (; *text != 0; ++text)
    {
        wide += static_cast<char16_t>(static_cast<signed char>(*text));
    }
    return wide;
}

// A text entry holds its characters and a terminator in a 32-bit data size.
bool textFits(std::size_t characters)
{
    return characters < (UINT32_MAX - 2) / sizeof(char16_t);
}

// The store's operations answer 0 when memory runs out; they never throw.
template <class Body> int failOnNoMemory(Body body)
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

} // namespace

readWriteSettingsToFile::readWriteSettingsToFile() : m_storage(std::make_unique<storage>()) {}

readWriteSettingsToFile::~readWriteSettingsToFile()
{
    try
    {
        save();
    }
    catch (...)
    {
        // A destructor has nowhere to report to; the entries are lost either way.
    }
}

int readWriteSettingsToFile::loadFile(const WCHAR* path)
{
    const lastErrorPreserver keepLastError;
    m_storage->entries.clear();
    if (path == nullptr)
    {
        return 0;
    }
    const int loaded = failOnNoMemory(
        [&]
        {
            // The heap is sized once the file's size is known; destroying it frees the buffer.
            std::optional<settingsFileHeap> heap;
            BYTE* buffer = nullptr;
            const wholeFile::bufferSource source = [&heap, &buffer](std::size_t size) -> void*
            {
                heap.emplace(settingsFileHeap::initialSizeForLoad(size));
                buffer = static_cast<BYTE*>(heap->allocate(size));
                return buffer;
            };
            std::size_t size = 0;
            return wholeFile::readWholeFile(path, source, size) == ERROR_SUCCESS &&
                           settingsFileFormat::parse(buffer, size, m_storage->entries)
                       ? 1
                       : 0;
        });
    if (loaded == 0)
    {
        m_storage->entries.clear();
    }
    return loaded;
}

int readWriteSettingsToFile::saveFile(const WCHAR* path) const
{
    const lastErrorPreserver keepLastError;
    if (path == nullptr)
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            settingsFileHeap heap;
            if (!heap.isValid())
            {
                return 0;
            }
            settingsFileImage image(heap);
            if (!settingsFileFormat::serialize(m_storage->entries, image))
            {
                return 0;
            }
            return wholeFile::replaceFile(path, image.data(), image.size()) == ERROR_SUCCESS ? 1
                                                                                             : 0;
        });
}

int readWriteSettingsToFile::compare(const readWriteSettingsToFile& other) const
{
    if (m_storage->entries.size() != other.m_storage->entries.size())
    {
        const long long difference = static_cast<long long>(m_storage->entries.size()) -
                                     static_cast<long long>(other.m_storage->entries.size());
        return static_cast<int>(std::clamp<long long>(difference, INT_MIN, INT_MAX));
    }
    for (const auto& [name, entry] : m_storage->entries)
    {
        const auto theirs = other.m_storage->entries.find(name);
        if (theirs == other.m_storage->entries.end())
        {
            return -1;
        }
        const int result = entry.compare(theirs->second);
        if (result != 0)
        {
            return result;
        }
    }
    return 0;
}

int readWriteSettingsToFile::setFileName(const WCHAR* path)
{
    return failOnNoMemory(
        [&]
        {
            if (path == nullptr)
            {
                m_storage->fileName.reset();
            }
            else
            {
                m_storage->fileName = std::u16string(path);
            }
            return 1;
        });
}

const WCHAR* readWriteSettingsToFile::getFileName() const
{
    return m_storage->fileName ? m_storage->fileName->c_str() : nullptr;
}

const settingsEntryMap& readWriteSettingsToFile::entries() const
{
    return m_storage->entries;
}

int readWriteSettingsToFile::save()
{
    return m_storage->fileName ? saveFile(m_storage->fileName->c_str()) : 1;
}

int readWriteSettingsToFile::getValueNames(const WCHAR*, settingsNameSet&)
{
    return 0;
}

const settingsEntry* readWriteSettingsToFile::find(std::u16string_view name) const
{
    const auto found = m_storage->entries.find(name);
    return found == m_storage->entries.end() ? nullptr : &found->second;
}

int readWriteSettingsToFile::readNumber(const WCHAR* name, void* value, std::size_t width) const
{
    if (name == nullptr)
    {
        return 0;
    }
    const settingsEntry* const entry = find(name);
    return entry != nullptr && entry->readNumber(value, width) ? 1 : 0;
}

int readWriteSettingsToFile::put(std::u16string_view key, settingsEntry&& entry)
{
    return failOnNoMemory(
        [&]
        {
            const auto found = m_storage->entries.find(key);
            if (found != m_storage->entries.end())
            {
                found->second = std::move(entry);
            }
            else
            {
                m_storage->entries.emplace(key, std::move(entry));
            }
            return 1;
        });
}

int readWriteSettingsToFile::writeNumber(const WCHAR* name, const void* value, std::size_t width)
{
    if (name == nullptr)
    {
        return 0;
    }
    return failOnNoMemory([&] { return put(name, settingsEntry::number(name, value, width)); });
}

int readWriteSettingsToFile::readWord(const WCHAR* name, WORD& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readString(const WCHAR* name, stubString& value)
{
    const settingsEntry* const entry = name == nullptr ? nullptr : find(name);
    if (entry == nullptr || entry->typeTag() != settingsEntry::textTag)
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            stubString text(entry->textValue().c_str());
            value = std::move(text);
            return 1;
        });
}

int readWriteSettingsToFile::readStringA(const char* name, stubString& value)
{
    if (name == nullptr)
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            const stubString wideName(name);
            return readString(wideName.c_str(), value);
        });
}

int readWriteSettingsToFile::readUInt64(const WCHAR* name, ULONGLONG& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readULongLong(const WCHAR* name, ULONGLONG& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readDword(const WCHAR* name, DWORD& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readDouble(const WCHAR* name, double& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readUInt(const WCHAR* name, unsigned int& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readInt(const WCHAR* name, int& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readWChar(const WCHAR* name, WCHAR& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readUChar(const WCHAR* name, unsigned char& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readChar(const WCHAR* name, char& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::readTextA(const char* name, char* buffer, int size)
{
    if (name == nullptr || buffer == nullptr)
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            const settingsEntry* const entry = find(widenSigned(name));
            if (entry == nullptr || entry->typeTag() != settingsEntry::textTag)
            {
                return 0;
            }
            const std::u16string text = entry->textValue();
            if (size < 1 || text.size() >= static_cast<std::size_t>(size))
            {
                if (size >= 1)
                {
                    buffer[0] = 0;
                }
                return 0;
            }
            std::transform(text.begin(), text.end(), buffer,
                           [](char16_t unit) { return static_cast<char>(unit & 0xFF); });
            buffer[text.size()] = 0;
            return 1;
        });
}

int readWriteSettingsToFile::readText(const WCHAR* name, WCHAR* buffer, int size)
{
    if (name == nullptr || size < 0 || (buffer == nullptr && size > 0))
    {
        return 0;
    }
    const settingsEntry* const entry = find(name);
    if (entry == nullptr || entry->typeTag() != settingsEntry::textTag)
    {
        return 0;
    }
    if (size == 0)
    {
        return 1;
    }
    return failOnNoMemory(
        [&]
        {
            const std::u16string text = entry->textValue();
            const std::size_t capacity = static_cast<std::size_t>(size);
            const std::size_t copied = std::min(text.size(), capacity);
            std::copy_n(text.begin(), copied, buffer);
            std::fill(buffer + copied, buffer + capacity, u'\0');
            return 1;
        });
}

int readWriteSettingsToFile::readTime(const WCHAR* name, time_t& value)
{
    return readNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeString(const WCHAR*, const WCHAR* name, const stubString& value)
{
    if (name == nullptr || !textFits(value.str().size()))
    {
        return 0;
    }
    return failOnNoMemory([&] { return put(name, settingsEntry::text(name, value.str())); });
}

int readWriteSettingsToFile::writeStringA(const WCHAR*, const char* name, const stubString& value)
{
    if (name == nullptr || !textFits(value.str().size()))
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            const stubString key(name);
            return put(key.str(), settingsEntry::text(widenSigned(name), value.str()));
        });
}

int readWriteSettingsToFile::writeTextA(const WCHAR*, const char* name, const char* text)
{
    if (name == nullptr || text == nullptr || !textFits(std::strlen(text)))
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            const std::u16string wideName = widenSigned(name);
            return put(wideName, settingsEntry::text(wideName, widenSigned(text)));
        });
}

int readWriteSettingsToFile::writeUInt64(const WCHAR*, const WCHAR* name, const ULONGLONG& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeULongLong(const WCHAR*, const WCHAR* name, const ULONGLONG& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeDword(const WCHAR*, const WCHAR* name, const DWORD& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeDouble(const WCHAR*, const WCHAR* name, const double& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeWord(const WCHAR*, const WCHAR* name, const WORD& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeUInt(const WCHAR*, const WCHAR* name, const unsigned int& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeInt(const WCHAR*, const WCHAR* name, const int& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeWChar(const WCHAR*, const WCHAR* name, const WCHAR& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeUChar(const WCHAR*, const WCHAR* name, const unsigned char& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeChar(const WCHAR*, const WCHAR* name, const char& value)
{
    return writeNumber(name, &value, sizeof value);
}

int readWriteSettingsToFile::writeText(const WCHAR*, const WCHAR* name, const WCHAR* text,
                                       int length)
{
    if (name == nullptr || length < 0 || (text == nullptr && length > 0) ||
        !textFits(static_cast<std::size_t>(length)))
    {
        return 0;
    }
    return failOnNoMemory(
        [&]
        {
            const std::u16string_view value =
                length == 0 ? std::u16string_view() : std::u16string_view(text, length);
            return put(name, settingsEntry::text(name, value));
        });
}

int readWriteSettingsToFile::writeTime(const WCHAR*, const WCHAR* name, const time_t& value)
{
    return writeNumber(name, &value, sizeof value);
}
