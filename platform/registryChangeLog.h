#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The hive's record of which keys changed, for RegNotifyChangeKeyValue in every process.
//
//   hiveChange(seq INTEGER PRIMARY KEY, keyId INTEGER, kind INTEGER, ancestors TEXT)
//
// A write transaction notes each key it changes (a sub-key made or deleted below it, a value
// set or deleted, the key itself deleted); the notes become rows in the same transaction, just
// before its COMMIT, one per key and kind, so a commit is one batch of rows. `ancestors` names
// the key's ancestors ("/1/2/7/", root first), written while they still exist, so a watcher
// can match a key deleted since against a watched tree. The newest `kept` rows stay; older
// ones go in the same transaction. A transaction noting more than `kept` changes keeps only its
// newest `kept` notes and leaves a gap in `seq` for the rest, which readers take as rows lost
// (every watcher of the hive is told), so a large import costs time and memory linear in its
// size and writes at most `kept` rows. After the commit the -wal file's times are touched: a
// watcher sees the commit through inotify only once it is readable (the frames themselves are
// written before the commit is).
//
// The table is optional: a hive made by an older program gets it at its first logged write;
// such a program writes without logging (its changes are not signalled), and reads and writes
// a hive holding the table as before (the format version stays 2).
//
// Not thread-safe: the owning connection's user serialises all calls.

#include "platform/registryHiveLocation.h"
#include "platform/sqliteStatement.h"

#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

struct sqlite3;

namespace registryStore
{

class registryChangeLog
{
public:
    // Kinds: the filter bits of RegNotifyChangeKeyValue they answer, or the key's deletion,
    // which answers every filter.
    static constexpr int subKeysChanged = 0x1; // REG_NOTIFY_CHANGE_NAME
    static constexpr int valuesChanged = 0x4;  // REG_NOTIFY_CHANGE_LAST_SET
    static constexpr int keyDeleted = 0x100;
    static constexpr std::int64_t kept = 1024;
    static constexpr const char* schema =
        "CREATE TABLE IF NOT EXISTS hiveChange(seq INTEGER PRIMARY KEY, keyId INTEGER NOT NULL, "
        "kind INTEGER NOT NULL, ancestors TEXT NOT NULL)";

    // The connection and the hive path its commits are announced under (in this process).
    void attach(sqlite3* db, std::string hivePath);

    // Inside a write transaction, after the change succeeded (noteDeleted: before the key
    // goes). SQLite result codes.
    int note(keyId key, int kind);
    int noteDeleted(keyId key);
    // Just before COMMIT: writes the notes and prunes old rows.
    int flush();
    // After a successful COMMIT: tells watchers here and in other processes.
    void committed();
    // The transaction was rolled back or begins afresh.
    void discard();

private:
    struct change
    {
        keyId key;
        int kind;
        std::string ancestors;
    };

    int ancestorsOf(keyId key, std::vector<keyId>& chain);
    // Whether (key, kind) was not noted yet in this transaction; remembers it.
    bool firstNote(keyId key, int kind);
    void remember(change noted);
    int prepare();

    sqlite3* m_db = nullptr;
    std::string m_hivePath;
    std::deque<change> m_pending;              // the newest `kept` notes
    std::unordered_set<std::uint64_t> m_noted; // (key, kind) of every note of the transaction
    std::int64_t m_dropped = 0;                // older notes left out of m_pending
    sqliteStatement m_parent;
    sqliteStatement m_insert;
    sqliteStatement m_prune;
    bool m_parentReady = false;
    bool m_writeReady = false;
    bool m_logged = false; // the last flush wrote rows
};

} // namespace registryStore

#pragma GCC visibility pop
