// Answers where the registry must say what Windows says: odd paths, overlong names, keys beyond
// Windows' limits, flushing a deleted key, memory running out, and the size the default
// profile's journal is left at.

#include "platform/registryCall.h"
#include "platform/registryHiveFile.h"
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

#include "platform/wideText.h"
#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>
#include <string>
#include <utility>

using namespace registryTest;
namespace fs = std::filesystem;

namespace
{

class RegistryAnswersTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), 0u); }
};

TEST_F(RegistryAnswersTest, TrailingSeparatorsNameTheKeyBeforeThem)
{
    struct pathCase
    {
        const WCHAR* path;
        DWORD disposition;
    };
    const pathCase cases[] = {
        {u"Software\\Test\\\\", REG_CREATED_NEW_KEY},
        {u"Software\\Test", REG_OPENED_EXISTING_KEY},
        {u"Software\\Test\\", REG_OPENED_EXISTING_KEY},
        {u"software\\TEST\\\\\\", REG_OPENED_EXISTING_KEY},
    };
    for (const pathCase& c : cases)
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, c.path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, &disposition),
                  0)
            << wideText::toUtf8(c.path);
        EXPECT_EQ(disposition, c.disposition) << wideText::toUtf8(c.path);
        ASSERT_EQ(setDword(key, u"v", 1), 0);
        EXPECT_EQ(RegCloseKey(key), 0);
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, c.path, 0, KEY_READ, &key), 0);
        EXPECT_EQ(RegCloseKey(key), 0);
    }
}

TEST_F(RegistryAnswersTest, ValueNamesLongerThanWindowsAllowsAreRefusedAndNotStored)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Names", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              0);
    // Longest allowed, one more, far more: the result for both the wide and the 8-bit form.
    const std::pair<std::size_t, LSTATUS> cases[] = {
        {16383, ERROR_SUCCESS}, {16384, ERROR_INVALID_PARAMETER}, {40000, ERROR_INVALID_PARAMETER}};
    const BYTE data[4] = {5, 0, 0, 0};
    for (const auto& [chars, result] : cases)
    {
        EXPECT_EQ(RegSetValueExW(key, std::u16string(chars, u'w').c_str(), 0, REG_DWORD, data, 4),
                  result)
            << chars;
        EXPECT_EQ(RegSetValueExA(key, std::string(chars, 'n').c_str(), 0, REG_DWORD, data, 4),
                  result)
            << chars;
    }
    static WCHAR name[40001];
    DWORD count = 0;
    for (DWORD chars = 40001;
         RegEnumValueW(key, count, name, &chars, nullptr, nullptr, nullptr, nullptr) == 0;
         chars = 40001, ++count)
    {
        EXPECT_EQ(chars, 16383u);
    }
    EXPECT_EQ(count, 2u) << "only the two names of the longest allowed length are stored";
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryAnswersTest, KeysBeyondWindowsLimitsAreRefusedAndEarlierOnesStayReachable)
{
    // Levels count from each hive's root: HKEY_CURRENT_USER itself, HKEY_USERS\.DEFAULT.
    std::u16string user = u"Software";
    std::u16string users = u".DEFAULT\\Software";
    for (int level = 2; level <= 512; ++level)
    {
        user += u"\\d";
        users += u"\\d";
    }
    const struct
    {
        HKEY root;
        std::u16string path;
        LSTATUS created;
        LSTATUS opened; // and deleted
    } cases[] = {
        {HKEY_CURRENT_USER, u"Software\\" + std::u16string(256, u'k'), 0, 0},
        {HKEY_CURRENT_USER, u"Software\\" + std::u16string(257, u'k'), 87, 87},
        {HKEY_CURRENT_USER, u"Software\\no\\" + std::u16string(20000, u'k'), 87, 87},
        {HKEY_CURRENT_USER, user, 0, 0},
        {HKEY_CURRENT_USER, user + u"\\d", 87, ERROR_FILE_NOT_FOUND},
        {HKEY_USERS, users, 0, 0},
        {HKEY_USERS, users + u"\\d", 87, ERROR_FILE_NOT_FOUND},
    };
    for (const auto& c : cases)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(c.root, c.path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key, nullptr),
                  c.created)
            << c.path.size();
        EXPECT_TRUE(c.created != 0 || RegCloseKey(key) == 0);
        EXPECT_EQ(RegOpenKeyExW(c.root, c.path.c_str(), 0, KEY_READ, &key), c.opened);
        EXPECT_TRUE(c.opened != 0 || RegCloseKey(key) == 0);
    }
    // Beyond the limits as an earlier program stored them: the 256-unit name made 260 long and
    // moved below the deepest key. It opens and deletes; nothing is made below it.
    ASSERT_EQ(
        firstAnswer(userHive(testsupport::sandboxConfigHome()).string(), SQLITE_OPEN_READWRITE,
                    "UPDATE hiveKey SET name = name || 'kkkk', folded = CAST(folded || "
                    "substr(folded, 1, 8) AS BLOB), parent = (SELECT max(id) FROM hiveKey) WHERE "
                    "length(name) = 256 RETURNING 1"),
        "1");
    const std::u16string stored = user + u"\\" + std::u16string(260, u'k');
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, stored.c_str(), 0, KEY_ALL_ACCESS, &key), 0);
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY below = nullptr;
    EXPECT_EQ(RegCreateKeyTransactedW(key, u"x", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &below,
                                      nullptr, transaction, nullptr),
              87);
    EXPECT_EQ(CloseHandle(transaction) + RegCloseKey(key), TRUE);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, stored.c_str()), 0);
    EXPECT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, cases[1].path.c_str()), 87);
}

