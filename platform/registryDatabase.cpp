#include "platform/registryDatabase.h"

#include "platform/registryFoldMigration.h"
#include "platform/registryRows.h"

#include <chrono>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace registryStore
{
using rows::bytesOf;
using rows::notFoundOr;

namespace
{

// The journal left behind between writes: a kept journal (the default profile's) would
// otherwise stay at its largest size, and a long-lived connection's would too.
constexpr std::int64_t journalLimitBytes = 65536;
constexpr const char* journalLimit = "PRAGMA journal_size_limit = 65536"; // journalLimitBytes

constexpr const char* schema = R"sql(
CREATE TABLE hiveKey(
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    parent INTEGER,
    name TEXT NOT NULL,
    folded BLOB NOT NULL,
    written INTEGER NOT NULL
);
CREATE UNIQUE INDEX hiveKeyByName ON hiveKey(parent, folded);
CREATE TABLE hiveValue(
    id INTEGER PRIMARY KEY,
    keyId INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded BLOB NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL
);
CREATE UNIQUE INDEX hiveValueByName ON hiveValue(keyId, folded);
CREATE INDEX hiveValueByOrder ON hiveValue(keyId, id);
PRAGMA application_id = 1381648470;
PRAGMA user_version = 2;
)sql";

// Indexed by registryDatabase::statementId.
constexpr const char* statementText[] = {
    "SELECT 1, id FROM hiveKey WHERE parent = ?1 AND folded = ?2",
    "SELECT name = ?3, id FROM hiveKey WHERE parent = ?1 AND folded = ?2",
    // Kept-apart forms (registryFoldMigration::keptApart): above ?2, below ?4, of length ?5;
    // in the order of their row ids, which they end with.
    ("SELECT name = ?3, id FROM hiveKey WHERE parent = ?1 AND folded > ?2 AND folded < ?4 AND "
     "length(folded) = ?5 ORDER BY folded"),
    "SELECT parent FROM hiveKey WHERE id = ?1",
    "SELECT 1 FROM hiveKey WHERE id = ?1",
    "SELECT 1 FROM hiveKey WHERE parent = ?1 LIMIT 1",
    ("SELECT name, written, folded FROM hiveKey WHERE parent = ?1 ORDER BY folded "
     "LIMIT 1 OFFSET ?2"),
    ("SELECT name, written, folded FROM hiveKey WHERE parent = ?1 AND folded >= ?2 "
     "ORDER BY folded LIMIT 1"),
    "SELECT 1, id, type, data FROM hiveValue WHERE keyId = ?1 AND folded = ?2",
    "SELECT name = ?3, id, type, data FROM hiveValue WHERE keyId = ?1 AND folded = ?2",
    ("SELECT name = ?3, id, type, data FROM hiveValue WHERE keyId = ?1 AND folded > ?2 AND "
     "folded < ?4 AND length(folded) = ?5 ORDER BY folded"),
    "SELECT name, type, data, id FROM hiveValue WHERE keyId = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "SELECT name, type, data, id FROM hiveValue WHERE keyId = ?1 AND id >= ?2 ORDER BY id LIMIT 1",
    "BEGIN IMMEDIATE",
    "COMMIT",
    "ROLLBACK",
    "UPDATE hiveKey SET written = ?2 WHERE id = ?1",
    "INSERT INTO hiveKey(parent, name, folded, written) VALUES(?1, ?2, ?3, ?4)",
    // An existing value keeps its row, and so its place in the creation order.
    ("INSERT INTO hiveValue(keyId, name, folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5) "
     "ON CONFLICT(keyId, folded) DO UPDATE SET type = excluded.type, data = excluded.data"),
    "UPDATE hiveValue SET type = ?2, data = ?3 WHERE id = ?1",
    "DELETE FROM hiveValue WHERE id = ?1",
    "DELETE FROM hiveValue WHERE keyId = ?1",
    "DELETE FROM hiveKey WHERE id = ?1",
};

std::int64_t fileTimeNow()
{
    constexpr std::int64_t ticksFrom1601To1970 = 116444736000000000;
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return ticksFrom1601To1970 +
           std::chrono::duration_cast<std::chrono::nanoseconds>(now).count() / 100;
}

} // namespace

void registryDatabase::connectionCloser::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

registryDatabase::registryDatabase(token, sqlite3* db) : m_db(db), m_owner(getpid()) {}

