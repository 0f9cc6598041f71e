#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// One hive: its file, the connection to it, and the rules that keep it sound.
//
// States. A hive whose file does not exist reads as one holding only its standard keys (an
// in-memory copy answers), and no read makes a file or folder. The first write makes the file.
// A damaged file (not a hive, failing SQLite's quick check, or a directory in its place)
// fails every read with ERROR_BADDB; the first write moves it aside and starts afresh. A file
// this user may not read fails with ERROR_ACCESS_DENIED and is never moved.
//
// Writes. Each runs as one BEGIN IMMEDIATE transaction, committed before write() returns. If
// the file at the path is no longer the one the connection has open (moved aside or removed
// by another process), the write reopens the path and runs there instead.
//
// Transactions. Each transaction gets a connection of its own from its first read or write
// to its end (registryTransactedConnections): from its first read it reads one snapshot, and
// from its first write it holds the hive's write lock until it ends; reads through it see its
// changes, every other handle reads the committed state. Any other write of this process,
// transacted or not, waits for it to end (up to the busy timeout, then ERROR_BUSY) with the
// registry's lock released; writers in other processes wait on SQLite's lock. A commit is
// synced to disk before it returns. When SQLite gives a transaction up after a failure (out of
// memory, disk full, I/O error), the transaction is dead: nothing of it is kept and every
// later call through it answers ERROR_TRANSACTION_NOT_ACTIVE.
//
// Key references carry the hive's generation: when the connection moves to another file, keys
// other than the standard ones (whose ids are fixed) answer ERROR_KEY_DELETED.
//
// Not thread-safe: the registry's handle table serialises all use.

#include "platform/registryDatabase.h"
#include "platform/registryHiveFile.h"
#include "platform/registryTransactedConnections.h"

#include <memory>
#include <string>

namespace registryStore
{

class registryTransaction;

struct keyReference
{
    keyId id = 0;
    unsigned generation = 0;
};

class registryHive
{
public:
    registryHive(std::string path, const hiveLayout& layout);

    const std::string& path() const { return m_path; }
    unsigned generation() const { return m_generation; }
    // The keys every hive of this kind holds from the start; they are never deleted.
    bool isStandardKey(keyId id) const
    {
        return id <= static_cast<keyId>(m_layout.standardKeys.size());
    }

    // Runs `operation(registryDatabase&) -> DWORD` on the hive as it is now.
    template <class F> DWORD read(const keyReference& key, F&& operation)
    {
        return runRead(key, &call<F>, context(operation));
    }
    // Runs `operation` inside one write transaction; commits when it returns ERROR_SUCCESS,
    // else rolls back and returns its code.
    template <class F> DWORD write(const keyReference& key, F&& operation)
    {
        return runWrite(key, &call<F>, context(operation));
    }

    // The same inside `transaction` (null: none, as above). A write that fails leaves the
    // transaction going; a call that makes SQLite give the transaction up answers its own
    // failure and ends the transaction (registryTransaction::abandoned).
    template <class F>
    DWORD read(registryTransaction* transaction, const keyReference& key, F&& operation)
    {
        return transaction == nullptr ? read(key, operation)
                                      : runReadIn(*transaction, key, &call<F>, context(operation));
    }
    template <class F>
    DWORD write(registryTransaction* transaction, const keyReference& key, F&& operation)
    {
        return transaction == nullptr ? write(key, operation)
                                      : runWriteIn(*transaction, key, &call<F>, context(operation));
    }
    // Ends the transaction's hold on the hive, committing its changes or discarding them.
    // ERROR_TRANSACTION_NOT_ACTIVE when it holds nothing any more although it wrote.
    // `wrote`: whether the hive ever gave it the write lock.
    DWORD endTransaction(registryTransaction& transaction, bool commit, bool wrote);

    // Whether a write could succeed (the file, or the folder it will be made in, is writable).
    bool writable();

    // Open handles on this hive; when the last one closes after a write, the journal is
    // copied into the database file.
    void handleOpened() { ++m_handles; }
    void handleClosed();
    unsigned handles() const { return m_handles; }
    DWORD flush();

private:
    using callback = DWORD (*)(void*, registryDatabase&);
    template <class F> static DWORD call(void* operation, registryDatabase& db)
    {
        return (*static_cast<std::remove_reference_t<F>*>(operation))(db);
    }
    template <class F> static void* context(F& operation)
    {
        return const_cast<void*>(static_cast<const void*>(&operation));
    }

    enum class state
    {
        absent,
        ready,
        damaged,
        unavailable,
    };

    DWORD runRead(const keyReference& key, callback operation, void* context);
    DWORD runWrite(const keyReference& key, callback operation, void* context);
    DWORD runReadIn(registryTransaction& transaction, const keyReference& key, callback operation,
                    void* context);
    DWORD runWriteIn(registryTransaction& transaction, const keyReference& key, callback operation,
                     void* context);
    DWORD beginTransaction(registryTransaction& transaction, const keyReference& key);
    DWORD beginSnapshot(registryTransaction& transaction);
    DWORD lendConnection(registryTransaction& transaction);
    // Checks after a call inside `transaction` whether SQLite gave its transaction up.
    DWORD afterCall(registryTransaction& transaction, DWORD result);
    void giveUp(registryTransaction& transaction);
    DWORD waitForWriter();
    void releaseWriter();
    DWORD attemptWrite(const keyReference& key, callback operation, void* context, bool& retry);
    bool stale(const keyReference& key) const;
    void refresh();
    void openFile(const registryHiveFile::status& found);
    DWORD readable();
    DWORD makeWritable();
    void markDamaged();

    const std::string m_path;
    const hiveLayout& m_layout;
    state m_state = state::absent;
    DWORD m_unavailableCode = ERROR_SUCCESS;
    registryHiveFile::status m_file;
    std::unique_ptr<registryDatabase> m_database;
    std::unique_ptr<registryDatabase> m_empty;
    registryTransactedConnections m_transacted;
    registryTransaction* m_writer = nullptr; // the transaction holding the write lock
    unsigned m_generation = 0;
    unsigned m_handles = 0;
    bool m_unflushed = false;
};

} // namespace registryStore

#pragma GCC visibility pop
