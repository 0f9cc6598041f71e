#include <reZevavEvadurov/registry.h>

#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace registryTest;
namespace fs = std::filesystem;

namespace
{

constexpr REGSAM readWrite = 0x2001F; // KEY_READ | KEY_WRITE, as the settings passes ask

class RegistryKeyTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), 0u); }

    static std::vector<std::u16string> subKeys(HKEY key)
    {
        std::vector<std::u16string> names;
        for (DWORD i = 0;; ++i)
        {
            WCHAR name[256];
            DWORD chars = 256;
            if (RegEnumKeyExW(key, i, name, &chars, nullptr, nullptr, nullptr, nullptr) != 0)
            {
                return names;
            }
            names.emplace_back(name, chars);
        }
    }

    static mode_t modeOf(const fs::path& path)
    {
        struct stat info
        {
        };
        return stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
    }
};

TEST_F(RegistryKeyTest, CreatesAChainOnceThenOpensIt)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64", 0, nullptr, 0,
                              readWrite, nullptr, &key, &disposition),
              0);
    EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
    ASSERT_EQ(setDword(key, u"debugHeap", 1), 0);
    ASSERT_EQ(RegCloseKey(key), 0);

    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"software\\CORVANE\\tarnwickx64\\", 0, nullptr, 0,
                              readWrite, nullptr, &key, &disposition),
              0);
    EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
    DWORD value = 0;
    EXPECT_EQ(queryDword(key, u"debugHeap", value), 0);
    EXPECT_EQ(RegCloseKey(key), 0);

    // Step by step, as the settings location opens it.
    HKEY software = nullptr;
    HKEY maker = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &software), 0);
    ASSERT_EQ(RegOpenKeyExW(software, u"Corvane", 0, KEY_READ, &maker), 0);
    ASSERT_EQ(RegOpenKeyExW(maker, u"Tarnwickx64", 0, KEY_READ, &key), 0);
    EXPECT_EQ(regOpenHandleCount(), 3u);
    for (HKEY h : {key, maker, software})
    {
        EXPECT_EQ(RegCloseKey(h), 0);
    }
}

TEST_F(RegistryKeyTest, MissingKeyReadOnlyFailsWithFileNotFound)
{
    HKEY key = reinterpret_cast<HKEY>(std::intptr_t{1});
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key, nullptr);
    // Creating below a read-only handle needs KEY_CREATE_SUB_KEY on it.
    HKEY software = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, KEY_READ, nullptr,
                              &software, nullptr),
              0);
    EXPECT_EQ(
        RegCreateKeyExW(software, u"Corvane", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr),
        ERROR_ACCESS_DENIED);
    EXPECT_EQ(regOpenHandleCount(), 1u);
    EXPECT_EQ(RegCloseKey(software), 0);
}

TEST_F(RegistryKeyTest, ReadsOfAFreshHiveSeeStandardKeysAndMakeNoFiles)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key), 0);
    EXPECT_TRUE(subKeys(key).empty());
    DWORD value = 0;
    EXPECT_EQ(queryDword(key, u"x", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteValueW(HKEY_CURRENT_USER, u"x"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Nothing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(subKeys(HKEY_CURRENT_USER), std::vector<std::u16string>{u"Software"});

    EXPECT_EQ(subKeys(HKEY_USERS), std::vector<std::u16string>{u".DEFAULT"});
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, u".DEFAULT\\Software", 0, KEY_READ, &key), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(RegOpenKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(filesBelow(testsupport::sandboxConfigHome()).empty());
    EXPECT_TRUE(filesBelow(testsupport::sandboxConfigDirs()).empty());
}

TEST_F(RegistryKeyTest, FirstWriteMakesHiveFilesWithTheirModes)
{
    const mode_t oldMask = umask(0);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane", 0, nullptr, 0, readWrite,
                              nullptr, &key, nullptr),
              0);
    EXPECT_EQ(RegCloseKey(key), 0);
    ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane", 0, nullptr, 0, readWrite,
                              nullptr, &key, nullptr),
              0);
    ASSERT_EQ(setDword(key, u"v", 1), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    umask(oldMask);

    const fs::path user = userHive(testsupport::sandboxConfigHome());
    const fs::path users = usersHive(testsupport::sandboxConfigDirs());
    EXPECT_EQ(modeOf(user), 0600u);
    EXPECT_EQ(modeOf(users), 0644u);
    // The system hive keeps its journal files, readable by all, for readers without write access.
    EXPECT_EQ(modeOf(users.string() + "-wal"), 0644u);
    EXPECT_EQ(modeOf(users.string() + "-shm"), 0644u);
    for (const std::string& name : filesBelow(testsupport::sandboxConfigHome()))
    {
        EXPECT_EQ(name.find(".new-"), std::string::npos) << "no temporary file is left: " << name;
    }
}

