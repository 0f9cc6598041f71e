#include "tests/faults/sqliteFaults.h"

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

// A file of the VFS: the unix VFS's own file object follows it.
struct faultFile
{
    sqlite3_file base;
    sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
};
faultFile* of(sqlite3_file* f)
{
    return reinterpret_cast<faultFile*>(f);
}
sqlite3_file* real(sqlite3_file* f)
{
    return of(f)->real();
}

sqlite3_vfs* g_unix = nullptr;

int fileClose(sqlite3_file* f)
{
    return real(f)->pMethods->xClose(real(f));
}
int fileRead(sqlite3_file* f, void* data, int amount, sqlite3_int64 offset)
{
    return real(f)->pMethods->xRead(real(f), data, amount, offset);
}
int fileWrite(sqlite3_file* f, const void* data, int amount, sqlite3_int64 offset)
{
    return failNow(target::disk) ? SQLITE_FULL
                                 : real(f)->pMethods->xWrite(real(f), data, amount, offset);
}
int fileTruncate(sqlite3_file* f, sqlite3_int64 size)
{
    return failNow(target::disk) ? SQLITE_IOERR_TRUNCATE
                                 : real(f)->pMethods->xTruncate(real(f), size);
}
int fileSync(sqlite3_file* f, int flags)
{
    return failNow(target::disk) ? SQLITE_IOERR_FSYNC : real(f)->pMethods->xSync(real(f), flags);
}
int fileSize(sqlite3_file* f, sqlite3_int64* size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int fileLock(sqlite3_file* f, int level)
{
    return real(f)->pMethods->xLock(real(f), level);
}
int fileUnlock(sqlite3_file* f, int level)
{
    return real(f)->pMethods->xUnlock(real(f), level);
}
int fileCheckLock(sqlite3_file* f, int* out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int fileControl(sqlite3_file* f, int op, void* arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int fileSectorSize(sqlite3_file* f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int fileCharacteristics(sqlite3_file* f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int fileShmMap(sqlite3_file* f, int page, int size, int extend, void volatile** out)
{
    return real(f)->pMethods->xShmMap(real(f), page, size, extend, out);
}
int fileShmLock(sqlite3_file* f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void fileShmBarrier(sqlite3_file* f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int fileShmUnmap(sqlite3_file* f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}
int fileFetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** out)
{
    return real(f)->pMethods->xFetch(real(f), offset, amount, out);
}
int fileUnfetch(sqlite3_file* f, sqlite3_int64 offset, void* page)
{
    return real(f)->pMethods->xUnfetch(real(f), offset, page);
}

const sqlite3_io_methods g_methods = {
    3,
    fileClose,
    fileRead,
    fileWrite,
    fileTruncate,
    fileSync,
    fileSize,
    fileLock,
    fileUnlock,
    fileCheckLock,
    fileControl,
    fileSectorSize,
    fileCharacteristics,
    fileShmMap,
    fileShmLock,
    fileShmBarrier,
    fileShmUnmap,
    fileFetch,
    fileUnfetch,
};

int vfsOpen(sqlite3_vfs*, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
{
    const int rc = g_unix->xOpen(g_unix, name, real(f), flags, outFlags);
    f->pMethods = real(f)->pMethods != nullptr ? &g_methods : nullptr;
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
    g_vfs.szOsFile = static_cast<int>(sizeof(faultFile)) + g_unix->szOsFile;
    g_vfs.zName = "faults";
    g_vfs.pNext = nullptr;
    g_vfs.xOpen = vfsOpen;
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
