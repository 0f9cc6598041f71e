// Finding keys and values by name, the value changes that go through such a lookup, and
// bringing names of an earlier format up to date.

#include "platform/registryDatabase.h"
#include "platform/registryFoldMigration.h"
#include "platform/registryRows.h"

#include <sqlite3.h>

namespace registryStore
{
using rows::bytesOf;
using rows::copyData;
using rows::notFoundOr;

DWORD registryDatabase::refoldNames()
{
    int rc = execute("BEGIN IMMEDIATE");
    std::int64_t version = 0;
    if (rc == SQLITE_OK)
    {
        rc = queryInteger("PRAGMA user_version", version); // another process may have done it
    }
    if (rc == SQLITE_OK && version < formatVersion)
    {
        rc = registryFoldMigration::migrate(m_db.get());
    }
    if (rc == SQLITE_OK)
    {
        rc = execute("COMMIT");
    }
    if (rc != SQLITE_OK)
    {
        rollback();
        return errorFrom(rc);
    }
    m_legacyFolds = false;
    return ERROR_SUCCESS;
}

// Only a refold keeps rows apart, so a hive without them never gets any: their lookups are
// skipped. One scan of the names' index when the hive is opened.
DWORD registryDatabase::lookForKeptApart()
{
    std::int64_t found = 0;
    const int rc = queryInteger("SELECT EXISTS(SELECT 1 FROM hiveKey WHERE length(folded) % 2 = 1) "
                                "OR EXISTS(SELECT 1 FROM hiveValue WHERE length(folded) % 2 = 1)",
                                found);
    m_keptApart = found != 0;
    return errorFrom(rc);
}

DWORD registryDatabase::findLegacy(statementId byFold, std::int64_t owner, const registryName& name,
                                   const std::function<void(sqliteStatement::run&)>& found)
{
    // The old form first, so that such a hive answers exactly as it did for the earlier program.
    const std::string legacy =
        registryFoldMigration::legacyFolded(registryName::decode(name.text()));
    for (const std::string* folded : {&legacy, &name.folded()})
    {
        sqliteStatement::run row(statement(byFold));
        const int rc = row.bind(1, owner).bindBlob(2, bytesOf(*folded)).step();
        if (rc == SQLITE_ROW)
        {
            found(row);
            return ERROR_SUCCESS;
        }
        if (rc != SQLITE_DONE)
        {
            return errorFrom(rc);
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD registryDatabase::findByName(statementId byFold, std::int64_t owner, const registryName& name,
                                   const std::function<void(sqliteStatement::run&)>& found)
{
    if (m_legacyFolds)
    {
        return findLegacy(byFold, owner, name, found);
    }
    // Telling an exact match matters only where rows were kept apart.
    sqliteStatement::run held(statement(m_keptApart ? statementId(byFold + 1) : byFold));
    held.bind(1, owner).bindBlob(2, bytesOf(name.folded()));
    int rc = (m_keptApart ? held.bindText(3, name.text()) : held).step();
    const bool holder = rc == SQLITE_ROW;
    if (holder && held.integer(0) != 0)
    {
        found(held);
        return ERROR_SUCCESS;
    }
    if (!holder && rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    if (!m_keptApart)
    {
        if (holder)
        {
            found(held);
        }
        return holder ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }
    // Either no row holds the fold, or the name differs from the holder's: a row kept apart
    // under exactly this name comes first.
    const auto apart = statementId(byFold + 2);
    const registryFoldMigration::apartRange range = registryFoldMigration::keptApart(name.folded());
    const auto bindApart = [&](sqliteStatement::run& row) -> sqliteStatement::run&
    {
        row.bind(1, owner).bindBlob(2, bytesOf(range.above)).bindText(3, name.text());
        return row.bindBlob(4, bytesOf(range.below)).bind(5, range.length);
    };
    bool anyApart = false;
    {
        sqliteStatement::run other(statement(apart));
        bindApart(other);
        while ((rc = other.step()) == SQLITE_ROW)
        {
            if (other.integer(0) != 0)
            {
                found(other);
                return ERROR_SUCCESS;
            }
            anyApart = true;
        }
    }
    if (rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    if (holder || !anyApart)
    {
        if (holder)
        {
            found(held);
        }
        return holder ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }
    sqliteStatement::run oldest(statement(apart)); // no row holds the fold: the oldest answers
    rc = bindApart(oldest).step();
    if (rc == SQLITE_ROW)
    {
        found(oldest);
        return ERROR_SUCCESS;
    }
    return notFoundOr(rc, ERROR_FILE_NOT_FOUND);
}

DWORD registryDatabase::findKey(keyId parent, const registryName& name, keyId& id)
{
    return findByName(findKeyStatement, parent, name,
                      [&id](sqliteStatement::run& row) { id = row.integer(1); });
}

DWORD registryDatabase::findValue(keyId key, const registryName& name, storedValue& value)
{
    return findByName(findValueStatement, key, name,
                      [&value](sqliteStatement::run& row)
                      {
                          value.type = static_cast<DWORD>(row.integer(2));
                          copyData(row.blob(3), value);
                      });
}

DWORD registryDatabase::keyLevel(keyId id, std::int64_t limit, std::int64_t& level)
{
    std::int64_t depth = 0;
    for (keyId at = id; depth < limit + m_hiveDepth; ++depth)
    {
        sqliteStatement::run row(statement(keyParentStatement));
        const int rc = row.bind(1, at).step();
        if (rc != SQLITE_ROW)
        {
            return notFoundOr(rc, ERROR_KEY_DELETED);
        }
        at = row.integer(0); // 0 (NULL) above the root: ids start at 1
        if (at == 0)
        {
            break;
        }
    }
    level = depth - m_hiveDepth;
    return ERROR_SUCCESS;
}

DWORD registryDatabase::setValue(keyId key, const registryName& name, DWORD type,
                                 std::span<const BYTE> data)
{
    std::int64_t found = 0;
    const DWORD result =
        m_keptApart ? findByName(findValueStatement, key, name,
                                 [&found](sqliteStatement::run& row) { found = row.integer(1); })
                    : ERROR_FILE_NOT_FOUND; // the insert replaces the value holding the fold
    if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND)
    {
        return result;
    }
    if (result == ERROR_SUCCESS)
    {
        sqliteStatement::run row(statement(updateValueStatement));
        const int rc = row.bind(1, found).bind(2, type).bindBlob(3, std::as_bytes(data)).step();
        return errorFrom(rc == SQLITE_DONE ? m_changes.note(key, registryChangeLog::valuesChanged)
                                           : rc);
    }
    sqliteStatement::run row(statement(setValueStatement));
    row.bind(1, key).bindText(2, name.text()).bindBlob(3, bytesOf(name.folded()));
    row.bind(4, type).bindBlob(5, std::as_bytes(data));
    const int rc = row.step();
    return errorFrom(rc == SQLITE_DONE ? m_changes.note(key, registryChangeLog::valuesChanged)
                                       : rc);
}

DWORD registryDatabase::deleteValue(keyId key, const registryName& name)
{
    std::int64_t found = 0;
    const DWORD result =
        findByName(findValueStatement, key, name,
                   [&found](sqliteStatement::run& row) { found = row.integer(1); });
    if (result != ERROR_SUCCESS)
    {
        return result;
    }
    sqliteStatement::run row(statement(deleteValueStatement));
    const int rc = row.bind(1, found).step();
    return errorFrom(rc == SQLITE_DONE ? m_changes.note(key, registryChangeLog::valuesChanged)
                                       : rc);
}

} // namespace registryStore