TEST_F(RegistryKeyTest, KeyNamesIgnoreCaseKeepSpellingAndEnumerateSorted)
{
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Sorted", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr),
              0);
    for (const WCHAR* name : {u"beta", u"Alpha", u"\u0416uk", u"gamma", u"ALPHA"})
    {
        HKEY child = nullptr;
        ASSERT_EQ(RegCreateKeyExW(parent, name, 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr),
                  0);
        EXPECT_EQ(RegCloseKey(child), 0);
    }
    EXPECT_EQ(subKeys(parent),
              (std::vector<std::u16string>{u"Alpha", u"beta", u"gamma", u"\u0416uk"}));
    HKEY child = nullptr;
    ASSERT_EQ(RegOpenKeyExW(parent, u"\u0436UK", 0, KEY_READ, &child), 0);
    EXPECT_EQ(RegCloseKey(child), 0);

    WCHAR name[8];
    DWORD chars = 5; // "Alpha" needs six with its terminator
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_MORE_DATA);
    chars = 6;
    FILETIME written{};
    EXPECT_EQ(RegEnumKeyExW(parent, 0, name, &chars, nullptr, nullptr, nullptr, &written), 0);
    EXPECT_EQ(chars, 5u);
    EXPECT_NE(written.dwHighDateTime, 0u);
    chars = 8;
    EXPECT_EQ(RegEnumKeyExW(parent, 4, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegCloseKey(parent), 0);
}

TEST_F(RegistryKeyTest, RejectsMalformedPaths)
{
    HKEY key = nullptr;
    for (const WCHAR* path : {u"\\Software", u"Software\\\\Corvane", u"\\"})
    {
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  ERROR_BAD_PATHNAME);
    }
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 0, KEY_READ, nullptr,
                              nullptr, nullptr),
              ERROR_BADKEY);
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software", 0, nullptr, 1 /* volatile */,
                              KEY_READ, nullptr, &key, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, nullptr),
              ERROR_INVALID_PARAMETER);
}

TEST_F(RegistryKeyTest, DeletesOnlyLeafKeysAndDeletedKeysAnswerKeyDeleted)
{
    HKEY leaf = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Gone\\Leaf", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &leaf, nullptr),
              0);
    ASSERT_EQ(setDword(leaf, u"v", 1), 0);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software\\Gone"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"Software"), ERROR_ACCESS_DENIED);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, u"software\\gone\\LEAF"), 0);

    DWORD value = 0;
    EXPECT_EQ(queryDword(leaf, u"v", value), ERROR_KEY_DELETED);
    EXPECT_EQ(setDword(leaf, u"v", 2), ERROR_KEY_DELETED);
    WCHAR name[4];
    DWORD chars = 4;
    EXPECT_EQ(RegEnumValueW(leaf, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              ERROR_KEY_DELETED);
    HKEY child = nullptr;
    EXPECT_EQ(
        RegCreateKeyExW(leaf, u"Child", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr),
        ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(leaf), 0);

    // A key made again under the same name is a new key with no values.
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Gone\\Leaf", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &leaf, nullptr),
              0);
    EXPECT_EQ(queryDword(leaf, u"v", value), ERROR_FILE_NOT_FOUND);
    // Deleting the key through its own handle needs DELETE on that handle.
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(leaf, nullptr, 0, KEY_READ, &reader), 0);
    EXPECT_EQ(RegDeleteKeyW(reader, u""), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyW(leaf, u""), 0);
    EXPECT_EQ(queryDword(reader, u"v", value), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(reader), 0);
    EXPECT_EQ(RegCloseKey(leaf), 0);
}

