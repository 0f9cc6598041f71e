// Value functions of the registry: query, set, enumerate, delete, and the 8-bit forms.
// Where POSIX forms differ from Windows: the 8-bit code page is UTF-8. Windows looks past the
// caller's stated size for a forgotten terminator (RegSetValueExA, and a REG_SZ whose size
// leaves the terminator out is stretched when a zero follows the data); here the data is taken
// exactly as given and nothing past the caller's size is ever read. A value name longer than
// 16,383 characters is refused with ERROR_INVALID_PARAMETER, as on Windows.

#include <reZevavEvadurov/registry.h>

#include "platform/registryCall.h"
#include "platform/wideText.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

using namespace registryStore;

namespace
{

bool isText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

std::u16string wideFromBytes(std::span<const BYTE> bytes)
{
    std::u16string text(bytes.size() / 2, u'\0'); // an odd last byte is no character
    if (!text.empty())
    {
        std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    }
    return text;
}

std::span<const BYTE> bytesOf(const std::u16string& text)
{
    return {reinterpret_cast<const BYTE*>(text.data()), text.size() * sizeof(char16_t)};
}

std::u16string nameFrom(LPCSTR name)
{
    return name == nullptr ? std::u16string() : wideText::fromUtf8(name);
}

std::u16string_view nameFrom(LPCWSTR name)
{
    return name == nullptr ? std::u16string_view() : std::u16string_view(name);
}

// As Windows does: a string stored without its terminator gets one in the caller's buffer
// when the buffer has room for it; the size reported stays the stored size.
void terminate(DWORD type, LPBYTE data, DWORD size, DWORD room, DWORD unit)
{
    if (!isText(type) || size < unit || room - size < unit)
    {
        return;
    }
    if (std::any_of(data + size - unit, data + size, [](BYTE b) { return b != 0; }))
    {
        std::memset(data + size, 0, unit);
    }
}

// Hands a stored value to the caller the way RegQueryValueEx does. `narrow` gives the
// 8-bit form: text types converted, their size that of the converted text.
DWORD deliver(const storedValue& value, LPDWORD type, LPBYTE data, LPDWORD dataSize, bool narrow)
{
    std::string converted;
    std::span<const BYTE> bytes(value.data);
    DWORD unit = sizeof(WCHAR);
    if (narrow && isText(value.type))
    {
        converted = wideText::toUtf8(wideFromBytes(value.data));
        bytes = {reinterpret_cast<const BYTE*>(converted.data()), converted.size()};
        unit = 1;
    }
    if (bytes.size() > 0xFFFFFFFFu)
    {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    const auto size = static_cast<DWORD>(bytes.size());
    DWORD result = ERROR_SUCCESS;
    if (data != nullptr)
    {
        if (size > *dataSize)
        {
            result = ERROR_MORE_DATA; // the buffer is left as it was
        }
        else
        {
            std::copy(bytes.begin(), bytes.end(), data);
            terminate(value.type, data, size, *dataSize, unit);
        }
    }
    if (type != nullptr)
    {
        *type = value.type;
    }
    if (dataSize != nullptr)
    {
        *dataSize = size;
    }
    return result;
}

// A lookup that found nothing: tell a missing name from a deleted key.
DWORD missingOrDeleted(registryDatabase& db, keyId key, DWORD result, DWORD missing)
{
    const DWORD gone = result == missing ? db.keyExists(key) : ERROR_SUCCESS;
    return gone != ERROR_SUCCESS ? gone : result;
}

// The value `name` of the call's open key: ERROR_FILE_NOT_FOUND when the key has none.
DWORD findValue(registryCall& call, const registryName& name, storedValue& value)
{
    const keyId id = call.key().key.id;
    return call.read(
        [&](registryDatabase& db)
        {
            const DWORD r = db.findValue(id, name, value);
            return missingOrDeleted(db, id, r, ERROR_FILE_NOT_FOUND);
        });
}

// One transaction that stamps the call's open key with the write time and makes `change`.
template <class CHANGE> DWORD changeValues(registryCall& call, const CHANGE& change)
{
    const keyId id = call.key().key.id;
    return call.write(
        [&](registryDatabase& db)
        {
            const DWORD r = db.touchKey(id);
            return r != ERROR_SUCCESS ? r : change(db, id);
        });
}

DWORD queryValue(HKEY key, std::u16string_view name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                 LPDWORD dataSize, bool narrow)
{
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr))
    {
        return ERROR_INVALID_PARAMETER;
    }
    registryCall call;
    DWORD status = call.open(key, KEY_QUERY_VALUE);
    if (status != ERROR_SUCCESS)
    {
        return status;
    }
    storedValue value;
    status = findValue(call, registryName(name), value);
    if (status == ERROR_FILE_NOT_FOUND && data == nullptr && dataSize != nullptr)
    {
        *dataSize = 0; // as Windows answers a size query for a missing value
    }
    return status != ERROR_SUCCESS ? status : deliver(value, type, data, dataSize, narrow);
}

