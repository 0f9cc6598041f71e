#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The file-system side of a hive: what is at its path, making a new hive file, and moving a
// damaged one aside. Creation and moving aside run under an exclusive lock on the hive's
// folder, so processes never race each other over which file holds the hive. Nothing here
// deletes or overwrites a file other than its own temporary one.

#include "platform/registryHiveLocation.h"

#include <string>
#include <sys/types.h>
#include <unistd.h>

namespace registryStore
{

class registryHiveFile
{
public:
    struct status
    {
        enum kind
        {
            missing,
            regular,
            damaged,    // a directory in its place, or a file whose header is not a hive's
            unreadable, // exists, but this user may not read it
        };
        kind what = missing;
        dev_t device = 0;
        ino_t inode = 0;

        bool sameFile(const status& other) const
        {
            return (what == missing) == (other.what == missing) && device == other.device &&
                   inode == other.inode;
        }
    };

    // What is at `path`, the first bytes of a file included: SQLite never gets to see (and
    // tidy away the journal of) a file that does not even start like one of our hives.
    static status inspect(const std::string& path);
    // Which file is at `path` (missing or not, and its identity), without reading it.
    static status identify(const std::string& path);

    // link(2)'s signature: how a finished temporary hive is given its name.
    using linkFunction = int (*)(const char* from, const char* to);

    // Makes the folders and a complete hive file at `path`, which becomes visible only once
    // whole. A file already there is kept. Leftover journal files without their hive are
    // moved aside first, so a new hive never replays an old journal. The finished file is
    // linked into place; where the file system has no hard links (vfat, exFAT, some network
    // and container file systems) it is renamed into place without replacing anything.
    static DWORD create(const std::string& path, const hiveLayout& layout,
                        linkFunction linkFile = ::link);

    // Moves the file at `path` and its journal files to "<path>.damaged-YYYYMMDD-HHMMSS[-n]"
    // (journals keep their "-wal"/"-shm" suffix) and says so on standard error. Does nothing
    // when the file there is no longer the one described by `damaged`.
    static DWORD moveAside(const std::string& path, const status& damaged);

    // Whether this process could make the hive file (the nearest existing folder is writable).
    static bool canCreate(const std::string& path);
};

} // namespace registryStore

#pragma GCC visibility pop