TEST_F(RegistryAnswersTest, FlushingADeletedKeyAnswersKeyDeleted)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Flushed", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    EXPECT_EQ(RegFlushKey(key), 0);
    ASSERT_EQ(RegDeleteKeyW(key, u""), 0);
    EXPECT_EQ(RegFlushKey(key), ERROR_KEY_DELETED);
    EXPECT_EQ(RegFlushKey(HKEY_CURRENT_USER), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryAnswersTest, RunningOutOfMemoryAnswersNotEnoughMemory)
{
    const auto throwing = [](auto exception)
    { return [exception]() -> DWORD { throw exception; }; };
    EXPECT_EQ(registryStore::registryCall::guarded(throwing(std::bad_alloc())),
              static_cast<LSTATUS>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ(registryStore::registryCall::guarded(throwing(std::length_error("x"))),
              static_cast<LSTATUS>(ERROR_REGISTRY_IO_FAILED));
}

TEST_F(RegistryAnswersTest, DefaultProfileJournalIsSmallOnceTheLastHandleCloses)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane\\Tarnwickx64", 0, nullptr,
                              0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    for (DWORD i = 0; i < 79; ++i) // one Apply
    {
        ASSERT_EQ(setDword(key, (u"setting" + wideText::fromUnsigned(i)).c_str(), i), 0);
    }
    EXPECT_EQ(RegCloseKey(key), 0);
    const fs::path journal = usersHive(testsupport::sandboxConfigDirs()).string() + "-wal";
    ASSERT_TRUE(fs::exists(journal)) << "kept for readers who cannot write the folder";
    EXPECT_LE(fs::file_size(journal), 64u * 1024);
    DWORD value = 0;
    ASSERT_EQ(
        RegOpenKeyExW(HKEY_USERS, u".DEFAULT\\Software\\Corvane\\Tarnwickx64", 0, KEY_READ, &key),
        0);
    EXPECT_EQ(queryDword(key, u"setting78", value), 0);
    EXPECT_EQ(value, 78u);
    EXPECT_EQ(RegCloseKey(key), 0);
}

} // namespace

namespace
{

template <int error> int refuseLink(const char*, const char*)
{
    errno = error;
    return -1;
}

TEST_F(RegistryAnswersTest, WithoutHardLinksANewHiveIsRenamedIntoPlaceWhole)
{
    using registryStore::registryHiveFile;
    const registryHiveFile::linkFunction refusals[] = {refuseLink<EPERM>, refuseLink<ENOSYS>,
                                                       refuseLink<EOPNOTSUPP>, refuseLink<EMLINK>};
    const registryStore::hiveLayout& layout =
        *registryStore::registryHiveLocation::layout(HKEY_CURRENT_USER);
    int n = 0;
    for (const registryHiveFile::linkFunction refusal : refusals)
    {
        const fs::path folder = testsupport::sandboxRoot() / ("fs" + std::to_string(++n));
        const fs::path hive = userHive(folder);
        ASSERT_EQ(registryHiveFile::create(hive.string(), layout, refusal), ERROR_SUCCESS) << n;
        EXPECT_EQ(filesBelow(hive.parent_path()), std::vector<std::string>{hive.filename()})
            << "no temporary file is left beside the hive";
        EXPECT_EQ(fs::status(hive).permissions(), fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(registryHiveFile::inspect(hive.string()).what, registryHiveFile::status::regular);
        // The registry works on the hive made this way.
        setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
        DWORD value = 0;
        ASSERT_EQ(setDword(HKEY_CURRENT_USER, u"made", 7), 0);
        ASSERT_EQ(queryDword(HKEY_CURRENT_USER, u"made", value), 0);
        EXPECT_EQ(value, 7u);
        // A hive already there is kept, never replaced.
        EXPECT_EQ(registryHiveFile::create(hive.string(), layout, refusal), ERROR_SUCCESS);
        EXPECT_EQ(queryDword(HKEY_CURRENT_USER, u"made", value), 0);
    }
    setenv("XDG_CONFIG_HOME", testsupport::sandboxConfigHome().c_str(), 1);
}

} // namespace
