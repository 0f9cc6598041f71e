#include "platform/registryHive.h"

#include "platform/registryTransaction.h"
#include "platform/registryWriterGate.h"

namespace registryStore
{

registryHive::registryHive(std::string path, const hiveLayout& layout)
    : m_path(std::move(path)), m_layout(layout)
{
}

bool registryHive::stale(const keyReference& key) const
{
    return key.generation != m_generation && !isStandardKey(key.id);
}

void registryHive::refresh()
{
    if (m_state == state::ready)
    {
        return;
    }
    if (m_path.empty())
    {
        m_state = state::absent;
        return;
    }
    const registryHiveFile::status found = registryHiveFile::inspect(m_path);
    if (m_state == state::damaged && found.sameFile(m_file))
    {
        return; // still the same damaged file: no need to look into it again
    }
    m_file = found;
    switch (found.what)
    {
    case registryHiveFile::status::missing:
        m_state = state::absent;
        break;
    case registryHiveFile::status::damaged:
        m_state = state::damaged;
        break;
    case registryHiveFile::status::unreadable:
        m_state = state::unavailable;
        m_unavailableCode = ERROR_ACCESS_DENIED;
        break;
    case registryHiveFile::status::regular:
        openFile(found);
        break;
    }
}

void registryHive::openFile(const registryHiveFile::status& found)
{
    m_database.reset();
    const DWORD result = registryDatabase::open(m_path, m_layout, m_database);
    m_file = found;
    if (result == ERROR_SUCCESS)
    {
        m_state = state::ready;
        ++m_generation;
        m_empty.reset();
        return;
    }
    m_database.reset();
    if (result == ERROR_BADDB)
    {
        m_state = state::damaged;
    }
    else
    {
        m_state = state::unavailable; // tried again on the next call
        m_unavailableCode = result;
    }
}

void registryHive::markDamaged()
{
    dropWriter();
    if (m_transacted)
    {
        m_transacted->keepFilesOnClose(true);
        m_transacted.reset();
    }
    m_database->keepFilesOnClose(true);
    m_database.reset();
    m_state = state::damaged;
    m_file = registryHiveFile::inspect(m_path);
}

DWORD registryHive::readable()
{
    refresh();
    switch (m_state)
    {
    case state::ready:
        return ERROR_SUCCESS;
    case state::absent:
        return m_empty ? ERROR_SUCCESS : registryDatabase::openEmpty(m_layout, m_empty);
    case state::damaged:
        return ERROR_BADDB;
    case state::unavailable:
        break;
    }
    return m_unavailableCode;
}

DWORD registryHive::runRead(const keyReference& key, callback operation, void* context)
{
    DWORD result = readable();
    if (result != ERROR_SUCCESS)
    {
        return result;
    }
    if (stale(key))
    {
        return ERROR_KEY_DELETED;
    }
    const bool onFile = m_state == state::ready;
    result = operation(context, onFile ? *m_database : *m_empty);
    if (result == ERROR_BADDB && onFile)
    {
        markDamaged();
    }
    return result;
}

DWORD registryHive::makeWritable()
{
    if (m_path.empty())
    {
        return ERROR_PATH_NOT_FOUND;
    }
    for (int attempt = 0; attempt < 3; ++attempt)
    {
        refresh();
        DWORD result = ERROR_SUCCESS;
        switch (m_state)
        {
        case state::ready:
            return m_database->readOnly() ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        case state::unavailable:
            return m_unavailableCode;
        case state::damaged:
            result = registryHiveFile::moveAside(m_path, m_file);
            break;
        case state::absent:
            break;
        }
        if (result == ERROR_SUCCESS)
        {
            result = registryHiveFile::create(m_path, m_layout);
        }
        if (result != ERROR_SUCCESS)
        {
            return result;
        }
        m_state = state::absent; // look again at what is there now
    }
    return ERROR_CANTWRITE;
}

DWORD registryHive::attemptWrite(const keyReference& key, callback operation, void* context,
                                 bool& retry)
{
    retry = false;
    DWORD result = makeWritable();
    if (result != ERROR_SUCCESS)
    {
        return result;
    }
    if (stale(key))
    {
        return ERROR_KEY_DELETED;
    }
    result = m_database->beginWrite();
    if (result == ERROR_SUCCESS && !registryHiveFile::identify(m_path).sameFile(m_file))
    {
        // Another process moved or removed the file we have open: write where the hive is now.
        m_database->rollback();
        m_database.reset();
        m_state = state::absent;
        retry = true;
        return ERROR_CANTWRITE;
    }
    if (result == ERROR_SUCCESS)
    {
        result = operation(context, *m_database);
    }
    if (result == ERROR_SUCCESS)
    {
        result = m_database->commit();
    }
    if (result != ERROR_SUCCESS)
    {
        m_database->rollback();
        if (result == ERROR_BADDB)
        {
            markDamaged();
            retry = true; // the next attempt moves the damaged file aside
        }
        return result;
    }
    m_unflushed = true;
    return ERROR_SUCCESS;
}

DWORD registryHive::runWrite(const keyReference& key, callback operation, void* context)
{
    if (m_writer != nullptr && waitForWriter(nullptr) != ERROR_SUCCESS)
    {
        return ERROR_BUSY;
    }
    bool retry = false;
    DWORD result = attemptWrite(key, operation, context, retry);
    if (retry)
    {
        result = attemptWrite(key, operation, context, retry);
    }
    return result;
}

DWORD registryHive::waitForWriter(const registryTransaction* transaction)
{
    ++m_handles; // the table keeps the hive while it waits
    const auto deadline = std::chrono::steady_clock::now() +
                          std::chrono::milliseconds(registryDatabase::busyTimeoutMs);
    // A plain write needs SQLite's write lock only; a transaction needs the connection too,
    // which another transaction's read snapshot may hold.
    const bool free = registryWriterGate::instance().waitUntil(
        deadline,
        [this, transaction]
        {
            return m_writer == nullptr &&
                   (transaction == nullptr || m_reader == nullptr || m_reader == transaction);
        });
    --m_handles;
    return free ? ERROR_SUCCESS : ERROR_BUSY;
}

void registryHive::dropWriter()
{
    if (m_writer != nullptr || m_reader != nullptr)
    {
        m_writer = nullptr;
        m_reader = nullptr;
        registryWriterGate::instance().notify();
    }
}

DWORD registryHive::openTransacted()
{
    if (m_transacted && m_transactedGeneration == m_generation)
    {
        return ERROR_SUCCESS;
    }
    m_transacted.reset();
    DWORD result = registryDatabase::open(m_path, m_layout, m_transacted);
    if (result == ERROR_SUCCESS && !m_transacted->readOnly())
    {
        result = m_transacted->makeCommitsDurable();
    }
    if (result != ERROR_SUCCESS)
    {
        m_transacted.reset();
        return result;
    }
    m_transactedGeneration = m_generation;
    return ERROR_SUCCESS;
}

bool registryHive::beginSnapshot(registryTransaction& transaction)
{
    if (m_writer != nullptr || m_reader != nullptr || readable() != ERROR_SUCCESS ||
        m_state != state::ready || openTransacted() != ERROR_SUCCESS ||
        m_transacted->beginRead() != ERROR_SUCCESS)
    {
        return false;
    }
    m_reader = &transaction;
    return true;
}

DWORD registryHive::runReadIn(registryTransaction& transaction, const keyReference& key,
                              callback operation, void* context)
{
    // A transaction reads one snapshot from its first read on: its own changes once it wrote.
    const bool own =
        m_writer == &transaction || m_reader == &transaction || beginSnapshot(transaction);
    if (!own)
    {
        return runRead(key, operation, context); // another transaction holds the connection
    }
    return stale(key) ? ERROR_KEY_DELETED : operation(context, *m_transacted);
}

DWORD registryHive::beginTransaction(const keyReference& key)
{
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        DWORD result = makeWritable();
        if (result == ERROR_SUCCESS)
        {
            result = stale(key) ? ERROR_KEY_DELETED : openTransacted();
        }
        if (result == ERROR_SUCCESS)
        {
            result = m_transacted->beginWrite();
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
        m_transacted->rollback();
        m_transacted.reset();
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
        if (m_reader == &transaction)
        {
            // The snapshot may be stale for a writer: write on the latest state instead.
            m_transacted->rollback();
            m_reader = nullptr;
        }
        DWORD result = m_writer == nullptr && m_reader == nullptr ? ERROR_SUCCESS
                                                                  : waitForWriter(&transaction);
        if (result == ERROR_SUCCESS)
        {
            result = beginTransaction(key);
        }
        if (result != ERROR_SUCCESS)
        {
            registryWriterGate::instance().notify(); // a snapshot may have gone
            return result;
        }
        m_writer = &transaction;
        transaction.began();
    }
    if (stale(key))
    {
        return ERROR_KEY_DELETED;
    }
    const DWORD result = operation(context, *m_transacted);
    if (!m_transacted->inTransaction())
    {
        dropWriter(); // SQLite gave the whole transaction up
        return result == ERROR_SUCCESS ? ERROR_TRANSACTION_NOT_ACTIVE : result;
    }
    return result;
}

DWORD registryHive::endTransaction(registryTransaction& transaction, bool commit, bool wrote)
{
    if (m_reader == &transaction)
    {
        m_transacted->rollback(); // a snapshot has nothing to commit
        dropWriter();
        return ERROR_SUCCESS;
    }
    if (m_writer != &transaction)
    {
        return wrote ? ERROR_TRANSACTION_NOT_ACTIVE : ERROR_SUCCESS;
    }
    const DWORD result = commit ? m_transacted->commit() : ERROR_SUCCESS;
    // The commit is synced already (synchronous=FULL): no checkpoint is owed for it.
    if (!commit || result != ERROR_SUCCESS)
    {
        m_transacted->rollback();
    }
    dropWriter();
    return result;
}

bool registryHive::writable()
{
    refresh();
    switch (m_state)
    {
    case state::ready:
        return !m_database->readOnly();
    case state::absent:
    case state::damaged:
        return !m_path.empty() && registryHiveFile::canCreate(m_path);
    case state::unavailable:
        break;
    }
    return false;
}

void registryHive::handleClosed()
{
    if (m_handles > 0)
    {
        --m_handles;
    }
    if (m_handles == 0 && m_unflushed)
    {
        flush();
    }
}

DWORD registryHive::flush()
{
    // A checkpoint would wait for this process's own open transaction: the hive stays
    // unflushed until a later close.
    if (m_state != state::ready || m_database->readOnly() || m_writer != nullptr ||
        m_reader != nullptr)
    {
        return ERROR_SUCCESS;
    }
    const DWORD result = m_database->checkpoint();
    m_unflushed = m_unflushed && result != ERROR_SUCCESS;
    return result;
}

} // namespace registryStore
