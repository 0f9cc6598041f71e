// The hive's side of registry transactions: lending each its connection, the write lock, and
// noticing when SQLite gave a transaction up.

#include "platform/registryHive.h"

#include "platform/registryTransaction.h"
#include "platform/registryWriterGate.h"

namespace registryStore
{

DWORD registryHive::waitForWriter()
{
    ++m_handles; // the table keeps the hive while it waits
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(registryDatabase::busyTimeoutMs);
    // The writer ends by a commit, a rollback or its time-out (registryTransactionTimer), each
    // under the registry's lock, which the wait releases.
    const bool free =
        registryWriterGate::instance().waitUntil(deadline, [this] { return m_writer == nullptr; });
    --m_handles;
    return free ? ERROR_SUCCESS : ERROR_BUSY;
}

void registryHive::releaseWriter()
{
    if (m_writer != nullptr)
    {
        m_writer = nullptr;
        registryWriterGate::instance().notify();
    }
}

void registryHive::giveUp(registryTransaction& transaction)
{
    if (m_writer == &transaction)
    {
        releaseWriter();
    }
    m_transacted.giveBack(transaction);
    transaction.abandoned();
}

DWORD registryHive::afterCall(registryTransaction& transaction, DWORD result)
{
    registryDatabase* const db = m_transacted.of(transaction);
    if (db != nullptr && !db->inTransaction())
    {
        giveUp(transaction); // SQLite rolled back all it had: nothing of it may be committed
        return result == ERROR_SUCCESS ? ERROR_TRANSACTION_NOT_ACTIVE : result;
    }
    return result;
}

DWORD registryHive::lendConnection(registryTransaction& transaction)
{
    if (m_transacted.of(transaction) != nullptr &&
        m_transacted.generationOf(transaction) == m_generation)
    {
        return ERROR_SUCCESS;
    }
    return m_transacted.lend(transaction, m_path, m_layout, m_generation);
}

DWORD registryHive::beginSnapshot(registryTransaction& transaction)
{
    DWORD result = readable();
    if (result == ERROR_SUCCESS && m_state == state::ready)
    {
        result = lendConnection(transaction);
    }
    if (result == ERROR_SUCCESS && m_state == state::ready)
    {
        result = m_transacted.of(transaction)->beginRead();
    }
    return result;
}

DWORD registryHive::runReadIn(registryTransaction& transaction, const keyReference& key,
                              callback operation, void* context)
{
    // A transaction reads one snapshot from its first read on: its own changes once it wrote.
    registryDatabase* db = m_transacted.of(transaction);
    if (db == nullptr || (m_writer != &transaction && !db->inTransaction()))
    {
        const DWORD result = beginSnapshot(transaction);
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        db = m_transacted.of(transaction);
    }
    if (db == nullptr)
    {
        // No hive file yet: it reads as its standard keys until a write makes it.
        return runRead(key, operation, context);
    }
    if (stale(key))
    {
        return ERROR_KEY_DELETED;
    }
    return afterCall(transaction, operation(context, *db));
}

DWORD registryHive::beginTransaction(registryTransaction& transaction, const keyReference& key)
{
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        DWORD result = makeWritable();
        if (result == ERROR_SUCCESS)
        {
            result = stale(key) ? ERROR_KEY_DELETED : lendConnection(transaction);
        }
        if (result == ERROR_SUCCESS)
        {
            result = m_transacted.of(transaction)->beginWrite();
        }
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        if (registryHiveFile::identify(m_path).sameFile(m_file))
        {
            return ERROR_SUCCESS;
        }
        // Another process moved or removed the file: begin where the hive is now.
        m_transacted.giveBack(transaction);
        m_database.reset();
        m_state = state::absent;
    }
    return ERROR_CANTWRITE;
}

DWORD registryHive::runWriteIn(registryTransaction& transaction, const keyReference& key,
                               callback operation, void* context)
{
    if (m_writer != &transaction)
    {
        if (registryDatabase* const snapshot = m_transacted.of(transaction))
        {
            // The snapshot may be stale for a writer: write on the latest state instead.
            snapshot->rollback();
        }
        DWORD result = m_writer == nullptr ? ERROR_SUCCESS : waitForWriter();
        if (result == ERROR_SUCCESS)
        {
            // The wait let other calls in: the transaction may have ended or timed out.
            result = transaction.usable();
        }
        if (result == ERROR_SUCCESS)
        {
            result = beginTransaction(transaction, key);
        }
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        m_writer = &transaction;
        transaction.began();
    }
    if (stale(key))
    {
        return ERROR_KEY_DELETED;
    }
    return afterCall(transaction, operation(context, *m_transacted.of(transaction)));
}

DWORD registryHive::endTransaction(registryTransaction& transaction, bool commit, bool wrote)
{
    if (m_writer != &transaction)
    {
        m_transacted.giveBack(transaction); // a snapshot has nothing to commit
        return wrote ? ERROR_TRANSACTION_NOT_ACTIVE : ERROR_SUCCESS;
    }
    // The commit is synced already (synchronous=FULL): no checkpoint is owed for it.
    const DWORD result = commit ? m_transacted.of(transaction)->commit() : ERROR_SUCCESS;
    m_transacted.giveBack(transaction); // rolls back what was not committed
    releaseWriter();
    return result;
}

} // namespace registryStore