// The longest value name Windows stores, in UTF-16 code units.
constexpr std::size_t maxValueNameChars = 16383;

DWORD setValue(HKEY key, std::u16string_view name, DWORD type, std::span<const BYTE> data)
{
    registryCall call;
    const DWORD status = call.open(key, KEY_SET_VALUE);
    if (status != ERROR_SUCCESS)
    {
        return status;
    }
    if (name.size() > maxValueNameChars)
    {
        return ERROR_INVALID_PARAMETER;
    }
    const registryName valueName(name);
    return changeValues(call, [&](registryDatabase& db, keyId id)
                        { return db.setValue(id, valueName, type, data); });
}

} // namespace

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize)
{
    return registryCall::guarded(
        [&]
        { return queryValue(key, nameFrom(valueName), reserved, type, data, dataSize, false); });
}

LSTATUS RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type, LPBYTE data,
                         LPDWORD dataSize)
{
    return registryCall::guarded(
        [&] { return queryValue(key, nameFrom(valueName), reserved, type, data, dataSize, true); });
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD /*reserved*/, DWORD type,
                       const BYTE* data, DWORD dataSize)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (data == nullptr && dataSize != 0)
            {
                return ERROR_NOACCESS;
            }
            return setValue(key, nameFrom(valueName), type, {data, data == nullptr ? 0 : dataSize});
        });
}

LSTATUS RegSetValueExA(HKEY key, LPCSTR valueName, DWORD /*reserved*/, DWORD type, const BYTE* data,
                       DWORD dataSize)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (data == nullptr && dataSize != 0)
            {
                return ERROR_NOACCESS;
            }
            const std::span<const BYTE> given(data, data == nullptr ? 0 : dataSize);
            if (!isText(type))
            {
                return setValue(key, nameFrom(valueName), type, given);
            }
            const std::u16string wide = wideText::fromUtf8(
                std::string_view(reinterpret_cast<const char*>(given.data()), given.size()));
            return setValue(key, nameFrom(valueName), type, bytesOf(wide));
        });
}

LSTATUS RegEnumValueW(HKEY key, DWORD index, LPWSTR valueName, LPDWORD valueNameChars,
                      LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD dataSize)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (reserved != nullptr || valueName == nullptr || valueNameChars == nullptr ||
                (data != nullptr && dataSize == nullptr))
            {
                return ERROR_INVALID_PARAMETER;
            }
            registryCall call;
            DWORD status = call.open(key, KEY_QUERY_VALUE);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            const keyId id = call.key().key.id;
            enumerationCursor* const cursor =
                call.key().cursors ? &call.key().cursors->values : nullptr;
            std::u16string name;
            storedValue value;
            status = call.read(
                [&](registryDatabase& db)
                {
                    const DWORD r = db.valueAt(id, index, name, value, cursor);
                    return missingOrDeleted(db, id, r, ERROR_NO_MORE_ITEMS);
                });
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            if (name.size() >= *valueNameChars)
            {
                // No room for the name and its terminator: only type and data size are told.
                deliver(value, type, nullptr, dataSize, false);
                return ERROR_MORE_DATA;
            }
            std::copy(name.begin(), name.end(), valueName);
            valueName[name.size()] = 0;
            *valueNameChars = static_cast<DWORD>(name.size());
            return deliver(value, type, data, dataSize, false);
        });
}

LSTATUS RegDeleteValueW(HKEY key, LPCWSTR valueName)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            registryCall call;
            DWORD status = call.open(key, KEY_SET_VALUE);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            const registryName name(nameFrom(valueName));
            storedValue value;
            // Look first, so that deleting what is not there never makes a hive file.
            status = findValue(call, name, value);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            return changeValues(call, [&name](registryDatabase& db, keyId id)
                                { return db.deleteValue(id, name); });
        });
}
