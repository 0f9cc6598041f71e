#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The process's open registry keys and the hives they belong to. One table per process; every
// registry function holds its lock for the whole call, which makes the registry thread-safe.
//
// Handles are numbers that are never reused, so a closed handle stays invalid
// (ERROR_INVALID_HANDLE) instead of silently naming a newer key. The predefined roots are
// resolved to their hive at each use from the environment as it is then; hives are kept by
// file path, one connection each for the life of the process, except that a hive no root names
// any more and no handle holds is closed.
//
// After fork the child starts with an empty table: handles and connections of the parent are
// not carried over (the parent's connections are left untouched, never closed by the child).
// A child should not open a hive that its parent had open at the time of the fork.

#include "platform/registryEnumCursor.h"
#include "platform/registryHive.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

namespace registryStore
{

class registryTransaction;

struct openKey
{
    registryHive* hive = nullptr;
    keyReference key;
    REGSAM access = 0;
    std::shared_ptr<registryTransaction> transaction; // null: changes are committed at once
    // Shared by every copy of the handle's entry; null for the predefined roots.
    std::shared_ptr<handleCursors> cursors;
};

class registryHandleTable
{
public:
    static registryHandleTable& instance();

    // Held for the length of each registry call; the other members need it held.
    std::unique_lock<std::mutex> lock();

    // ERROR_INVALID_HANDLE for a closed, unknown or unsupported handle. A predefined root has
    // full access.
    DWORD resolve(HKEY handle, openKey& key);
    HKEY add(const openKey& key);
    DWORD close(HKEY handle);
    DWORD count() const { return static_cast<DWORD>(m_handles.size()); }

    registryHandleTable(const registryHandleTable&) = delete;
    registryHandleTable& operator=(const registryHandleTable&) = delete;

private:
    registryHandleTable();
    registryHive* rootHive(HKEY root, const hiveLayout& layout);
    void closeIdleHives();
    void forgetInherited();

    std::mutex m_mutex;
    std::map<std::string, std::unique_ptr<registryHive>> m_hives;
    std::unordered_map<std::uintptr_t, openKey> m_handles;
    std::uintptr_t m_nextHandle = 0x1000;
    std::string m_userPath;
    std::string m_usersPath;
    bool m_inherited = false;
};

} // namespace registryStore

#pragma GCC visibility pop
