// RegQueryInfoKeyW and RegDeleteTreeW. Where the POSIX form differs from Windows: keys have no
// class and no security descriptor, so their lengths are 0.

#include <reZevavEvadurov/registry.h>

#include "platform/registryCall.h"

#include <vector>

using namespace registryStore;

namespace
{

// The key `names` leads to from `start`: ERROR_FILE_NOT_FOUND when a name is missing,
// ERROR_KEY_DELETED when `start` itself is gone.
DWORD resolvePath(registryDatabase& db, keyId start, const std::vector<registryName>& names,
                  keyId& found, keyId& parent)
{
    DWORD result = db.keyExists(start);
    found = start;
    parent = 0;
    for (const registryName& name : names)
    {
        if (result != ERROR_SUCCESS)
        {
            break;
        }
        parent = found;
        result = db.findKey(parent, name, found);
    }
    return result;
}

// Every key below `id`, deepest first, with their values.
DWORD deleteSubKeys(registryDatabase& db, keyId id)
{
    std::vector<keyId> children;
    DWORD result = db.subKeyIds(id, children);
    for (const keyId child : children)
    {
        if (result == ERROR_SUCCESS)
        {
            result = deleteSubKeys(db, child);
        }
        if (result == ERROR_SUCCESS)
        {
            result = db.deleteKey(child);
        }
    }
    return result;
}

void copyFileTime(std::int64_t ticks, PFILETIME out)
{
    const auto value = static_cast<std::uint64_t>(ticks);
    out->dwLowDateTime = static_cast<DWORD>(value);
    out->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

void put(LPDWORD out, DWORD value)
{
    if (out != nullptr)
    {
        *out = value;
    }
}

} // namespace

LSTATUS RegQueryInfoKeyW(HKEY key, LPWSTR keyClass, LPDWORD classChars, LPDWORD reserved,
                         LPDWORD subKeys, LPDWORD maxSubKeyChars, LPDWORD maxClassChars,
                         LPDWORD values, LPDWORD maxValueNameChars, LPDWORD maxValueBytes,
                         LPDWORD securityDescriptorBytes, PFILETIME lastWriteTime)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (reserved != nullptr || (keyClass != nullptr && classChars == nullptr))
            {
                return ERROR_INVALID_PARAMETER;
            }
            registryCall call;
            DWORD status = call.open(key, KEY_QUERY_VALUE);
            registryDatabase::keyInfo info;
            const keyId id = call.key().key.id;
            if (status == ERROR_SUCCESS)
            {
                status = call.read([&](registryDatabase& db) { return db.queryKeyInfo(id, info); });
            }
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            // The class is empty: it needs room for its terminator only, as in RegEnumKeyExW.
            if (keyClass != nullptr && *classChars == 0)
            {
                status = ERROR_MORE_DATA;
            }
            else if (keyClass != nullptr)
            {
                keyClass[0] = 0;
            }
            put(classChars, 0);
            put(subKeys, info.subKeys);
            put(maxSubKeyChars, info.maxSubKeyChars);
            put(maxClassChars, 0);
            put(values, info.values);
            put(maxValueNameChars, info.maxValueNameChars);
            put(maxValueBytes, info.maxValueBytes);
            put(securityDescriptorBytes, 0);
            if (lastWriteTime != nullptr)
            {
                copyFileTime(info.written, lastWriteTime);
            }
            return status;
        });
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            registryCall call;
            // With a sub-key the handle only leads there; without, its own contents go.
            const bool contentsOnly = subKey == nullptr;
            constexpr REGSAM needed = DELETE_ACCESS | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;
            DWORD status = call.open(key, contentsOnly ? needed : 0);
            std::vector<registryName> names;
            if (status == ERROR_SUCCESS)
            {
                status = registryName::splitPath(subKey, names);
            }
            keyId target = 0;
            keyId parent = 0;
            const keyId start = call.key().key.id;
            registryDatabase::keyInfo info;
            // Look first, so that deleting what is not there never makes a hive file.
            if (status == ERROR_SUCCESS)
            {
                status = call.read(
                    [&](registryDatabase& db)
                    {
                        const DWORD r = resolvePath(db, start, names, target, parent);
                        return r == ERROR_SUCCESS ? db.queryKeyInfo(target, info) : r;
                    });
            }
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            if (contentsOnly && info.values > 0 && (call.key().access & KEY_SET_VALUE) == 0)
            {
                return ERROR_ACCESS_DENIED;
            }
            return call.write(
                [&](registryDatabase& db) -> DWORD
                {
                    DWORD r = resolvePath(db, start, names, target, parent);
                    r = r == ERROR_SUCCESS ? deleteSubKeys(db, target) : r;
                    if (contentsOnly)
                    {
                        r = r == ERROR_SUCCESS ? db.deleteValues(target) : r;
                        return r == ERROR_SUCCESS ? db.touchKey(target) : r;
                    }
                    if (r == ERROR_SUCCESS && call.hive().isStandardKey(target))
                    {
                        r = ERROR_ACCESS_DENIED; // as RegDeleteKeyW refuses them
                    }
                    r = r == ERROR_SUCCESS && parent != 0 ? db.touchKey(parent) : r;
                    return r == ERROR_SUCCESS ? db.deleteKey(target) : r;
                });
        });
}
