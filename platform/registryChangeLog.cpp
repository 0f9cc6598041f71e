#include "platform/registryChangeLog.h"

#include "platform/registryNotifyHub.h"

#include <algorithm>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace registryStore
{
namespace
{

// "/root/.../parent/" from a chain nearest first, skipping the first `skip` entries.
std::string ancestorText(const std::vector<keyId>& chain, std::size_t skip)
{
    std::string text = "/";
    for (auto it = chain.rbegin(); it != chain.rend() - static_cast<std::ptrdiff_t>(skip); ++it)
    {
        text += std::to_string(*it);
        text += '/';
    }
    return text;
}

} // namespace

void registryChangeLog::attach(sqlite3* db, std::string hivePath)
{
    m_db = db;
    m_hivePath = std::move(hivePath);
}

int registryChangeLog::ancestorsOf(keyId key, std::vector<keyId>& chain)
{
    chain.clear();
    if (!m_parentReady)
    {
        const int rc = m_parent.prepare(m_db, "SELECT parent FROM hiveKey WHERE id = ?1");
        if (rc != SQLITE_OK)
        {
            return rc;
        }
        m_parentReady = true;
    }
    // Keys are never moved, and a hive is a few levels deep: one indexed lookup per level.
    for (keyId at = key; chain.size() < 512;)
    {
        sqliteStatement::run row(m_parent);
        const int rc = row.bind(1, at).step();
        if (rc == SQLITE_DONE)
        {
            return SQLITE_OK;
        }
        if (rc != SQLITE_ROW)
        {
            return rc;
        }
        at = row.integer(0);
        if (at == 0)
        {
            return SQLITE_OK; // NULL: the root
        }
        chain.push_back(at);
    }
    return SQLITE_OK;
}

bool registryChangeLog::firstNote(keyId key, int kind)
{
    // Kinds fit in 9 bits; key ids stay far below 2^55.
    return m_noted.insert(static_cast<std::uint64_t>(key) << 9 | static_cast<unsigned>(kind))
        .second;
}

void registryChangeLog::remember(change noted)
{
    m_pending.push_back(std::move(noted));
    if (m_pending.size() > static_cast<std::size_t>(kept))
    {
        m_pending.pop_front();
        ++m_dropped;
    }
}

void registryChangeLog::discard()
{
    m_pending.clear();
    m_noted.clear();
    m_dropped = 0;
}

int registryChangeLog::note(keyId key, int kind)
{
    if (m_db == nullptr || !firstNote(key, kind))
    {
        return SQLITE_OK;
    }
    std::vector<keyId> chain;
    const int rc = ancestorsOf(key, chain);
    if (rc == SQLITE_OK)
    {
        remember(change{key, kind, ancestorText(chain, 0)});
    }
    return rc;
}

int registryChangeLog::noteDeleted(keyId key)
{
    if (m_db == nullptr)
    {
        return SQLITE_OK;
    }
    std::vector<keyId> chain;
    const int rc = ancestorsOf(key, chain);
    if (rc != SQLITE_OK)
    {
        return rc;
    }
    remember(change{key, keyDeleted, ancestorText(chain, 0)});
    if (!chain.empty() && firstNote(chain.front(), subKeysChanged))
    {
        remember(change{chain.front(), subKeysChanged, ancestorText(chain, 1)});
    }
    return SQLITE_OK;
}

int registryChangeLog::prepare()
{
    if (m_writeReady)
    {
        return SQLITE_OK;
    }
    // ?4 is 1, or more to leave a gap for notes left out.
    constexpr const char* insert =
        "INSERT INTO hiveChange(seq, keyId, kind, ancestors) "
        "VALUES((SELECT coalesce(max(seq), 0) FROM hiveChange) + ?4, ?1, ?2, ?3)";
    int rc = m_insert.prepare(m_db, insert);
    if (rc != SQLITE_OK)
    {
        // A hive made by an older program: it gets the table in this transaction.
        rc = sqlite3_exec(m_db, schema, nullptr, nullptr, nullptr);
        rc = rc == SQLITE_OK ? m_insert.prepare(m_db, insert) : rc;
    }
    rc = rc == SQLITE_OK ? m_prune.prepare(m_db, "DELETE FROM hiveChange WHERE seq <= ?1") : rc;
    m_writeReady = rc == SQLITE_OK;
    return rc;
}

int registryChangeLog::flush()
{
    m_logged = false;
    if (m_pending.empty())
    {
        return SQLITE_OK;
    }
    int rc = prepare();
    std::int64_t step = 1 + m_dropped;
    for (const change& c : m_pending)
    {
        if (rc != SQLITE_OK)
        {
            break;
        }
        sqliteStatement::run row(m_insert);
        rc = row.bind(1, c.key).bind(2, c.kind).bindText(3, c.ancestors).bind(4, step).step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
        step = 1;
    }
    if (rc == SQLITE_OK)
    {
        sqliteStatement::run row(m_prune);
        rc = row.bind(1, sqlite3_last_insert_rowid(m_db) - kept).step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    discard();
    m_logged = rc == SQLITE_OK;
    return rc;
}

void registryChangeLog::committed()
{
    if (!m_logged)
    {
        return;
    }
    m_logged = false;
    if (const char* wal = sqlite3_filename_wal(sqlite3_db_filename(m_db, "main")))
    {
        utimensat(AT_FDCWD, wal, nullptr, 0); // best effort: watchers may wake late, never wrong
    }
    registryNotifyHub::committed(m_hivePath);
}

} // namespace registryStore
