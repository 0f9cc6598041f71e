// Key functions of the registry: open, create, enumerate, delete, close, flush.
// Where POSIX forms differ from Windows: there are no security descriptors, so the right to
// write a key is the right to write its hive file; volatile keys and key classes are not
// supported (a class is never stored; enumeration reports an empty one).

#include <reZevavEvadurov/registry.h>

#include "platform/registryCall.h"
#include "platform/registryNotifyHub.h"
#include "platform/registryTransaction.h"

#include <algorithm>
#include <vector>

using namespace registryStore;

namespace
{

constexpr REGSAM writeDac = 0x00040000;
constexpr REGSAM writeOwner = 0x00080000;
constexpr REGSAM maximumAllowed = 0x02000000;
constexpr REGSAM genericAll = 0x10000000;
constexpr REGSAM genericExecute = 0x20000000;
constexpr REGSAM genericWrite = 0x40000000;
constexpr REGSAM genericRead = 0x80000000;

constexpr REGSAM writeRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE_ACCESS | writeDac | writeOwner;

// The rights a handle gets for a request, generic rights mapped as Windows maps them for keys.
REGSAM grantedAccess(REGSAM requested, registryHive& hive)
{
    REGSAM access = requested & ~(KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    if ((access & (genericRead | genericExecute)) != 0)
    {
        access |= KEY_READ;
    }
    if ((access & genericWrite) != 0)
    {
        access |= KEY_WRITE;
    }
    if ((access & genericAll) != 0)
    {
        access |= KEY_ALL_ACCESS;
    }
    if ((access & maximumAllowed) != 0)
    {
        access |= hive.writable() ? KEY_ALL_ACCESS : KEY_READ;
    }
    return access & ~(genericRead | genericWrite | genericExecute | genericAll | maximumAllowed);
}

// Windows' limits for new keys: the longest name in UTF-16 units (the documented limit is 255;
// Windows takes 256 and refuses 257 with ERROR_INVALID_PARAMETER), and the deepest level below
// the root of a hive. Keys an earlier program stored beyond them stay reachable.
constexpr std::size_t maxKeyNameUnits = 256;
constexpr std::int64_t maxKeyLevel = 512;

struct pathWalk
{
    keyId start = 0;
    keyId id = 0;     // the deepest key found
    keyId parent = 0; // the key above it (0 when none was found below the start)
    std::size_t depth = 0;
};

// Follows `names` down from `walk.start` as far as they exist.
DWORD followPath(registryDatabase& db, const std::vector<registryName>& names, pathWalk& walk)
{
    walk.id = walk.start;
    walk.parent = 0;
    walk.depth = 0;
    for (const registryName& name : names)
    {
        keyId child = 0;
        const DWORD result = db.findKey(walk.id, name, child);
        if (result == ERROR_FILE_NOT_FOUND)
        {
            break;
        }
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        walk.parent = walk.id;
        walk.id = child;
        ++walk.depth;
    }
    // Nothing was found below the start: the start itself may have been deleted.
    return walk.depth == 0 ? db.keyExists(walk.start) : ERROR_SUCCESS;
}

// What a path not found below `walk.depth` answers: a name no key may have is a bad parameter.
DWORD notFound(const std::vector<registryName>& names, const pathWalk& walk)
{
    const bool overlong =
        std::any_of(names.begin() + static_cast<std::ptrdiff_t>(walk.depth), names.end(),
                    [](const registryName& name) { return name.units() > maxKeyNameUnits; });
    return overlong ? ERROR_INVALID_PARAMETER : ERROR_FILE_NOT_FOUND;
}

// ERROR_INVALID_PARAMETER when the keys missing from `walk` would break Windows' limits.
DWORD checkLimits(registryDatabase& db, const std::vector<registryName>& names,
                  const pathWalk& walk)
{
    if (notFound(names, walk) != ERROR_FILE_NOT_FOUND)
    {
        return ERROR_INVALID_PARAMETER;
    }
    std::int64_t level = 0;
    const DWORD result = db.keyLevel(walk.id, maxKeyLevel, level);
    if (result != ERROR_SUCCESS)
    {
        return result;
    }
    const auto added = static_cast<std::int64_t>(names.size() - walk.depth);
    return level + added > maxKeyLevel ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
}

DWORD createPath(registryDatabase& db, const std::vector<registryName>& names, pathWalk& walk,
                 bool& created)
{
    DWORD result = followPath(db, names, walk);
    created = result == ERROR_SUCCESS && walk.depth < names.size();
    if (created)
    {
        result = checkLimits(db, names, walk);
    }
    if (created && result == ERROR_SUCCESS)
    {
        result = db.touchKey(walk.id); // a new sub-key is a write to its parent
    }
    for (std::size_t i = walk.depth; result == ERROR_SUCCESS && i < names.size(); ++i)
    {
        walk.parent = walk.id;
        result = db.createKey(walk.parent, names[i], walk.id);
    }
    return result;
}

// `transaction` null: the new key belongs to the parent's transaction, if any.
DWORD openPath(HKEY parentKey, LPCWSTR subKey, REGSAM requested, bool mayCreate, PHKEY result,
               LPDWORD disposition, HANDLE transaction = nullptr)
{
    std::shared_ptr<registryTransaction> given;
    if (transaction != nullptr)
    {
        given = kernelObjects::lookupAs<registryTransaction>(transaction);
        if (given == nullptr)
        {
            return ERROR_INVALID_HANDLE;
        }
    }
    registryCall call;
    DWORD status = call.open(parentKey, 0);
    std::shared_ptr<registryTransaction> inside = given ? given : call.key().transaction;
    if (status == ERROR_SUCCESS && given)
    {
        status = given->usable();
    }
    if (status == ERROR_SUCCESS && inside)
    {
        status = inside->bind(call.hive());
    }
    std::vector<registryName> names;
    if (status == ERROR_SUCCESS)
    {
        status = registryName::splitPath(subKey, names);
    }
    if (status != ERROR_SUCCESS)
    {
        return status;
    }
    registryHive& hive = call.hive();
    const REGSAM access = grantedAccess(requested, hive);
    pathWalk walk;
    walk.start = call.key().key.id;
    status = hive.read(inside.get(), call.key().key,
                       [&](registryDatabase& db) { return followPath(db, names, walk); });
    const bool mayWrite = mayCreate && (call.key().access & KEY_CREATE_SUB_KEY) != 0;
    // Creating below a damaged hive is its first write, which replaces the hive.
    const bool replace = status == ERROR_BADDB && mayWrite && !names.empty();
    const bool missing = status == ERROR_SUCCESS && walk.depth < names.size();
    if (status != ERROR_SUCCESS && !replace)
    {
        return status;
    }
    bool created = false;
    if (missing || replace)
    {
        if (!mayCreate || (missing && notFound(names, walk) != ERROR_FILE_NOT_FOUND))
        {
            return notFound(names, walk);
        }
        if (!mayWrite)
        {
            return ERROR_ACCESS_DENIED;
        }
        status =
            hive.write(inside.get(), call.key().key,
                       [&](registryDatabase& db) { return createPath(db, names, walk, created); });
        if (status != ERROR_SUCCESS)
        {
            return status;
        }
    }
    else if ((access & writeRights) != 0 && !hive.writable())
    {
        return ERROR_ACCESS_DENIED; // as Windows refuses write access to a protected key
    }
    *result = call.table().add(openKey{&hive, keyReference{walk.id, hive.generation()}, access,
                                       std::move(inside), nullptr});
    if (disposition != nullptr)
    {
        *disposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

} // namespace

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR /*keyClass*/,
                        DWORD options, REGSAM access, const SECURITY_ATTRIBUTES* /*security*/,
                        PHKEY result, LPDWORD disposition)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (result == nullptr)
            {
                return ERROR_BADKEY;
            }
            if (reserved != 0 || options != REG_OPTION_NON_VOLATILE)
            {
                return ERROR_INVALID_PARAMETER; // volatile keys are not supported
            }
            return openPath(key, subKey, access, true, result, disposition);
        });
}

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD /*options*/, REGSAM access, PHKEY result)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (result == nullptr)
            {
                return ERROR_INVALID_PARAMETER;
            }
            *result = nullptr;
            return openPath(key, subKey, access, false, result, nullptr);
        });
}

