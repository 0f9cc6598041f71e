// A hive written by the earlier program, whose fold table knew fewer letters, still answers for
// every name it holds: refolded when this process may write it, looked up both ways when it
// may only read it.

#include <reZevavEvadurov/registry.h>

#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <string>
#include <vector>

using namespace registryTest;
namespace fs = std::filesystem;

namespace
{

constexpr const WCHAR* keyPath = u".DEFAULT\\Software";
constexpr int defaultSoftwareKey = 3;

// Rows as the earlier program stored them below .DEFAULT\Software: the name, its folded form
// under the old table, and for values a DWORD (for keys, 1: below the key U+FF53 "ub").
struct oldRow
{
    bool isKey;
    const char* name;
    const char* oldFolded;
    int data;
};
const std::string subKey = "(SELECT id FROM hiveKey WHERE name = '\xEF\xBD\x93ub')";
const oldRow oldRows[] = {
    {false,
     "\xEF\xBD\x81"
     "bc",
     "FF4100420043", 1},            // U+FF41: the old table left it
    {false, "\xC7\x86", "01C6", 2}, // U+01C6, a dz digraph
    {false, "file", "00460049004C0045", 3},
    {false, "f\xC4\xB1le", "00460130004C0045", 4}, // dotless i, which folds to I now
    {false, "caf\xC3\xA9", "00430041004600C9", 5}, // a fold that did not change
    {true,
     "\xEF\xBD\x93"
     "ub",
     "FF5300550042", 0}, // U+FF53 s
    {true, "dir", "004400490052", 1},
    {true, "d\xC4\xB1r", "004401300052", 1},
};

// What each name answers: read-only, exactly what the earlier program answered; refolded, what
// Windows answers, except that a row kept apart answers to exactly its own name. 0 stands for
// ERROR_FILE_NOT_FOUND.
struct answer
{
    const WCHAR* name;
    DWORD readOnly;
    DWORD refolded;
};
const answer answers[] = {
    {u"\uff41bc", 1, 1},  {u"\uff21BC", 0, 1},  {u"\u01c6", 2, 2},    {u"\u01c4", 0, 2},
    {u"\u01c5", 0, 2},    {u"FILE", 3, 3},      {u"f\u0131le", 4, 4}, {u"F\u0130LE", 4, 0},
    {u"caf\u00e9", 5, 5}, {u"CAF\u00c9", 5, 5}, {u"x", 0, 0},
};

void writeOldRows(const fs::path& hive)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(hive.c_str(), &db), SQLITE_OK);
    int keep = 1; // the journal stays for the reader who cannot make it
    sqlite3_file_control(db, "main", SQLITE_FCNTL_PERSIST_WAL, &keep);
    for (const oldRow& row : oldRows)
    {
        const std::string sql =
            row.isKey ? "INSERT INTO hiveKey(parent, name, folded, written) VALUES(" +
                            (row.data == 1 ? subKey : std::to_string(defaultSoftwareKey)) + ", '" +
                            row.name + "', X'" + row.oldFolded + "', 0)"
                      : "INSERT INTO hiveValue(keyId, name, folded, type, data) VALUES(" +
                            std::to_string(defaultSoftwareKey) + ", '" + row.name + "', X'" +
                            row.oldFolded + "', 4, X'0" + std::to_string(row.data) + "000000')";
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sql;
    }
    ASSERT_EQ(sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// The first answer that differs from the table, as its index + 1; 0 when all agree.
int firstWrongAnswer(DWORD answer::*expected)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_USERS, keyPath, 0, KEY_READ, &key) != 0)
    {
        return 100;
    }
    int wrong = 0;
    for (std::size_t i = 0; wrong == 0 && i < std::size(answers); ++i)
    {
        DWORD value = 0;
        const auto result = static_cast<DWORD>(queryDword(key, answers[i].name, value));
        const DWORD want = answers[i].*expected;
        if (result != (want == 0 ? ERROR_FILE_NOT_FOUND : 0) || (result == 0 && value != want))
        {
            wrong = static_cast<int>(i) + 1;
        }
    }
    const std::u16string subKeys[] = {u"\uff53UB", u"\uff33ub"}; // the second only refolded
    for (std::size_t i = 0; wrong == 0 && i < (expected == &answer::refolded ? 2 : 1); ++i)
    {
        HKEY sub = nullptr;
        wrong =
            RegOpenKeyExW(key, subKeys[i].c_str(), 0, KEY_READ, &sub) == 0 && RegCloseKey(sub) == 0
                ? 0
                : 50 + static_cast<int>(i);
    }
    RegCloseKey(key);
    return wrong;
}

