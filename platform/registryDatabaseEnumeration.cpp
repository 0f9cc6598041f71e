// Enumeration of a hive's sub-keys and values by index, continuing from a handle's cursor.

#include "platform/registryDatabase.h"
#include "platform/registryRows.h"

#include <sqlite3.h>

namespace registryStore
{
using rows::bytesOf;
using rows::copyData;
using rows::notFoundOr;

bool registryDatabase::continues(const enumerationCursor* cursor, keyId key, DWORD index) const
{
    const auto sameConnection = [this](const std::weak_ptr<const void>& other)
    { return !other.owner_before(m_identity) && !m_identity.owner_before(other); };
    return cursor != nullptr && cursor->changes >= 0 && sameConnection(cursor->connection) &&
           cursor->key == key &&
           (index == cursor->index || index == std::uint64_t{cursor->index} + 1);
}

// Asked while a statement's read holds the snapshot, so it describes what that statement saw.
bool registryDatabase::unchangedSince(const enumerationCursor& cursor) const
{
    unsigned version = 0;
    sqlite3_file_control(m_db.get(), "main", SQLITE_FCNTL_DATA_VERSION, &version);
    return cursor.changes == sqlite3_total_changes64(m_db.get()) && cursor.dataVersion == version;
}

void registryDatabase::remember(enumerationCursor& cursor, keyId key, DWORD index) const
{
    cursor.connection = m_identity;
    cursor.key = key;
    cursor.index = index;
    cursor.changes = sqlite3_total_changes64(m_db.get());
    sqlite3_file_control(m_db.get(), "main", SQLITE_FCNTL_DATA_VERSION, &cursor.dataVersion);
}

DWORD registryDatabase::subKeyAt(keyId parent, DWORD index, std::u16string& name,
                                 std::int64_t& written, enumerationCursor* cursor)
{
    const auto take = [&](sqliteStatement::run& row)
    {
        name = registryName::decode(row.text(0));
        written = row.integer(1);
        if (cursor != nullptr)
        {
            const std::span<const std::byte> folded = row.blob(2);
            cursor->folded.assign(reinterpret_cast<const char*>(folded.data()), folded.size());
            remember(*cursor, parent, index);
        }
        return ERROR_SUCCESS;
    };
    if (continues(cursor, parent, index))
    {
        // The next name is the least one above the last: the last with a zero byte appended.
        const std::string from = index == cursor->index ? cursor->folded : cursor->folded + '\0';
        sqliteStatement::run row(statement(seekSubKeyStatement));
        const int rc = row.bind(1, parent).bindBlob(2, bytesOf(from)).step();
        if (unchangedSince(*cursor))
        {
            return rc == SQLITE_ROW ? take(row) : notFoundOr(rc, ERROR_NO_MORE_ITEMS);
        }
    }
    sqliteStatement::run row(statement(subKeyAtStatement));
    const int rc = row.bind(1, parent).bind(2, index).step();
    return rc == SQLITE_ROW ? take(row) : notFoundOr(rc, ERROR_NO_MORE_ITEMS);
}

DWORD registryDatabase::valueAt(keyId key, DWORD index, std::u16string& name, storedValue& value,
                                enumerationCursor* cursor)
{
    const auto take = [&](sqliteStatement::run& row)
    {
        name = registryName::decode(row.text(0));
        value.type = static_cast<DWORD>(row.integer(1));
        copyData(row.blob(2), value);
        if (cursor != nullptr)
        {
            cursor->rowId = row.integer(3);
            remember(*cursor, key, index);
        }
        return ERROR_SUCCESS;
    };
    if (continues(cursor, key, index))
    {
        sqliteStatement::run row(statement(seekValueStatement));
        const std::int64_t from = cursor->rowId + (index == cursor->index ? 0 : 1);
        const int rc = row.bind(1, key).bind(2, from).step();
        if (unchangedSince(*cursor))
        {
            return rc == SQLITE_ROW ? take(row) : notFoundOr(rc, ERROR_NO_MORE_ITEMS);
        }
    }
    sqliteStatement::run row(statement(valueAtStatement));
    const int rc = row.bind(1, key).bind(2, index).step();
    return rc == SQLITE_ROW ? take(row) : notFoundOr(rc, ERROR_NO_MORE_ITEMS);
}

std::int64_t registryDatabase::enumerationSteps() const
{
    std::int64_t steps = 0;
    for (const statementId id :
         {subKeyAtStatement, seekSubKeyStatement, valueAtStatement, seekValueStatement})
    {
        steps += m_statements[id].steps();
    }
    return steps;
}

} // namespace registryStore
