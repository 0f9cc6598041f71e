#pragma once

// The floor a registry benchmark is measured against: one raw SQLite connection to a hive file
// with the registry's own open flags, pragmas and statements, and nothing of the registry's
// bookkeeping. A pass on the floor runs what the registry runs: one key lookup per path step,
// one value lookup per read, per write BEGIN IMMEDIATE, the key's write time, the value upsert
// and COMMIT, and the full checkpoint the registry makes when the last handle on a hive closes.
//
// The hive file must exist and hold every key and value the pass touches: any answer other
// than the expected one ends the process with status 1. One thread at a time.

#include "platform/registryHiveLocation.h"
#include "platform/registryName.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

class floorHive
{
public:
    // The hive file the registry keeps for `root` (HKEY_CURRENT_USER or HKEY_USERS).
    explicit floorHive(HKEY root)
    {
        const std::string file = registryStore::registryHiveLocation::path(root);
        check(sqlite3_open_v2(file.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                              nullptr),
              SQLITE_OK, "open");
        sqlite3_busy_timeout(m_db, 5000);
        check(sqlite3_exec(m_db, "PRAGMA synchronous = NORMAL; PRAGMA cell_size_check = ON",
                           nullptr, nullptr, nullptr),
              SQLITE_OK, "pragmas");
        m_findKey = prepare("SELECT id FROM hiveKey WHERE parent = ?1 AND folded = ?2");
        m_findValue = prepare("SELECT type, data FROM hiveValue WHERE keyId = ?1 AND folded = ?2");
        m_begin = prepare("BEGIN IMMEDIATE");
        m_commit = prepare("COMMIT");
        m_touch = prepare("UPDATE hiveKey SET written = ?2 WHERE id = ?1");
        m_set = prepare("INSERT INTO hiveValue(keyId, name, folded, type, data) "
                        "VALUES(?1, ?2, ?3, ?4, ?5) ON CONFLICT(keyId, folded) DO UPDATE SET "
                        "type = excluded.type, data = excluded.data");
    }
    ~floorHive()
    {
        for (sqlite3_stmt* s : {m_findKey, m_findValue, m_begin, m_commit, m_touch, m_set})
        {
            sqlite3_finalize(s);
        }
        sqlite3_close(m_db);
    }
    floorHive(const floorHive&) = delete;
    floorHive& operator=(const floorHive&) = delete;

    // The folded forms of a key path's names, made once before a pass.
    static std::vector<std::string> foldedPath(const std::vector<std::u16string>& names)
    {
        std::vector<std::string> out;
        for (const std::u16string& name : names)
        {
            out.push_back(registryStore::registryName(name).folded());
        }
        return out;
    }

    // The id of the key at the end of `foldedPath`, found step by step from the hive's root.
    sqlite3_int64 openPath(const std::vector<std::string>& foldedPath)
    {
        sqlite3_int64 id = 1; // the hive's root key
        for (const std::string& folded : foldedPath)
        {
            sqlite3_bind_int64(m_findKey, 1, id);
            sqlite3_bind_blob(m_findKey, 2, folded.data(), static_cast<int>(folded.size()),
                              SQLITE_STATIC);
            check(sqlite3_step(m_findKey), SQLITE_ROW, "find key");
            id = sqlite3_column_int64(m_findKey, 0);
            sqlite3_reset(m_findKey);
        }
        return id;
    }

    // Calls use(data, size) on the value's bytes, which live only for that call, and returns
    // what it returns.
    template <class Use> auto read(sqlite3_int64 key, const std::string& folded, Use use)
    {
        sqlite3_bind_int64(m_findValue, 1, key);
        sqlite3_bind_blob(m_findValue, 2, folded.data(), static_cast<int>(folded.size()),
                          SQLITE_STATIC);
        check(sqlite3_step(m_findValue), SQLITE_ROW, "find value");
        const auto result =
            use(sqlite3_column_blob(m_findValue, 1), sqlite3_column_bytes(m_findValue, 1));
        sqlite3_reset(m_findValue);
        return result;
    }

    // One value write in its own transaction, as the registry commits each before it returns.
    void write(sqlite3_int64 key, const std::string& text, const std::string& folded, int type,
               const void* data, int size)
    {
        step(m_begin, "begin");
        const auto now = std::chrono::system_clock::now().time_since_epoch().count() / 100;
        sqlite3_bind_int64(m_touch, 1, key);
        sqlite3_bind_int64(m_touch, 2, now);
        step(m_touch, "touch");
        sqlite3_bind_int64(m_set, 1, key);
        sqlite3_bind_text(m_set, 2, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        sqlite3_bind_blob(m_set, 3, folded.data(), static_cast<int>(folded.size()), SQLITE_STATIC);
        sqlite3_bind_int(m_set, 4, type);
        sqlite3_bind_blob(m_set, 5, data, size, SQLITE_STATIC);
        step(m_set, "set");
        step(m_commit, "commit");
    }

    void checkpoint()
    {
        check(sqlite3_wal_checkpoint_v2(m_db, "main", SQLITE_CHECKPOINT_FULL, nullptr, nullptr),
              SQLITE_OK, "checkpoint");
    }

private:
    static void check(int rc, int expected, const char* what)
    {
        if (rc != expected)
        {
            std::fprintf(stderr, "floor: %s answered %d\n", what, rc);
            std::exit(1);
        }
    }
    sqlite3_stmt* prepare(const char* sql)
    {
        sqlite3_stmt* s = nullptr;
        check(sqlite3_prepare_v3(m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr), SQLITE_OK,
              sql);
        return s;
    }
    static void step(sqlite3_stmt* s, const char* what)
    {
        check(sqlite3_step(s), SQLITE_DONE, what);
        sqlite3_reset(s);
    }

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_findKey = nullptr;
    sqlite3_stmt* m_findValue = nullptr;
    sqlite3_stmt* m_begin = nullptr;
    sqlite3_stmt* m_commit = nullptr;
    sqlite3_stmt* m_touch = nullptr;
    sqlite3_stmt* m_set = nullptr;
};
