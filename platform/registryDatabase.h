#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// One SQLite connection to a hive, with its prepared statements, and the key and value
// operations of the registry in terms of key ids. Schema:
//
//   hiveKey(id INTEGER PRIMARY KEY AUTOINCREMENT, parent INTEGER (NULL for the root),
//           name TEXT (as created, UTF-8), folded BLOB (fold of the UTF-16 name, big-endian),
//           written INTEGER (last write, FILETIME ticks))
//     UNIQUE INDEX hiveKeyByName(parent, folded)
//   hiveValue(id INTEGER PRIMARY KEY (creation order), keyId INTEGER, name TEXT, folded BLOB,
//             type INTEGER, data BLOB (never NULL))
//     UNIQUE INDEX hiveValueByName(keyId, folded); INDEX hiveValueByOrder(keyId, id)
//   hiveChange: see registryChangeLog.h (optional; older hives get it at their next write)
//   application_id 0x525A4856, user_version 2 (1: an earlier fold table; see
//   registryFoldMigration.h for how such a hive is brought up to date or read as it is).
//
// Key ids are never reused (AUTOINCREMENT), so an id held by a handle never names another key.
// Every result is a Windows error code. Not thread-safe: the owner serialises all calls.
// A connection inherited across fork is never closed by the child (it leaks instead), so the
// parent's locks and journal stay intact.

#include "platform/registryChangeLog.h"
#include "platform/registryEnumCursor.h"
#include "platform/registryHiveLocation.h"
#include "platform/registryName.h"
#include "platform/sqliteStatement.h"

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <unordered_set>
#include <vector>

namespace registryStore
{

struct storedValue
{
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
};

class registryDatabase
{
    struct token
    {
    };

public:
    // Opens an existing hive file, read-write when the file allows it, else read-only.
    // ERROR_BADDB when it is not a sound hive; ERROR_CANTREAD for a hive of a later format.
    static DWORD open(const std::string& path, const hiveLayout& layout,
                      std::unique_ptr<registryDatabase>& out);
    // An in-memory hive holding only the standard keys: what a missing hive file reads as.
    static DWORD openEmpty(const hiveLayout& layout, std::unique_ptr<registryDatabase>& out);
    // Fills an existing, empty file with the schema and the standard keys, in WAL mode.
    static DWORD initialise(const std::string& path, const hiveLayout& layout);

    registryDatabase(token, sqlite3* db);
    ~registryDatabase();
    registryDatabase(const registryDatabase&) = delete;
    registryDatabase& operator=(const registryDatabase&) = delete;

    bool readOnly() const;

    // Reads. Missing names give ERROR_FILE_NOT_FOUND, an index past the end
    // ERROR_NO_MORE_ITEMS; neither tells whether the key itself still exists.
    // A name finds, in this order: the row stored under exactly that name; the row holding its
    // folded form; the oldest row a refold kept apart with that fold (registryFoldMigration.h).
    // So every row answers to the name enumeration gives it, and the row holding the folded
    // form answers for every other spelling.
    DWORD findKey(keyId parent, const registryName& name, keyId& id);
    // How deep the key lies as Windows counts it, the root of its hive being level 0 (see
    // hiveLayout::hiveDepth), counted no further than `limit` levels below the file's root.
    DWORD keyLevel(keyId id, std::int64_t limit, std::int64_t& level);
    DWORD keyExists(keyId id); // ERROR_SUCCESS or ERROR_KEY_DELETED
    DWORD hasSubKeys(keyId id, bool& any);
    // The sub-key (in folded-name order) or value (in creation order) at `index`. With a
    // cursor, a call for the index the cursor holds or the next one continues from there when
    // the hive has not changed since; the cursor then holds the new position.
    DWORD subKeyAt(keyId parent, DWORD index, std::u16string& name, std::int64_t& written,
                   enumerationCursor* cursor = nullptr);
    DWORD findValue(keyId key, const registryName& name, storedValue& value);
    DWORD valueAt(keyId key, DWORD index, std::u16string& name, storedValue& value,
                  enumerationCursor* cursor = nullptr);
    // Statement steps the enumerations have run on this connection (a measure of their cost).
    std::int64_t enumerationSteps() const;

    // Writes, only between beginWrite (BEGIN IMMEDIATE) and commit or rollback.
    DWORD beginWrite();
    DWORD beginRead(); // BEGIN: reads see one snapshot until commit or rollback
    DWORD commit();
    void rollback();
    // Marks the key written (once per transaction); ERROR_KEY_DELETED when it is gone.
    DWORD touchKey(keyId id);
    DWORD createKey(keyId parent, const registryName& name, keyId& id);
    // Replaces the value `name` finds (as findValue), keeping its row and place, else adds one.
    DWORD setValue(keyId key, const registryName& name, DWORD type, std::span<const BYTE> data);
    DWORD deleteValue(keyId key, const registryName& name); // the value findValue finds
    DWORD deleteKey(keyId id); // with its values; the caller has checked for sub-keys

