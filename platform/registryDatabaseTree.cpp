// The registryDatabase queries behind RegQueryInfoKeyW and RegDeleteTreeW. They run rarely,
// so their statements are prepared per call instead of being kept with the connection's.

#include "platform/registryDatabase.h"
#include "platform/registryRows.h"

#include <algorithm>
#include <sqlite3.h>

namespace registryStore
{
namespace
{

// UTF-16 units of a stored name: one per UTF-8 sequence, two for a four-byte one (a lone
// surrogate is kept as a three-byte sequence: one unit).
DWORD utf16Units(std::string_view text)
{
    DWORD units = 0;
    for (const char c : text)
    {
        const auto byte = static_cast<unsigned char>(c);
        units += (byte & 0xC0) == 0x80 ? 0 : (byte >= 0xF0 ? 2 : 1);
    }
    return units;
}

} // namespace

DWORD registryDatabase::queryKeyInfo(keyId id, keyInfo& info)
{
    info = keyInfo{};
    sqliteStatement key;
    sqliteStatement subKeys;
    sqliteStatement values;
    int rc = key.prepare(m_db.get(), "SELECT written FROM hiveKey WHERE id = ?1");
    rc = rc == SQLITE_OK ? subKeys.prepare(m_db.get(), "SELECT name FROM hiveKey WHERE parent = ?1")
                         : rc;
    rc = rc == SQLITE_OK
             ? values.prepare(m_db.get(),
                              "SELECT name, length(data) FROM hiveValue WHERE keyId = ?1")
             : rc;
    if (rc != SQLITE_OK)
    {
        return errorFrom(rc);
    }
    {
        sqliteStatement::run row(key);
        rc = row.bind(1, id).step();
        if (rc != SQLITE_ROW)
        {
            return rows::notFoundOr(rc, ERROR_KEY_DELETED);
        }
        info.written = row.integer(0);
    }
    sqliteStatement::run keys(subKeys);
    for (rc = keys.bind(1, id).step(); rc == SQLITE_ROW; rc = keys.step())
    {
        ++info.subKeys;
        info.maxSubKeyChars = std::max(info.maxSubKeyChars, utf16Units(keys.text(0)));
    }
    if (rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    sqliteStatement::run named(values);
    for (rc = named.bind(1, id).step(); rc == SQLITE_ROW; rc = named.step())
    {
        ++info.values;
        info.maxValueNameChars = std::max(info.maxValueNameChars, utf16Units(named.text(0)));
        info.maxValueBytes = std::max(info.maxValueBytes, static_cast<DWORD>(named.integer(1)));
    }
    return errorFrom(rc);
}

DWORD registryDatabase::subKeyIds(keyId parent, std::vector<keyId>& ids)
{
    ids.clear();
    sqliteStatement children;
    int rc = children.prepare(m_db.get(), "SELECT id FROM hiveKey WHERE parent = ?1");
    if (rc != SQLITE_OK)
    {
        return errorFrom(rc);
    }
    sqliteStatement::run row(children);
    for (rc = row.bind(1, parent).step(); rc == SQLITE_ROW; rc = row.step())
    {
        ids.push_back(row.integer(0));
    }
    return errorFrom(rc);
}

DWORD registryDatabase::deleteValues(keyId id)
{
    sqliteStatement::run row(statement(deleteKeyValuesStatement));
    const int rc = row.bind(1, id).step();
    if (rc != SQLITE_DONE)
    {
        return errorFrom(rc);
    }
    return sqlite3_changes(m_db.get()) == 0
               ? ERROR_SUCCESS
               : errorFrom(m_changes.note(id, registryChangeLog::valuesChanged));
}

} // namespace registryStore
