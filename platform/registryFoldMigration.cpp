#include "platform/registryFoldMigration.h"

#include "platform/registryName.h"
#include "platform/registryRows.h"
#include "platform/sqliteStatement.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace registryStore
{
using rows::bytesOf;

namespace
{

// The format-1 table, kept only to find names in hives that cannot be refolded.
WCHAR legacyFoldChar(WCHAR c)
{
    if (c < 0x80)
    {
        return (c >= u'a' && c <= u'z') ? static_cast<WCHAR>(c - 0x20) : c;
    }
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
    {
        return static_cast<WCHAR>(c - 0x20);
    }
    if (c == 0xFF)
    {
        return 0x178;
    }
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
    {
        return static_cast<WCHAR>(c & ~1u);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
    {
        return (c % 2 == 0) ? static_cast<WCHAR>(c - 1) : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
    {
        return static_cast<WCHAR>(c - 0x20);
    }
    if (c == 0x3C2)
    {
        return 0x3A3;
    }
    if (c >= 0x430 && c <= 0x44F)
    {
        return static_cast<WCHAR>(c - 0x20);
    }
    if (c >= 0x450 && c <= 0x45F)
    {
        return static_cast<WCHAR>(c - 0x50);
    }
    return c;
}

struct refold
{
    std::int64_t id;
    std::string folded;
};

constexpr std::size_t idBytes = 8;

// Unique per row and never the fold of a name: fold, 0xFF, the row id; an odd length.
std::string apart(const refold& row)
{
    std::string out = row.folded + '\xFF';
    for (int shift = static_cast<int>(idBytes - 1) * 8; shift >= 0; shift -= 8)
    {
        out += static_cast<char>((row.id >> shift) & 0xFF);
    }
    return out;
}

int setFolded(sqliteStatement& update, std::int64_t id, const std::string& folded)
{
    sqliteStatement::run row(update);
    const int rc = row.bind(1, id).bindBlob(2, bytesOf(folded)).step();
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
}

int refoldTable(sqlite3* db, const char* select, const char* update)
{
    std::vector<refold> changed;
    sqliteStatement rows;
    int rc = rows.prepare(db, select);
    if (rc != SQLITE_OK)
    {
        return rc;
    }
    {
        sqliteStatement::run row(rows);
        while ((rc = row.step()) == SQLITE_ROW)
        {
            const registryName name(registryName::decode(row.text(1)));
            const std::span<const std::byte> stored = row.blob(2);
            if (std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()) !=
                name.folded())
            {
                changed.push_back({row.integer(0), name.folded()});
            }
        }
    }
    if (rc != SQLITE_DONE)
    {
        return rc;
    }
    sqliteStatement set;
    rc = set.prepare(db, update);
    // Every changed row first steps out of the way, so that the order of the updates never
    // makes a collision the final state does not have.
    for (std::size_t i = 0; rc == SQLITE_OK && i < changed.size(); ++i)
    {
        rc = setFolded(set, changed[i].id, apart(changed[i]));
    }
    for (std::size_t i = 0; rc == SQLITE_OK && i < changed.size(); ++i)
    {
        rc = setFolded(set, changed[i].id, changed[i].folded);
        if ((rc & 0xFF) == SQLITE_CONSTRAINT)
        {
            rc = SQLITE_OK; // another name has this fold: this row stays apart
        }
    }
    return rc;
}

} // namespace

std::string registryFoldMigration::legacyFolded(std::u16string_view name)
{
    std::string folded;
    folded.reserve(name.size() * 2);
    for (const WCHAR c : name)
    {
        const WCHAR f = legacyFoldChar(c);
        folded += static_cast<char>(f >> 8);
        folded += static_cast<char>(f & 0xFF);
    }
    return folded;
}

registryFoldMigration::apartRange registryFoldMigration::keptApart(const std::string& folded)
{
    return {folded + '\xFF', folded + std::string(idBytes + 2, '\xFF'),
            static_cast<std::int64_t>(folded.size() + 1 + idBytes)};
}

int registryFoldMigration::migrate(sqlite3* db)
{
    int rc = refoldTable(db, "SELECT id, name, folded FROM hiveKey ORDER BY id",
                         "UPDATE hiveKey SET folded = ?2 WHERE id = ?1");
    if (rc == SQLITE_OK)
    {
        rc = refoldTable(db, "SELECT id, name, folded FROM hiveValue ORDER BY id",
                         "UPDATE hiveValue SET folded = ?2 WHERE id = ?1");
    }
    if (rc == SQLITE_OK)
    {
        rc = sqlite3_exec(db, "PRAGMA user_version = 2", nullptr, nullptr, nullptr);
    }
    return rc;
}

} // namespace registryStore
