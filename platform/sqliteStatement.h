#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// One prepared SQLite statement, finalized when destroyed. Not thread-safe: it belongs to the
// connection that prepared it, which serialises its use. A `run` object binds, steps and
// always leaves the statement reset with its bindings cleared, whatever the outcome.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace registryStore
{

class sqliteStatement
{
public:
    sqliteStatement() = default;
    ~sqliteStatement();
    sqliteStatement(const sqliteStatement&) = delete;
    sqliteStatement& operator=(const sqliteStatement&) = delete;

    // SQLite result code; on failure the statement stays empty.
    int prepare(sqlite3* db, std::string_view sql);
    // Forgets the statement without finalizing it (for a connection inherited across fork,
    // which must not be touched).
    void abandon() { m_statement = nullptr; }
    // Virtual-machine steps run since it was prepared: the work it did, whatever the clock.
    int steps() const;

    class run
    {
    public:
        explicit run(sqliteStatement& statement) : m_statement(statement.m_statement) {}
        ~run();
        run(const run&) = delete;
        run& operator=(const run&) = delete;

        run& bind(int index, std::int64_t value);
        run& bindText(int index, std::string_view text);
        // Binds a blob, never NULL: an empty span binds an empty blob.
        run& bindBlob(int index, std::span<const std::byte> bytes);

        // SQLITE_ROW, SQLITE_DONE or an error (the first failed bind, if any).
        int step();

        std::int64_t integer(int column) const;
        std::string_view text(int column) const;
        std::span<const std::byte> blob(int column) const;

    private:
        sqlite3_stmt* m_statement;
        int m_bindError = 0;
    };

private:
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace registryStore

#pragma GCC visibility pop