TEST_F(RegistryKeyTest, QueryInfoCountsAsWindowsDoes)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Info", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              0);
    // Lengths in UTF-16 units: a character outside the plane is two; data in bytes.
    for (const WCHAR* sub : {u"ab", u"\U0001F600xyz", u"z"})
    {
        HKEY child = nullptr;
        ASSERT_EQ(RegCreateKeyExW(key, sub, 0, nullptr, 0, KEY_READ, nullptr, &child, nullptr), 0);
        EXPECT_EQ(RegCloseKey(child), 0);
    }
    const BYTE data[10] = {};
    ASSERT_EQ(RegSetValueExW(key, u"\u00e9t\u00e9", 0, REG_BINARY, data, 10), 0);
    ASSERT_EQ(RegSetValueExW(key, nullptr, 0, REG_BINARY, data, 3), 0);
    DWORD counts[8];
    std::fill(std::begin(counts), std::end(counts), 0xAAAA);
    FILETIME written{};
    WCHAR keyClass[4] = {u'x'};
    DWORD classChars = 4;
    ASSERT_EQ(RegQueryInfoKeyW(key, keyClass, &classChars, nullptr, &counts[0], &counts[1],
                               &counts[2], &counts[3], &counts[4], &counts[5], &counts[6],
                               &written),
              0);
    EXPECT_EQ(std::vector<DWORD>(counts, counts + 7), (std::vector<DWORD>{3, 5, 0, 2, 3, 10, 0}));
    EXPECT_EQ(keyClass[0], 0);
    EXPECT_EQ(classChars, 0u);
    // The write time is the one enumeration gives the key.
    WCHAR name[8];
    DWORD chars = 8;
    FILETIME listed{};
    HKEY software = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &software), 0);
    ASSERT_EQ(RegEnumKeyExW(software, 0, name, &chars, nullptr, nullptr, nullptr, &listed), 0);
    EXPECT_EQ(std::u16string(name), u"Info");
    EXPECT_NE(written.dwHighDateTime, 0u);
    EXPECT_EQ(written.dwLowDateTime, listed.dwLowDateTime);
    EXPECT_EQ(written.dwHighDateTime, listed.dwHighDateTime);
    // Every pointer may be null; a reserved pointer, a class without its size, or a handle
    // without KEY_QUERY_VALUE are refused.
    EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              0);
    EXPECT_EQ(RegQueryInfoKeyW(key, nullptr, nullptr, &chars, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    EXPECT_EQ(RegQueryInfoKeyW(key, keyClass, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr),
              ERROR_INVALID_PARAMETER);
    HKEY lister = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key, nullptr, 0, KEY_ENUMERATE_SUB_KEYS, &lister), 0);
    EXPECT_EQ(RegQueryInfoKeyW(lister, nullptr, nullptr, nullptr, &counts[0], nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_ACCESS_DENIED);
    for (HKEY open : {lister, software, key})
    {
        EXPECT_EQ(RegCloseKey(open), 0);
    }
}

TEST_F(RegistryKeyTest, DeleteTreeRemovesEverythingBelowAndKeepsTheKeyWithoutASubKey)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Tree\\A\\B", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    ASSERT_EQ(setDword(key, u"deep", 1), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"Software\\Tree", 0, KEY_ALL_ACCESS, &key), 0);
    ASSERT_EQ(setDword(key, u"top", 1), 0);
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key, nullptr, 0, KEY_READ | DELETE_ACCESS, &reader), 0);
    EXPECT_EQ(RegDeleteTreeW(reader, nullptr), ERROR_ACCESS_DENIED) << "values need KEY_SET_VALUE";
    EXPECT_EQ(RegDeleteTreeW(key, u"Missing"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Software"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(subKeys(key), std::vector<std::u16string>{u"A"}) << "a refusal deletes nothing";

    ASSERT_EQ(RegDeleteTreeW(key, nullptr), 0);
    DWORD value = 0;
    EXPECT_EQ(queryDword(key, u"top", value), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(subKeys(key).empty());
    ASSERT_EQ(setDword(key, u"kept", 1), 0) << "the key itself stays";
    ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\Tree"), 0);
    EXPECT_EQ(queryDword(key, u"kept", value), ERROR_KEY_DELETED);
    EXPECT_EQ(RegCloseKey(reader), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryKeyTest, AChangedEnvironmentGivesAnotherHive)
{
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, u"marker", 1), 0);
    const fs::path other = testsupport::sandboxRoot() / "otherConfig";
    fs::create_directories(other);
    const std::string original = testsupport::sandboxConfigHome().string();
    setenv("XDG_CONFIG_HOME", other.c_str(), 1);
    DWORD value = 0;
    EXPECT_EQ(queryDword(HKEY_CURRENT_USER, u"marker", value), ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(setDword(HKEY_CURRENT_USER, u"marker", 2), 0);
    EXPECT_TRUE(fs::exists(userHive(other)));
    setenv("XDG_CONFIG_HOME", original.c_str(), 1);
    ASSERT_EQ(queryDword(HKEY_CURRENT_USER, u"marker", value), 0);
    EXPECT_EQ(value, 1u);
}

TEST_F(RegistryKeyTest, ClosingTheLastHandleCheckpointsTheJournal)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Durable", 0, nullptr, 0, readWrite,
                              nullptr, &key, nullptr),
              0);
    HKEY second = nullptr;
    ASSERT_EQ(RegOpenKeyExW(key, nullptr, 0, KEY_READ, &second), 0);
    ASSERT_EQ(setDword(key, u"first", 1), 0);

    // Reads the database file alone, without its journal.
    const std::string uri =
        "file:" + userHive(testsupport::sandboxConfigHome()).string() + "?immutable=1";
    const auto valuesInFile = [&uri]
    {
        const std::optional<std::string> count = firstAnswer(
            uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, "SELECT count(*) FROM hiveValue");
        return count ? std::atoi(count->c_str()) : -1;
    };
    EXPECT_EQ(valuesInFile(), 0) << "the write is still only in the journal";
    ASSERT_EQ(RegFlushKey(key), 0);
    EXPECT_EQ(valuesInFile(), 1);
    ASSERT_EQ(setDword(key, u"second", 2), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(valuesInFile(), 1) << "another handle is still open";
    EXPECT_EQ(RegCloseKey(second), 0);
    EXPECT_EQ(valuesInFile(), 2);
}

} // namespace
