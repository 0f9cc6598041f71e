#include "platform/sqliteStatement.h"

#include <sqlite3.h>

namespace registryStore
{

sqliteStatement::~sqliteStatement()
{
    sqlite3_finalize(m_statement);
}

int sqliteStatement::prepare(sqlite3* db, std::string_view sql)
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    return sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                              SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr);
}

int sqliteStatement::steps() const
{
    return m_statement == nullptr ? 0
                                  : sqlite3_stmt_status(m_statement, SQLITE_STMTSTATUS_VM_STEP, 0);
}

sqliteStatement::run::~run()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
}

sqliteStatement::run& sqliteStatement::run::bind(int index, std::int64_t value)
{
    const int rc = sqlite3_bind_int64(m_statement, index, value);
    m_bindError = m_bindError != SQLITE_OK ? m_bindError : rc;
    return *this;
}

sqliteStatement::run& sqliteStatement::run::bindText(int index, std::string_view text)
{
    const int rc = sqlite3_bind_text64(m_statement, index, text.empty() ? "" : text.data(),
                                       text.size(), SQLITE_STATIC, SQLITE_UTF8);
    m_bindError = m_bindError != SQLITE_OK ? m_bindError : rc;
    return *this;
}

sqliteStatement::run& sqliteStatement::run::bindBlob(int index, std::span<const std::byte> bytes)
{
    // A null pointer would bind NULL; an empty value must stay an empty blob.
    static const std::byte none{};
    const int rc = sqlite3_bind_blob64(m_statement, index, bytes.empty() ? &none : bytes.data(),
                                       bytes.size(), SQLITE_STATIC);
    m_bindError = m_bindError != SQLITE_OK ? m_bindError : rc;
    return *this;
}

int sqliteStatement::run::step()
{
    if (m_bindError != SQLITE_OK)
    {
        return m_bindError;
    }
    return sqlite3_step(m_statement);
}

std::int64_t sqliteStatement::run::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::string_view sqliteStatement::run::text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return text == nullptr ? std::string_view() : std::string_view(text, size);
}

std::span<const std::byte> sqliteStatement::run::blob(int column) const
{
    const auto* data = static_cast<const std::byte*>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return data == nullptr ? std::span<const std::byte>()
                           : std::span<const std::byte>(data, static_cast<std::size_t>(size));
}

} // namespace registryStore
