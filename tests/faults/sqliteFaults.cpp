#include "tests/faults/sqliteFaults.h"

#include <array>
#include <sqlite3.h>

namespace sqliteFaults
{
namespace
{

struct injection
{
    bool armed = false;
    target what = target::memory;
    long calls = 0;
    long failAt = 0;
    bool fired = false;
};
injection g_injection;

bool failNow(target what)
{
    injection& i = g_injection;
    if (!i.armed || i.what != what || ++i.calls != i.failAt)
    {
        return false;
    }
    i.fired = true;
    return true;
}

sqlite3_mem_methods g_allocator{};
void* failingMalloc(int bytes)
{
    return failNow(target::memory) ? nullptr : g_allocator.xMalloc(bytes);
}
void* failingRealloc(void* block, int bytes)
{
    return failNow(target::memory) ? nullptr : g_allocator.xRealloc(block, bytes);
}

// The unix VFS's files keep their own object; only their methods (one set per kind: database,
// journal, ...) are swapped for a copy whose writes, syncs and truncations may fail.
sqlite3_vfs* g_unix = nullptr;
struct methods
{
    sqlite3_io_methods failing{}; // first: a file's methods pointer leads to its entry
    const sqlite3_io_methods* real = nullptr;
};
std::array<methods, 4> g_methods;
const sqlite3_io_methods& real(sqlite3_file* f)
{
    return *reinterpret_cast<const methods*>(f->pMethods)->real;
}
int failingWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset)
{
    return failNow(target::disk) ? SQLITE_FULL : real(f).xWrite(f, data, amount, offset);
}
int failingTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return failNow(target::disk) ? SQLITE_IOERR_TRUNCATE : real(f).xTruncate(f, size);
}
int failingSync(sqlite3_file* f, int flags)
{
    return failNow(target::disk) ? SQLITE_IOERR_FSYNC : real(f).xSync(f, flags);
}
int openFile(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
{
    const int rc = g_unix->xOpen(g_unix, name, f, flags, outFlags);
    for (methods& m : g_methods)
    {
        if (f->pMethods != nullptr && (m.real == nullptr || m.real == f->pMethods))
        {
            m.real = f->pMethods;
            m.failing = *m.real;
            m.failing.xWrite = failingWrite;
            m.failing.xTruncate = failingTruncate;
            m.failing.xSync = failingSync;
            f->pMethods = &m.failing;
            break;
        }
    }
    return rc;
}
sqlite3_vfs g_vfs{};

// Before main, so before anything of the program initialises SQLite.
const bool g_installed = []
{
    sqlite3_config(SQLITE_CONFIG_GETMALLOC, &g_allocator);
    sqlite3_mem_methods failing = g_allocator;
    failing.xMalloc = failingMalloc;
    failing.xRealloc = failingRealloc;
    sqlite3_config(SQLITE_CONFIG_MALLOC, &failing);
    g_unix = sqlite3_vfs_find("unix");
    g_vfs = *g_unix;
    g_vfs.zName = "failing";
    g_vfs.pNext = nullptr;
    g_vfs.xOpen = openFile;
    return sqlite3_vfs_register(&g_vfs, 1) == SQLITE_OK;
}();

} // namespace

void arm(target what, long failAt)
{
    g_injection = injection{g_installed, what, 0, failAt, false};
}

bool disarm()
{
    g_injection.armed = false;
    return g_injection.fired;
}

} // namespace sqliteFaults