LSTATUS RegCreateKeyTransactedW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass,
                                DWORD options, REGSAM access, const SECURITY_ATTRIBUTES* security,
                                PHKEY result, LPDWORD disposition, HANDLE transaction,
                                PVOID extendedParameter)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            static_cast<void>(keyClass);
            static_cast<void>(security);
            if (result == nullptr)
            {
                return ERROR_BADKEY;
            }
            if (reserved != 0 || options != REG_OPTION_NON_VOLATILE || extendedParameter != nullptr)
            {
                return ERROR_INVALID_PARAMETER;
            }
            if (transaction == nullptr || transaction == INVALID_HANDLE_VALUE)
            {
                return ERROR_INVALID_HANDLE;
            }
            return openPath(key, subKey, access, true, result, disposition, transaction);
        });
}

LSTATUS RegOpenKeyTransactedW(HKEY key, LPCWSTR subKey, DWORD /*options*/, REGSAM access,
                              PHKEY result, HANDLE transaction, PVOID extendedParameter)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (result == nullptr || extendedParameter != nullptr)
            {
                return ERROR_INVALID_PARAMETER;
            }
            *result = nullptr;
            if (transaction == nullptr || transaction == INVALID_HANDLE_VALUE)
            {
                return ERROR_INVALID_HANDLE;
            }
            return openPath(key, subKey, access, false, result, nullptr, transaction);
        });
}

