#pragma once

// Process-wide failure injection into SQLite, as SQLite's own tests do it: the Nth allocation
// (a wrapper of its allocator) or the Nth write, sync or truncation of a file (a VFS over the
// unix one, registered as the default). Installed before SQLite initialises (a static object
// of the test binary), armed only around the operation under test. Not thread-safe: armed
// from one thread while no other uses SQLite.

namespace sqliteFaults
{

enum class target
{
    memory, // fails sqlite3_malloc/realloc: SQLITE_NOMEM
    disk,   // fails xWrite with SQLITE_FULL, xSync and xTruncate with SQLITE_IOERR
};

// From now on the `failAt`th call of that kind fails (once); the count starts at 1.
void arm(target what, long failAt);
// Stops counting; true when the armed failure happened.
bool disarm();

} // namespace sqliteFaults
