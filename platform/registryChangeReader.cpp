#include "platform/registryChangeReader.h"

#include "platform/registryDatabase.h"

#include <sqlite3.h>
#include <sys/stat.h>

namespace registryStore
{

registryChangeReader::registryChangeReader(std::string hivePath) : m_path(std::move(hivePath)) {}

registryChangeReader::~registryChangeReader()
{
    close();
}

void registryChangeReader::abandon()
{
    m_inherited = true;
}

void registryChangeReader::close()
{
    if (!m_inherited)
    {
        sqlite3_close_v2(m_db);
    }
    m_db = nullptr;
}

bool registryChangeReader::open()
{
    struct stat found = {};
    if (m_path.empty() || stat(m_path.c_str(), &found) != 0 || !S_ISREG(found.st_mode))
    {
        return false;
    }
    const int rc =
        sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK)
    {
        close();
        return false;
    }
    sqlite3_busy_timeout(m_db, registryDatabase::busyTimeoutMs);
    // While this connection holds the file, its inode cannot be reused by a new file.
    m_device = found.st_dev;
    m_inode = found.st_ino;
    return true;
}

bool registryChangeReader::sameFile() const
{
    struct stat found = {};
    return stat(m_path.c_str(), &found) == 0 && found.st_dev == m_device && found.st_ino == m_inode;
}

std::int64_t registryChangeReader::newest()
{
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(m_db, "SELECT max(seq) FROM hiveChange", -1, &query, nullptr) !=
        SQLITE_OK)
    {
        return -1; // no log (a hive of an older program) or no readable hive
    }
    const std::int64_t last =
        sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int64(query, 0) : -1;
    sqlite3_finalize(query);
    return last;
}

void registryChangeReader::start()
{
    if (m_db == nullptr)
    {
        open();
    }
    m_last = m_db != nullptr ? std::max<std::int64_t>(newest(), 0) : 0;
}

void registryChangeReader::poll(std::vector<changeRow>& rows, bool& lost)
{
    if (m_db != nullptr && !sameFile())
    {
        close(); // the hive was replaced, moved aside or removed: its keys are gone
        lost = true;
        m_last = 0;
    }
    if (m_db == nullptr && !open())
    {
        return;
    }
    sqlite3_stmt* query = nullptr;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT seq, keyId, kind, ancestors FROM hiveChange WHERE seq > ?1 "
                           "ORDER BY seq",
                           -1, &query, nullptr) != SQLITE_OK)
    {
        return; // no log yet
    }
    sqlite3_bind_int64(query, 1, m_last);
    while (sqlite3_step(query) == SQLITE_ROW)
    {
        const std::int64_t seq = sqlite3_column_int64(query, 0);
        lost = lost || seq != m_last + 1; // rows pruned before this reader saw them
        m_last = seq;
        const auto* ancestors = reinterpret_cast<const char*>(sqlite3_column_text(query, 3));
        rows.push_back(changeRow{sqlite3_column_int64(query, 1),
                                 static_cast<int>(sqlite3_column_int64(query, 2)),
                                 ancestors != nullptr ? ancestors : ""});
    }
    sqlite3_finalize(query);
}

} // namespace registryStore
