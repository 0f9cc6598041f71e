#include "platform/registryHive.h"

#include "platform/registryTransaction.h"
#include "platform/registryWriterGate.h"

namespace registryStore
{

registryWriterGate& registryWriterGate::instance()
{
    static registryWriterGate gate;
    return gate;
}

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
    releaseWriter();
    for (registryTransaction* lost : m_transacted.dropAll())
    {
        lost->abandoned();
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
    if (m_writer != nullptr && waitForWriter() != ERROR_SUCCESS)
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
    if (m_state != state::ready || m_database->readOnly())
    {
        return ERROR_SUCCESS;
    }
    const DWORD result = m_database->checkpoint();
    m_unflushed = m_unflushed && result != ERROR_SUCCESS;
    return result;
}

} // namespace registryStore