LSTATUS RegCloseKey(HKEY key)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            const DWORD result = registryCall().table().close(key);
            if (result == ERROR_SUCCESS)
            {
                registryNotifyHub::instance().handleClosed(key); // as Windows sets their events
            }
            return result;
        });
}

LSTATUS RegFlushKey(HKEY key)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            registryCall call;
            DWORD status = call.open(key, 0);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            const keyId id = call.key().key.id;
            status = call.hive().read(call.key().key,
                                      [id](registryDatabase& db) { return db.keyExists(id); });
            // A damaged or unreadable hive has nothing to flush; only a deleted key is an answer.
            return status == ERROR_KEY_DELETED ? status : call.hive().flush();
        });
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, LPDWORD nameChars, LPDWORD reserved,
                      LPWSTR keyClass, LPDWORD classChars, PFILETIME lastWriteTime)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (reserved != nullptr || name == nullptr || nameChars == nullptr)
            {
                return ERROR_INVALID_PARAMETER;
            }
            registryCall call;
            DWORD status = call.open(key, KEY_ENUMERATE_SUB_KEYS);
            std::u16string found;
            std::int64_t written = 0;
            const keyId id = call.key().key.id;
            enumerationCursor* const cursor =
                call.key().cursors ? &call.key().cursors->subKeys : nullptr;
            if (status == ERROR_SUCCESS)
            {
                status = call.read(
                    [&](registryDatabase& db)
                    {
                        const DWORD r = db.subKeyAt(id, index, found, written, cursor);
                        const DWORD gone =
                            r == ERROR_NO_MORE_ITEMS ? db.keyExists(id) : ERROR_SUCCESS;
                        return gone != ERROR_SUCCESS ? gone : r;
                    });
            }
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            const bool classFits = keyClass == nullptr || classChars == nullptr || *classChars > 0;
            if (found.size() >= *nameChars || !classFits)
            {
                return ERROR_MORE_DATA;
            }
            std::copy(found.begin(), found.end(), name);
            name[found.size()] = 0;
            *nameChars = static_cast<DWORD>(found.size());
            if (classChars != nullptr)
            {
                *classChars = 0;
                if (keyClass != nullptr)
                {
                    keyClass[0] = 0;
                }
            }
            if (lastWriteTime != nullptr)
            {
                const auto ticks = static_cast<std::uint64_t>(written);
                lastWriteTime->dwLowDateTime = static_cast<DWORD>(ticks);
                lastWriteTime->dwHighDateTime = static_cast<DWORD>(ticks >> 32);
            }
            return ERROR_SUCCESS;
        });
}

LSTATUS RegDeleteKeyW(HKEY key, LPCWSTR subKey)
{
    return registryCall::guarded(
        [&]() -> DWORD
        {
            if (subKey == nullptr)
            {
                return ERROR_INVALID_PARAMETER;
            }
            registryCall call;
            // The handle's own rights matter only when it names the key to delete itself.
            DWORD status = call.open(key, subKey[0] == 0 ? DELETE_ACCESS : 0);
            std::vector<registryName> names;
            if (status == ERROR_SUCCESS)
            {
                status = registryName::splitPath(subKey, names);
            }
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            pathWalk walk;
            walk.start = call.key().key.id;
            const auto remove = [&](registryDatabase& db) -> DWORD
            {
                DWORD r = followPath(db, names, walk);
                if (r == ERROR_SUCCESS && walk.depth < names.size())
                {
                    r = notFound(names, walk);
                }
                return r;
            };
            // Look first, so that deleting what is not there never makes a hive file.
            status = call.read(remove);
            if (status != ERROR_SUCCESS)
            {
                return status;
            }
            return call.write(
                [&](registryDatabase& db) -> DWORD
                {
                    DWORD r = remove(db);
                    bool hasSubKeys = false;
                    if (r == ERROR_SUCCESS)
                    {
                        r = db.hasSubKeys(walk.id, hasSubKeys);
                    }
                    if (r == ERROR_SUCCESS && (hasSubKeys || call.hive().isStandardKey(walk.id)))
                    {
                        r = ERROR_ACCESS_DENIED; // as Windows refuses a key with sub-keys
                    }
                    if (r == ERROR_SUCCESS && walk.parent != 0)
                    {
                        r = db.touchKey(walk.parent);
                    }
                    return r == ERROR_SUCCESS ? db.deleteKey(walk.id) : r;
                });
        });
}

DWORD regOpenHandleCount()
{
    return registryCall().table().count();
}
