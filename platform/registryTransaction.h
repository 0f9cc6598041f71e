#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The kernel object behind a transaction handle (reZevavEvadurov/transaction.h).
//
// A transaction is bound to the hive of the first key opened in it; its reads and changes go
// through a connection the hive lends it alone (registryTransactedConnections), so it reads
// one snapshot and no other handle of this process, nor any other process, sees its changes
// before the commit. The hive is kept alive while a transaction is bound to it. A transaction
// with a time-out is rolled back at it by registryTransactionTimer.
// Thread-safety: every member except the constructor needs the registry's lock held (a
// registryCall); the process-wide kernel object table owns the object.

#include "platform/kernelObject.h"
#include <reZevavEvadurov/winTypes.h>

#include <chrono>
#include <sys/types.h>

namespace registryStore
{

class registryHive;

class registryTransaction final : public kernelObject
{
public:
    explicit registryTransaction(DWORD timeoutMs);

    // When a transaction with a time-out is rolled back at the latest (none: time_point::max).
    std::chrono::steady_clock::time_point deadline() const;

    // ERROR_SUCCESS while the transaction may be used; ERROR_TRANSACTION_NOT_ACTIVE once it
    // ended (a transaction past its time-out is rolled back here).
    DWORD usable();
    // Binds to `hive` on first use; ERROR_TRANSACTION_REQUEST_NOT_VALID for another hive.
    DWORD bind(registryHive& hive);

    // The hive gave this transaction its write lock.
    void began() { m_wrote = true; }
    // SQLite gave the transaction up (or its hive lost its file): nothing of it is kept, every
    // later call answers ERROR_TRANSACTION_NOT_ACTIVE, the commit too.
    void abandoned();
    // Rolls the transaction back when its time-out has passed (registryTransactionTimer).
    void expireIfDue() { usable(); }

    DWORD commit();
    DWORD rollback();
    void closing() override; // CloseHandle without a commit rolls back

private:
    enum class state
    {
        active,
        committed,
        aborted,
        abandoned, // by its hive; ended there
    };

    // CommitTransaction or RollbackTransaction: Windows' answers for an ended transaction.
    DWORD finish(bool commit);
    // Ends the transaction on its hive, committing or not; releases the hive.
    DWORD end(bool commit);

    state m_state = state::active;
    registryHive* m_hive = nullptr;
    std::chrono::steady_clock::time_point m_deadline;
    bool m_timed = false;
    bool m_wrote = false;
    const pid_t m_owner;
};

} // namespace registryStore

#pragma GCC visibility pop
