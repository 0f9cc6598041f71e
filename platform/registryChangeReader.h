#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Reads a hive's change log (registryChangeLog.h) on a read-only connection of its own, for
// the change notifications of this process: which rows were committed since the last look.
//
// The connection stays open while the hive is watched; a watcher never writes, so the default
// profile's hive, which an ordinary user may only read, is watched like any other. Not
// thread-safe: the notification hub's lock serialises all calls.

#include "platform/registryHiveLocation.h"

#include <cstdint>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

struct sqlite3;

namespace registryStore
{

struct changeRow
{
    keyId key = 0;
    int kind = 0;
    std::string ancestors; // "/1/2/", root first
};

class registryChangeReader
{
public:
    explicit registryChangeReader(std::string hivePath);
    ~registryChangeReader();
    registryChangeReader(const registryChangeReader&) = delete;
    registryChangeReader& operator=(const registryChangeReader&) = delete;

    // What the hive holds now is not news: later polls answer only what comes after.
    void start();
    // The rows committed since the last call. `lost` when the rows in between cannot be told
    // (pruned before they were read, the file replaced, moved aside or removed): every watcher
    // of the hive must then be told.
    void poll(std::vector<changeRow>& rows, bool& lost);
    // For a connection inherited across fork: it is never closed (nor used) again.
    void abandon();

private:
    bool open();
    void close();
    bool sameFile() const;
    // The newest row's seq (0 when none), or -1 when the log cannot be read.
    std::int64_t newest();

    const std::string m_path;
    sqlite3* m_db = nullptr;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    std::int64_t m_last = 0;
    bool m_inherited = false; // across fork: never closed by the child
};

} // namespace registryStore

#pragma GCC visibility pop