registryDatabase::~registryDatabase()
{
    if (getpid() != m_owner)
    {
        // Inherited across fork: closing would touch the parent's locks and journal.
        for (sqliteStatement& s : m_statements)
        {
            s.abandon();
        }
        static_cast<void>(m_db.release());
    }
}

DWORD registryDatabase::errorFrom(int sqliteCode)
{
    switch (sqliteCode & 0xFF)
    {
    case SQLITE_OK:
    case SQLITE_ROW:
    case SQLITE_DONE:
        return ERROR_SUCCESS;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return ERROR_BUSY;
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
        return ERROR_NOT_ENOUGH_MEMORY;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return ERROR_ACCESS_DENIED;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_FORMAT:
        return ERROR_BADDB;
    case SQLITE_FULL:
        return ERROR_DISK_FULL;
    case SQLITE_CANTOPEN:
        return ERROR_CANTOPEN;
    default:
        return ERROR_REGISTRY_IO_FAILED;
    }
}

DWORD registryDatabase::connect(const char* path, int flags, std::unique_ptr<registryDatabase>& out)
{
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path, &raw, flags | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_EXRESCODE, nullptr);
    auto db = std::make_unique<registryDatabase>(token{}, raw); // owns the handle even on failure
    if (rc != SQLITE_OK)
    {
        return errorFrom(rc);
    }
    sqlite3_busy_timeout(raw, busyTimeoutMs);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(raw, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    out = std::move(db);
    return ERROR_SUCCESS;
}

int registryDatabase::execute(const char* sql)
{
    return sqlite3_exec(m_db.get(), sql, nullptr, nullptr, nullptr);
}