TEST(RegistryFoldMigrationTest, AnEarlierProgramsHiveAnswersForEveryNameItHolds)
{
    if (geteuid() != 0)
    {
        GTEST_SKIP() << "needs root to read the hive as a user who cannot write it";
    }
    constexpr uid_t nobody = 65534;
    fs::permissions(testsupport::sandboxRoot(), fs::perms(0755));
    fs::permissions(testsupport::sandboxConfigDirs(), fs::perms(0755));
    // Made in a child, so this process opens the hive first once it is in its old form.
    ASSERT_EQ(runInChild(
                  []
                  {
                      umask(022);
                      HKEY key = nullptr;
                      return RegCreateKeyExW(HKEY_USERS, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &key, nullptr) == 0 &&
                                     setDword(key, u"made", 0) == 0 && RegCloseKey(key) == 0
                                 ? 0
                                 : 1;
                  }),
              0);
    const fs::path hive = usersHive(testsupport::sandboxConfigDirs());
    writeOldRows(hive);

    EXPECT_EQ(runInChild(
                  []
                  {
                      const bool dropped =
                          setgroups(0, nullptr) == 0 && setgid(nobody) == 0 && setuid(nobody) == 0;
                      return dropped ? firstWrongAnswer(&answer::readOnly) : 99;
                  }),
              0)
        << "read-only, looked up both ways";
    EXPECT_EQ(firstAnswer(hive.string(), SQLITE_OPEN_READONLY, "PRAGMA user_version"), "1");

    EXPECT_EQ(firstWrongAnswer(&answer::refolded), 0) << "refolded";
    EXPECT_EQ(firstAnswer(hive.string(), SQLITE_OPEN_READONLY, "PRAGMA user_version"), "2");

    // Nothing was lost: every value is still listed with its data, the one that now shares
    // its name with an older one included; a write reaches the value that answers.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, keyPath, 0, KEY_ALL_ACCESS, &key), 0);
    ASSERT_EQ(setDword(key, u"\uff21BC", 9), 0);
    std::vector<std::pair<std::u16string, DWORD>> listed;
    for (DWORD i = 0;; ++i)
    {
        WCHAR name[16];
        DWORD chars = 16;
        DWORD value = 0;
        DWORD size = sizeof value;
        if (RegEnumValueW(key, i, name, &chars, nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                          &size) != 0)
        {
            break;
        }
        listed.emplace_back(std::u16string(name, chars), value);
    }
    const std::vector<std::pair<std::u16string, DWORD>> expected = {
        {u"made", 0}, {u"\uff41bc", 9},  {u"\u01c6", 2},
        {u"file", 3}, {u"f\u0131le", 4}, {u"caf\u00e9", 5}};
    EXPECT_EQ(listed, expected);

    // Each row is deleted by the name it is listed under, and then its parent. Once the row
    // holding the fold is gone, the one kept apart answers for every spelling.
    ASSERT_EQ(RegDeleteValueW(key, u"file"), 0);
    DWORD value = 0;
    EXPECT_EQ(queryDword(key, u"FILE", value), 0);
    EXPECT_EQ(value, 4u);
    EXPECT_EQ(RegDeleteValueW(key, u"FILE"), 0);
    EXPECT_EQ(RegDeleteKeyW(key, u"\uff53ub\\d\u0131r"), 0);
    EXPECT_EQ(RegDeleteKeyW(key, u"\uff53ub\\dir"), 0);
    EXPECT_EQ(RegDeleteKeyW(key, u"\uff53ub"), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(integrityOf(hive, SQLITE_OPEN_READONLY), "ok");
}

} // namespace
