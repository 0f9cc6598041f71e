#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include "support/logFile.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/stubString.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace
{
// Windows' own buffer for a string read: MAX_PATH plus the terminator.
constexpr DWORD kStringChars = 261;

static_assert(sizeof(time_t) == 8, "the stored time is 8 bytes");
static_assert(sizeof(double) == 8 && sizeof(unsigned int) == 4 && sizeof(int) == 4);

const BYTE* bytesOf(const void* data)
{
    return static_cast<const BYTE*>(data);
}

// Length of stored text: up to the first NUL or the last whole code unit of `bytes`, and never
// beyond the `capacity` bytes the query was given.
template <class Char> std::size_t textLength(const Char* text, DWORD bytes, DWORD capacity)
{
    const std::size_t units = (bytes < capacity ? bytes : capacity) / sizeof(Char);
    return static_cast<std::size_t>(std::find(text, text + units, Char{0}) - text);
}

template <class Char>
void assignText(stubString& value, const Char* text, DWORD bytes, DWORD capacity)
{
    value = std::basic_string<Char>(text, textLength(text, bytes, capacity)).c_str();
}

// RegQueryValueExW or RegQueryValueExA, whichever takes names of `Name`.
template <class Name>
using queryFunction = LSTATUS (*)(HKEY, const Name*, LPDWORD, LPDWORD, LPBYTE, LPDWORD);

// A string read: first into Windows' own buffer, and once more into one of the size the value
// asks for when that is too small. 0 when memory for that runs out.
template <class Char, class Name>
int readStoredString(queryFunction<Name> query, HKEY key, const Name* name, stubString& value)
{
    // One unit beyond what the query may fill, so text stored without its NUL still ends.
    Char buffer[kStringChars + 1];
    constexpr DWORD capacity = kStringChars * sizeof(Char);
    DWORD size = capacity;
    LSTATUS result = query(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
    if (result == ERROR_SUCCESS)
    {
        assignText(value, buffer, size, capacity);
        return 1;
    }
    if (result != ERROR_MORE_DATA)
    {
        return 0;
    }
    try
    {
        // Rounded up to whole code units: an odd stored size must not be read past.
        std::vector<Char> large(size / sizeof(Char) + 1);
        const DWORD largeCapacity = size;
        result = query(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(large.data()), &size);
        if (result != ERROR_SUCCESS)
        {
            return 0;
        }
        assignText(value, large.data(), size, largeCapacity);
        return 1;
    }
    catch (const std::bad_alloc&)
    {
        return 0;
    }
}

// A read into the caller's array of `size` (at least 1) characters, which then holds the text
// and its NUL, or an empty text when the read fails.
template <class Char, class Name>
int readStoredText(queryFunction<Name> query, HKEY key, const Name* name, Char* buffer, int size)
{
    const DWORD capacity = static_cast<DWORD>(size) * sizeof(Char);
    DWORD bytes = capacity;
    if (query(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &bytes) ==
        ERROR_SUCCESS)
    {
        const std::size_t length = textLength(buffer, bytes, capacity);
        // Text that fills the whole array without a NUL has no room for one: not read.
        if (length < static_cast<std::size_t>(size))
        {
            buffer[length] = 0;
            return 1;
        }
    }
    buffer[0] = 0;
    return 0;
}

// Reports a write's result to the diagnostic log, when the caller named one, and answers it.
template <class Name>
int reportWrite(const WCHAR* logFileName, LSTATUS result, const char* context, const Name* name)
{
    if (logFileName != nullptr)
    {
        writeSystemErrorToLogFile(logFileName, static_cast<DWORD>(result), context, name);
    }
    return result == ERROR_SUCCESS ? 1 : 0;
}
} // namespace

readWriteSettingsToRegistry::~readWriteSettingsToRegistry()
{
    key = nullptr;
}

int readWriteSettingsToRegistry::readFixed(const WCHAR* name, void* value, DWORD width)
{
    if (key == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    DWORD size = width;
    return RegQueryValueExW(key, name, nullptr, nullptr, static_cast<BYTE*>(value), &size) ==
                   ERROR_SUCCESS
               ? 1
               : 0;
}

int readWriteSettingsToRegistry::writeFixed(const WCHAR* logFileName, const WCHAR* name, DWORD type,
                                            const void* data, DWORD size, const char* context)
{
    if (key == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    return reportWrite(logFileName, RegSetValueExW(key, name, 0, type, bytesOf(data), size),
                       context, name);
}

int readWriteSettingsToRegistry::readWord(const WCHAR* name, WORD& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readString(const WCHAR* name, stubString& value)
{
    if (key == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    return readStoredString<WCHAR>(RegQueryValueExW, key, name, value);
}

int readWriteSettingsToRegistry::readStringA(const char* name, stubString& value)
{
    if (key == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    return readStoredString<char>(RegQueryValueExA, key, name, value);
}

int readWriteSettingsToRegistry::readUInt64(const WCHAR* name, ULONGLONG& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readULongLong(const WCHAR* name, ULONGLONG& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readDword(const WCHAR* name, DWORD& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readDouble(const WCHAR* name, double& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readUInt(const WCHAR* name, unsigned int& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readInt(const WCHAR* name, int& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readWChar(const WCHAR* name, WCHAR& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readUChar(const WCHAR* name, unsigned char& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readChar(const WCHAR* name, char& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::readTextA(const char* name, char* buffer, int size)
{
    if (key == nullptr || buffer == nullptr || size < 1)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    return readStoredText(RegQueryValueExA, key, name, buffer, size);
}

int readWriteSettingsToRegistry::readText(const WCHAR* name, WCHAR* buffer, int size)
{
    if (key == nullptr || buffer == nullptr || size < 1)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    return readStoredText(RegQueryValueExW, key, name, buffer, size);
}

int readWriteSettingsToRegistry::readTime(const WCHAR* name, time_t& value)
{
    return readFixed(name, &value, sizeof value);
}

int readWriteSettingsToRegistry::writeString(const WCHAR* logFileName, const WCHAR* name,
                                             const stubString& value)
{
    const DWORD size = static_cast<DWORD>((value.str().size() + 1) * sizeof(WCHAR));
    return writeFixed(logFileName, name, REG_SZ, value.c_str(), size, "setting string value");
}

int readWriteSettingsToRegistry::writeStringA(const WCHAR* logFileName, const char* name,
                                              const stubString& value)
{
    if (key == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    const stubString wideName(name);
    const DWORD size = static_cast<DWORD>((value.str().size() + 1) * sizeof(WCHAR));
    return reportWrite(logFileName,
                       RegSetValueExW(key, wideName, 0, REG_SZ, bytesOf(value.c_str()), size),
                       "setting string value", name);
}

int readWriteSettingsToRegistry::writeTextA(const WCHAR* logFileName, const char* name,
                                            const char* text)
{
    if (key == nullptr)
    {
        return 0;
    }
    const lastErrorPreserver preserveLastError;
    const DWORD size = text != nullptr ? static_cast<DWORD>(std::strlen(text) + 1) : 0;
    return reportWrite(logFileName, RegSetValueExA(key, name, 0, REG_SZ, bytesOf(text), size),
                       "setting string value", name);
}

int readWriteSettingsToRegistry::writeUInt64(const WCHAR* logFileName, const WCHAR* name,
                                             const ULONGLONG& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value,
                      "setting unsigned __int64 value");
}

int readWriteSettingsToRegistry::writeULongLong(const WCHAR* logFileName, const WCHAR* name,
                                                const ULONGLONG& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value,
                      "setting unsigned __int64 value");
}

int readWriteSettingsToRegistry::writeDword(const WCHAR* logFileName, const WCHAR* name,
                                            const DWORD& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value, "setting dword value");
}

int readWriteSettingsToRegistry::writeDouble(const WCHAR* logFileName, const WCHAR* name,
                                             const double& value)
{
    return writeFixed(logFileName, name, REG_BINARY, &value, sizeof value, "setting double value");
}

int readWriteSettingsToRegistry::writeWord(const WCHAR* logFileName, const WCHAR* name,
                                           const WORD& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value, "setting dword value");
}

int readWriteSettingsToRegistry::writeUInt(const WCHAR* logFileName, const WCHAR* name,
                                           const unsigned int& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value,
                      "setting unsigned int value");
}

int readWriteSettingsToRegistry::writeInt(const WCHAR* logFileName, const WCHAR* name,
                                          const int& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value, "setting int value");
}

int readWriteSettingsToRegistry::writeWChar(const WCHAR* logFileName, const WCHAR* name,
                                            const WCHAR& value)
{
    return writeFixed(logFileName, name, REG_BINARY, &value, sizeof value, "setting wchar_t value");
}

int readWriteSettingsToRegistry::writeUChar(const WCHAR* logFileName, const WCHAR* name,
                                            const unsigned char& value)
{
    return writeFixed(logFileName, name, REG_BINARY, &value, sizeof value,
                      "setting unsigned char value");
}

int readWriteSettingsToRegistry::writeChar(const WCHAR* logFileName, const WCHAR* name,
                                           const char& value)
{
    return writeFixed(logFileName, name, REG_BINARY, &value, sizeof value, "setting char value");
}

int readWriteSettingsToRegistry::writeText(const WCHAR* logFileName, const WCHAR* name,
                                           const WCHAR* text, int length)
{
    if (length < 0 || (text == nullptr && length > 0))
    {
        if (key == nullptr)
        {
            return 0;
        }
        const lastErrorPreserver preserveLastError;
        return reportWrite(logFileName, ERROR_INVALID_PARAMETER, "setting string value", name);
    }
    const DWORD size = static_cast<DWORD>(length) * sizeof(WCHAR);
    return writeFixed(logFileName, name, REG_SZ, text, size, "setting string value");
}

int readWriteSettingsToRegistry::writeTime(const WCHAR* logFileName, const WCHAR* name,
                                           const time_t& value)
{
    return writeFixed(logFileName, name, REG_DWORD, &value, sizeof value,
                      "setting unsigned time_t value");
}
