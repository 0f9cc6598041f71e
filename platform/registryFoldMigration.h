#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Keeps hives of the first format answering as they did. A format-1 hive (user_version 1)
// stored names folded by an earlier table that knew ASCII, Latin-1, Latin Extended-A, Greek
// and Cyrillic only (and took U+0131 to U+0130); format 2 stores wideText::foldChar of the
// whole plane. A hive this process may write is refolded once, when it is opened; one it may
// only read is looked up with the new fold first and the old one second, which finds every
// name the earlier program found.
//
// When two names that the old table kept apart fold alike now (as "file" and "f\u0131le"), the
// one whose stored form did not change, else the older, takes the folded form; the other keeps
// its name, type and data and is still listed by enumeration, but is kept apart: it carries
// the fold, 0xFF and its row id (an odd length, which no name folds to). Lookups
// (registryDatabase::findKey, findValue) reach it by exactly its stored name, which comes
// before the folded match, and by any spelling of the fold once no row holds the fold itself;
// every other spelling reaches the row holding the fold, as before. Nothing is deleted.

#include <cstdint>
#include <sqlite3.h>
#include <string>
#include <string_view>

namespace registryStore
{

class registryFoldMigration
{
public:
    static constexpr std::int64_t firstFormat = 1;

    // The folded form the format-1 table gives `name` (big-endian code units).
    static std::string legacyFolded(std::u16string_view name);

    // The folded forms of the rows kept apart with fold `folded`: strictly between `above` and
    // `below`, `length` bytes long (in row id order).
    struct apartRange
    {
        std::string above;
        std::string below;
        std::int64_t length;
    };
    static apartRange keptApart(const std::string& folded);

    // Refolds every key and value name of `db` and sets user_version 2. Runs inside the
    // caller's write transaction; an SQLite result code.
    static int migrate(sqlite3* db);
};

} // namespace registryStore

#pragma GCC visibility pop
