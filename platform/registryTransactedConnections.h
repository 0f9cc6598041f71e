#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The connections a hive lends to its transactions: one per transaction from its first read or
// write to its end, so each reads its own snapshot and writes where no other handle sees it.
// An ended transaction's connection is kept for the next one (at most one is kept idle).
//
// Not thread-safe: the registry's handle table serialises all use.

#include "platform/registryDatabase.h"

#include <memory>
#include <string>
#include <vector>

namespace registryStore
{

class registryTransaction;

class registryTransactedConnections
{
public:
    // The connection lent to `owner`, or null.
    registryDatabase* of(const registryTransaction& owner) const;
    // The hive generation the connection lent to `owner` was opened in (0 when none is).
    unsigned generationOf(const registryTransaction& owner) const;
    // Lends `owner` a connection to the hive file at `path` as of `generation` (kept or new),
    // every later commit on it synced to disk before it returns.
    DWORD lend(registryTransaction& owner, const std::string& path, const hiveLayout& layout,
               unsigned generation);
    // Takes back `owner`'s connection, rolling back whatever it still has open.
    void giveBack(const registryTransaction& owner);
    bool anyLent() const;
    // Every transaction holding a connection, then closes all of them leaving the files as
    // they are (for a damaged hive).
    std::vector<registryTransaction*> dropAll();

private:
    struct entry
    {
        registryTransaction* owner = nullptr; // null: idle
        std::unique_ptr<registryDatabase> db;
        unsigned generation = 0;
    };
    const entry* find(const registryTransaction* owner) const;

    std::vector<entry> m_entries;
};

} // namespace registryStore

#pragma GCC visibility pop