int registryDatabase::queryInteger(const char* sql, std::int64_t& value)
{
    sqliteStatement query;
    int rc = query.prepare(m_db.get(), sql);
    if (rc != SQLITE_OK)
    {
        return rc;
    }
    sqliteStatement::run row(query);
    rc = row.step();
    if (rc == SQLITE_ROW)
    {
        value = row.integer(0);
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_CORRUPT : rc;
}

DWORD registryDatabase::validate()
{
    std::int64_t id = 0;
    std::int64_t version = 0;
    int rc = queryInteger("PRAGMA application_id", id);
    if (rc == SQLITE_OK)
    {
        rc = queryInteger("PRAGMA user_version", version);
    }
    if (rc != SQLITE_OK)
    {
        return errorFrom(rc);
    }
    // The file is made whole before it gets its name, so anything else here (an empty file
    // included) is damage, not a hive still being written.
    if (id != applicationId || version < registryFoldMigration::firstFormat)
    {
        return ERROR_BADDB;
    }
    m_legacyFolds = version < formatVersion;
    if (version > formatVersion)
    {
        return ERROR_CANTREAD; // a later program's hive: neither read nor replaced
    }
    sqliteStatement check;
    rc = check.prepare(m_db.get(), "PRAGMA quick_check(1)");
    if (rc != SQLITE_OK)
    {
        return errorFrom(rc);
    }
    sqliteStatement::run row(check);
    rc = row.step();
    if (rc != SQLITE_ROW)
    {
        return errorFrom(rc);
    }
    return row.text(0) == "ok" ? ERROR_SUCCESS : ERROR_BADDB;
}

DWORD registryDatabase::prepareStatements()
{
    for (std::size_t i = 0; i < statementCount; ++i)
    {
        const int rc = m_statements[i].prepare(m_db.get(), statementText[i]);
        if (rc != SQLITE_OK)
        {
            // A sound header over a schema that is not ours.
            return (rc & 0xFF) == SQLITE_ERROR ? ERROR_BADDB : errorFrom(rc);
        }
    }
    return ERROR_SUCCESS;
}

DWORD registryDatabase::createSchema(const hiveLayout& layout)
{
    int rc = execute(schema);
    rc = rc == SQLITE_OK ? execute(registryChangeLog::schema) : rc;
    sqliteStatement insert;
    if (rc == SQLITE_OK)
    {
        rc = insert.prepare(m_db.get(), "INSERT INTO hiveKey(id, parent, name, folded, written) "
                                        "VALUES(?1, NULLIF(?2, 0), ?3, ?4, ?5)");
    }
    const std::int64_t now = fileTimeNow();
    for (const standardKey& key : layout.standardKeys)
    {
        if (rc != SQLITE_OK)
        {
            break;
        }
        const registryName name(key.name);
        sqliteStatement::run row(insert);
        row.bind(1, key.id).bind(2, key.parent).bindText(3, name.text());
        row.bindBlob(4, bytesOf(name.folded())).bind(5, now);
        rc = row.step();
        rc = rc == SQLITE_DONE ? SQLITE_OK : rc;
    }
    return errorFrom(rc);
}

DWORD registryDatabase::open(const std::string& path, const hiveLayout& layout,
                             std::unique_ptr<registryDatabase>& out)
{
    std::unique_ptr<registryDatabase> db;
    DWORD result = connect(path.c_str(), SQLITE_OPEN_READWRITE, db);
    if (result != ERROR_SUCCESS)
    {
        return result;
    }
    db->m_hiveDepth = layout.hiveDepth;
    // Until the file has proved sound, closing it must change nothing on disk.
    db->keepFilesOnClose(true);
    if (layout.keepJournal)
    {
        int keep = 1;
        sqlite3_file_control(db->m_db.get(), "main", SQLITE_FCNTL_PERSIST_WAL, &keep);
    }
    result = db->validate();
    if (result == ERROR_SUCCESS)
    {
        int rc = db->execute("PRAGMA synchronous = NORMAL; PRAGMA cell_size_check = ON");
        if (rc == SQLITE_OK && !db->readOnly())
        {
            rc = db->execute("PRAGMA journal_mode = WAL");
        }
        if (rc == SQLITE_OK)
        {
            rc = db->execute(journalLimit);
        }
        result = errorFrom(rc);
    }
    if (result == ERROR_SUCCESS)
    {
        result = db->prepareStatements();
    }
    if (result == ERROR_SUCCESS && db->m_legacyFolds && !db->readOnly())
    {
        result = db->refoldNames();
    }
    if (result == ERROR_SUCCESS && !db->m_legacyFolds)
    {
        result = db->lookForKeptApart();
    }
    if (result == ERROR_SUCCESS)
    {
        db->m_changes.attach(db->m_db.get(), path);
        db->keepFilesOnClose(false);
        out = std::move(db);
    }
    return result;
}

DWORD registryDatabase::openEmpty(const hiveLayout& layout, std::unique_ptr<registryDatabase>& out)
{
    std::unique_ptr<registryDatabase> db;
    DWORD result = connect(":memory:", SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, db);
    if (result == ERROR_SUCCESS)
    {
        db->m_hiveDepth = layout.hiveDepth;
        result = db->createSchema(layout);
    }
    if (result == ERROR_SUCCESS)
    {
        result = db->prepareStatements();
    }
    if (result == ERROR_SUCCESS)
    {
        out = std::move(db);
    }
    return result;
}

DWORD registryDatabase::initialise(const std::string& path, const hiveLayout& layout)
{
    std::unique_ptr<registryDatabase> db;
    DWORD result = connect(path.c_str(), SQLITE_OPEN_READWRITE, db);
    if (result != ERROR_SUCCESS)
    {
        return result;
    }
    // Nothing sees the file before the caller syncs it and gives it its name, so building it
    // needs no syncs of its own.
    int rc = db->execute("PRAGMA synchronous = OFF; PRAGMA journal_mode = WAL; BEGIN IMMEDIATE");
    if (rc != SQLITE_OK)
    {
        return errorFrom(rc);
    }
    result = db->createSchema(layout);
    rc = db->execute(result == ERROR_SUCCESS ? "COMMIT" : "ROLLBACK");
    return result != ERROR_SUCCESS ? result : errorFrom(rc);
}

DWORD registryDatabase::makeCommitsDurable()
{
    return errorFrom(execute("PRAGMA synchronous = FULL"));
}

bool registryDatabase::inTransaction() const
{
    return sqlite3_get_autocommit(m_db.get()) == 0;
}

bool registryDatabase::readOnly() const
{
    return sqlite3_db_readonly(m_db.get(), "main") != 0;
}

DWORD registryDatabase::keyExists(keyId id)
{
    sqliteStatement::run row(statement(keyExistsStatement));
    const int rc = row.bind(1, id).step();
    return rc == SQLITE_ROW ? ERROR_SUCCESS : notFoundOr(rc, ERROR_KEY_DELETED);
}

DWORD registryDatabase::hasSubKeys(keyId id, bool& any)
{
    sqliteStatement::run row(statement(firstSubKeyStatement));
    const int rc = row.bind(1, id).step();
    any = rc == SQLITE_ROW;
    return any ? ERROR_SUCCESS : errorFrom(rc);
}

DWORD registryDatabase::beginWrite()
{
    m_touched.clear();
    m_changes.discard();
    sqliteStatement::run row(statement(beginStatement));
    return errorFrom(row.step());
}

DWORD registryDatabase::beginRead()
{
    return errorFrom(execute("BEGIN"));
}

DWORD registryDatabase::commit()
{
    const int logged = m_changes.flush(); // in the same transaction as the changes
    if (logged != SQLITE_OK)
    {
        return errorFrom(logged);
    }
    sqliteStatement::run row(statement(commitStatement));
    const DWORD result = errorFrom(row.step());
    if (result == ERROR_SUCCESS)
    {
        m_changes.committed();
    }
    return result;
}

void registryDatabase::rollback()
{
    m_changes.discard();
    if (sqlite3_get_autocommit(m_db.get()) == 0)
    {
        sqliteStatement::run row(statement(rollbackStatement));
        row.step();
    }
}

DWORD registryDatabase::touchKey(keyId id)
{
    // Within one transaction a key is stamped once: its later changes commit at the same moment.
    if (m_touched.contains(id) && inTransaction())
    {
        return ERROR_SUCCESS;
    }
    sqliteStatement::run row(statement(touchKeyStatement));
    const int rc = row.bind(1, id).bind(2, fileTimeNow()).step();
    if (rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    if (sqlite3_changes(m_db.get()) == 0)
    {
        return ERROR_KEY_DELETED;
    }
    m_touched.insert(id);
    return ERROR_SUCCESS;
}

DWORD registryDatabase::createKey(keyId parent, const registryName& name, keyId& id)
{
    sqliteStatement::run row(statement(insertKeyStatement));
    row.bind(1, parent).bindText(2, name.text()).bindBlob(3, bytesOf(name.folded()));
    const int rc = row.bind(4, fileTimeNow()).step();
    if (rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    id = sqlite3_last_insert_rowid(m_db.get());
    return errorFrom(m_changes.note(parent, registryChangeLog::subKeysChanged));
}

DWORD registryDatabase::deleteKey(keyId id)
{
    m_touched.erase(id);
    if (const int noted = m_changes.noteDeleted(id); noted != SQLITE_OK)
    {
        return errorFrom(noted);
    }
    {
        sqliteStatement::run values(statement(deleteKeyValuesStatement));
        const int rc = values.bind(1, id).step();
        if (rc != SQLITE_DONE)
        {
            return errorFrom(rc);
        }
    }
    sqliteStatement::run row(statement(deleteKeyStatement));
    const int rc = row.bind(1, id).step();
    if (rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    return sqlite3_changes(m_db.get()) == 0 ? ERROR_KEY_DELETED : ERROR_SUCCESS;
}

void registryDatabase::keepFilesOnClose(bool keep)
{
    sqlite3_db_config(m_db.get(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, keep ? 1 : 0, nullptr);
}

DWORD registryDatabase::checkpoint()
{
    // Never waits for another process: a reader there keeps the frames after its snapshot in
    // the journal, which is then synced instead, so the writes are on disk all the same.
    sqlite3_busy_timeout(m_db.get(), 0);
    int frames = 0;
    int rc =
        sqlite3_wal_checkpoint_v2(m_db.get(), "main", SQLITE_CHECKPOINT_FULL, &frames, nullptr);
    std::int64_t pageSize = 0;
    if (rc == SQLITE_OK && frames > 0 && queryInteger("PRAGMA page_size", pageSize) == SQLITE_OK &&
        frames * pageSize > journalLimitBytes)
    {
        // Everything is in the database file now; emptying a journal above the limit is best
        // effort. One below it is left to be reused: shrinking it on every close would cost
        // each write pass a regrowth.
        sqlite3_wal_checkpoint_v2(m_db.get(), "main", SQLITE_CHECKPOINT_TRUNCATE, nullptr, nullptr);
    }
    sqlite3_busy_timeout(m_db.get(), busyTimeoutMs);
    if ((rc & 0xFF) == SQLITE_BUSY)
    {
        sqlite3_file* journal = nullptr;
        rc = sqlite3_file_control(m_db.get(), "main", SQLITE_FCNTL_JOURNAL_POINTER, &journal);
        if (rc == SQLITE_OK && journal != nullptr && journal->pMethods != nullptr)
        {
            rc = journal->pMethods->xSync(journal, SQLITE_SYNC_NORMAL);
        }
    }
    return errorFrom(rc);
}

} // namespace registryStore