    // For RegQueryInfoKeyW and RegDeleteTreeW (registryDatabaseTree.cpp).
    struct keyInfo
    {
        DWORD subKeys = 0;
        DWORD maxSubKeyChars = 0; // UTF-16 units
        DWORD values = 0;
        DWORD maxValueNameChars = 0;
        DWORD maxValueBytes = 0;
        std::int64_t written = 0;
    };
    DWORD queryKeyInfo(keyId id, keyInfo& info); // ERROR_KEY_DELETED when it is gone
    DWORD subKeyIds(keyId parent, std::vector<keyId>& ids);
    DWORD deleteValues(keyId id); // every value of the key

    // Every later commit on this connection is synced to disk before it returns.
    DWORD makeCommitsDurable();
    // Whether a transaction is open (SQLite ends one by itself after some failures).
    bool inTransaction() const;

    // Copies the journal into the database file and syncs it, then empties a journal larger
    // than the journal_size_limit when no other reader is in it.
    DWORD checkpoint();
    // Closing then leaves the files as they are: the journal is neither copied into the
    // database file nor removed (for a damaged hive).
    void keepFilesOnClose(bool keep);

    static constexpr int busyTimeoutMs = 5000;
    static constexpr std::uint32_t applicationId = 0x525A4856; // "RZHV"
    static constexpr std::int64_t formatVersion = 2; // 1: names folded by an earlier table

    static DWORD errorFrom(int sqliteCode);

private:
    enum statementId : std::size_t
    {
        // The three lookups of a kind follow each other: by fold; by fold, telling an exact
        // match; the rows kept apart.
        findKeyStatement,
        findExactKeyStatement,
        findApartKeyStatement,
        keyParentStatement,
        keyExistsStatement,
        firstSubKeyStatement,
        subKeyAtStatement,
        seekSubKeyStatement,
        findValueStatement,
        findExactValueStatement,
        findApartValueStatement,
        valueAtStatement,
        seekValueStatement,
        beginStatement,
        commitStatement,
        rollbackStatement,
        touchKeyStatement,
        insertKeyStatement,
        setValueStatement,
        updateValueStatement,
        deleteValueStatement,
        deleteKeyValuesStatement,
        deleteKeyStatement,
        statementCount
    };

    struct connectionCloser
    {
        void operator()(sqlite3* db) const;
    };

    static DWORD connect(const char* path, int flags, std::unique_ptr<registryDatabase>& out);
    int execute(const char* sql);
    int queryInteger(const char* sql, std::int64_t& value);
    DWORD validate();
    DWORD createSchema(const hiveLayout& layout);
    DWORD prepareStatements();
    DWORD refoldNames();
    DWORD lookForKeptApart();
    // Runs the lookups of a kind, `byFold` the first (see statementId); `found` gets the row
    // that answers, whose data begin at column 1. A hive of the first format that could not be
    // refolded is tried with the name's old folded form too.
    DWORD findByName(statementId byFold, std::int64_t owner, const registryName& name,
                     const std::function<void(sqliteStatement::run&)>& found);
    DWORD findLegacy(statementId byFold, std::int64_t owner, const registryName& name,
                     const std::function<void(sqliteStatement::run&)>& found);
    sqliteStatement& statement(statementId id) { return m_statements[id]; }
    bool continues(const enumerationCursor* cursor, keyId key, DWORD index) const;
    bool unchangedSince(const enumerationCursor& cursor) const;
    void remember(enumerationCursor& cursor, keyId key, DWORD index) const;

    std::unique_ptr<sqlite3, connectionCloser> m_db;
    std::array<sqliteStatement, statementCount> m_statements;
    const pid_t m_owner;
    std::unordered_set<keyId> m_touched; // keys stamped in the open transaction
    registryChangeLog m_changes;         // what the open write transaction changed
    bool m_legacyFolds = false;
    bool m_keptApart = false;     // the hive holds rows a refold kept apart (looked for at open)
    std::int64_t m_hiveDepth = 0; // hiveLayout::hiveDepth
    // Cursors hold a weak reference to it: a position is trusted only on this connection.
    const std::shared_ptr<const void> m_identity = std::make_shared<char>(0);
};

} // namespace registryStore

#pragma GCC visibility pop
