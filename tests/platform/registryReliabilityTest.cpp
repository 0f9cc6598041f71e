#include "platform/wideText.h"
#include <reZevavEvadurov/registry.h>

#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <grp.h>
#include <gtest/gtest.h>
#include <random>
#include <sqlite3.h>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

using namespace registryTest;
namespace fs = std::filesystem;

namespace
{

constexpr REGSAM readWrite = 0x2001F;
constexpr const WCHAR* productKey = u"Software\\Corvane\\Tarnwickx64";
constexpr const WCHAR* defaultProductKey = u".DEFAULT\\Software\\Corvane\\Tarnwickx64";

std::u16string numbered(const char16_t* stem, int a, int b)
{
    return stem + wideText::fromUnsigned(static_cast<unsigned>(a)) + u"_" +
           wideText::fromUnsigned(static_cast<unsigned>(b));
}

class RegistryReliabilityTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), 0u); }
};

TEST_F(RegistryReliabilityTest, TwoProcessesWritingOneHiveLoseNothing)
{
    constexpr int perWriter = 150;
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    std::vector<pid_t> writers;
    for (int writer = 0; writer < 2; ++writer)
    {
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0)
        {
            close(start[1]);
            char go = 0;
            [[maybe_unused]] const ssize_t got = read(start[0], &go, 1); // both start together
            // Both make the hive and the key chain at once, then write their own values.
            HKEY key = nullptr;
            LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, productKey, 0, nullptr, 0, readWrite,
                                         nullptr, &key, nullptr);
            for (int i = 0; rc == 0 && i < perWriter; ++i)
            {
                rc = setDword(key, numbered(u"w", writer, i).c_str(), static_cast<DWORD>(i));
                if (rc == 0 && i % 10 == 0)
                {
                    rc = setDword(key, u"shared", static_cast<DWORD>(writer)); // same value, both
                }
            }
            if (rc != 0)
            {
                std::fprintf(stderr, "writer %d failed with %d\n", writer, static_cast<int>(rc));
            }
            _exit(rc == 0 && RegCloseKey(key) == 0 ? 0 : 1);
        }
        writers.push_back(pid);
    }
    close(start[0]);
    close(start[1]);
    for (const pid_t pid : writers)
    {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer saw an error";
    }

    const fs::path hive = userHive(testsupport::sandboxConfigHome());
    EXPECT_EQ(integrityOf(hive, SQLITE_OPEN_READWRITE), "ok");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, productKey, 0, KEY_READ, &key), 0);
    for (int writer = 0; writer < 2; ++writer)
    {
        for (int i = 0; i < perWriter; ++i)
        {
            DWORD value = 0xFFFFFFFF;
            ASSERT_EQ(queryDword(key, numbered(u"w", writer, i).c_str(), value), 0)
                << "writer " << writer << " value " << i;
            EXPECT_EQ(value, static_cast<DWORD>(i));
        }
    }
    WCHAR name[32];
    DWORD chars = 32;
    EXPECT_EQ(RegEnumValueW(key, 2 * perWriter, name, &chars, nullptr, nullptr, nullptr, nullptr),
              0);
    chars = 32;
    EXPECT_EQ(
        RegEnumValueW(key, 2 * perWriter + 1, name, &chars, nullptr, nullptr, nullptr, nullptr),
        ERROR_NO_MORE_ITEMS);
    EXPECT_EQ(RegCloseKey(key), 0);
}

TEST_F(RegistryReliabilityTest, WriterKilledAtRandomPointsLosesNoAcknowledgedWrite)
{
    constexpr int rounds = 40;
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const fs::path hive = userHive(testsupport::sandboxConfigHome());
    std::vector<std::vector<int>> acknowledged(rounds);

    for (int round = 0; round < rounds; ++round)
    {
        int acks[2];
        ASSERT_EQ(pipe(acks), 0);
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0)
        {
            close(acks[0]);
            HKEY key = nullptr;
            for (int i = 0; i < 20000; ++i)
            {
                // Closing now and then also puts checkpoints in the way of the kill.
                if (key == nullptr && RegCreateKeyExW(HKEY_CURRENT_USER, productKey, 0, nullptr, 0,
                                                      readWrite, nullptr, &key, nullptr) != 0)
                {
                    _exit(2);
                }
                if (setDword(key, numbered(u"r", round, i).c_str(), static_cast<DWORD>(i)) != 0)
                {
                    _exit(3);
                }
                if (write(acks[1], &i, sizeof i) != sizeof i)
                {
                    _exit(4);
                }
                if (i % 16 == 15)
                {
                    RegCloseKey(key);
                    key = nullptr;
                }
            }
            _exit(0);
        }
        close(acks[1]);
        int i = 0;
        // The first round may die while making the hive; later ones are past their first write.
        if (round > 0 && read(acks[0], &i, sizeof i) == sizeof i)
        {
            acknowledged[round].push_back(i);
        }
        std::this_thread::sleep_for(
            std::chrono::microseconds(std::uniform_int_distribution<int>(0, 30000)(random)));
        kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) == 0))
            << "the writer failed in round " << round << " with " << WEXITSTATUS(status);
        while (read(acks[0], &i, sizeof i) == sizeof i)
        {
            acknowledged[round].push_back(i);
        }
        close(acks[0]);
        if (fs::exists(hive))
        {
            ASSERT_EQ(integrityOf(hive, SQLITE_OPEN_READWRITE), "ok") << "after round " << round;
        }
    }

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, productKey, 0, KEY_READ, &key), 0);
    std::size_t total = 0;
    for (int round = 0; round < rounds; ++round)
    {
        for (const int i : acknowledged[round])
        {
            DWORD value = 0xFFFFFFFF;
            ASSERT_EQ(queryDword(key, numbered(u"r", round, i).c_str(), value), 0)
                << "round " << round << " write " << i;
            EXPECT_EQ(value, static_cast<DWORD>(i));
            ++total;
        }
    }
    EXPECT_GT(total, 0u);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_LE(filesBelow(hive.parent_path()).size(), 3u) << "only the hive and its journals";
}

// Exit codes of the unprivileged child, one per step, so a failure names its step.
enum nobodyStep
{
    passed = 0,
    droppedPrivileges = 10,
    readsDefaultProfile,
    openForWriteDenied,
    setThroughReadHandleDenied,
    setOnRootDenied,
    createDenied,
    othersUserHiveUnreadable,
    ownUserHiveWorks,
};

// The close after a write copies the journal into the hive without waiting for a reader in
// another process (here a connection of its own holding an older snapshot): it used to stall
// the caller, and every registry call of the process, for the whole busy timeout.
TEST_F(RegistryReliabilityTest, ClosingAfterAWriteNeverWaitsForAnotherProcesssReader)
{
    const auto writeAndClose = [](DWORD value)
    {
        HKEY key = nullptr;
        EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, productKey, 0, nullptr, 0, readWrite, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(setDword(key, u"a", value), ERROR_SUCCESS);
        const auto start = std::chrono::steady_clock::now();
        RegCloseKey(key);
        return std::chrono::steady_clock::now() - start;
    };
    writeAndClose(1);
    sqlite3* reader = nullptr;
    ASSERT_EQ(sqlite3_open(userHive(std::getenv("XDG_CONFIG_HOME")).c_str(), &reader), SQLITE_OK);
    ASSERT_EQ(
        sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM hiveValue", nullptr, nullptr, nullptr),
        SQLITE_OK);
    EXPECT_LT(writeAndClose(2), std::chrono::seconds(2));
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    HKEY key = nullptr;
    DWORD value = 0;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, productKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(queryDword(key, u"a", value), ERROR_SUCCESS);
    EXPECT_EQ(value, 2u);
    RegCloseKey(key);
}

TEST_F(RegistryReliabilityTest, OrdinaryUserReadsDefaultProfileButCannotWriteIt)
{
    if (geteuid() != 0)
    {
        GTEST_SKIP() << "needs root to become another user";
    }
    constexpr uid_t nobody = 65534;
    const fs::path root = testsupport::sandboxRoot();
    fs::permissions(root, fs::perms(0755));
    fs::permissions(testsupport::sandboxConfigDirs(), fs::perms(0755));
    const fs::path otherConfig = testsupport::sandboxRoot() / "other";
    const fs::path nobodyConfig = testsupport::sandboxRoot() / "nobody";
    fs::create_directories(otherConfig);
    fs::create_directories(nobodyConfig);
    ASSERT_EQ(chown(nobodyConfig.c_str(), nobody, nobody), 0);
    fs::permissions(nobodyConfig, fs::perms(0755));

    // Root writes the default profile and closes it, and another user's private hive; all in a
    // child, so this process never holds these hives across a fork.
    ASSERT_EQ(runInChild(
                  [&]
                  {
                      umask(022);
                      HKEY key = nullptr;
                      if (RegCreateKeyExW(HKEY_USERS, defaultProductKey, 0, nullptr, 0, readWrite,
                                          nullptr, &key, nullptr) != 0 ||
                          setDword(key, u"debugHeap", 1) != 0 || RegCloseKey(key) != 0)
                      {
                          return 1;
                      }
                      setenv("XDG_CONFIG_HOME", otherConfig.c_str(), 1);
                      if (setDword(HKEY_CURRENT_USER, u"private", 1) != 0)
                      {
                          return 2;
                      }
                      // Another system folder: the default profile's connection is closed.
                      setenv("XDG_CONFIG_DIRS", otherConfig.c_str(), 1);
                      return RegOpenKeyExW(HKEY_USERS, u".DEFAULT", 0, KEY_READ, &key) == 0 &&
                                     RegCloseKey(key) == 0
                                 ? 0
                                 : 3;
                  }),
              0);
    const fs::path systemHive = usersHive(testsupport::sandboxConfigDirs());
    EXPECT_TRUE(fs::exists(systemHive.string() + "-wal")) << "journal kept after closing";
    EXPECT_TRUE(fs::exists(systemHive.string() + "-shm"));

    const int step = runInChild(
        [&]() -> int
        {
            if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0)
            {
                return droppedPrivileges;
            }
            HKEY key = nullptr;
            DWORD value = 0;
            if (RegOpenKeyExW(HKEY_USERS, defaultProductKey, 0, KEY_READ, &key) != 0 ||
                queryDword(key, u"debugHeap", value) != 0 || value != 1)
            {
                return readsDefaultProfile;
            }
            if (setDword(key, u"debugHeap", 2) != ERROR_ACCESS_DENIED || RegCloseKey(key) != 0)
            {
                return setThroughReadHandleDenied;
            }
            if (RegCreateKeyExW(HKEY_USERS, defaultProductKey, 0, nullptr, 0, readWrite, nullptr,
                                &key, nullptr) != ERROR_ACCESS_DENIED)
            {
                return openForWriteDenied;
            }
            if (setDword(HKEY_USERS, u"x", 1) != ERROR_ACCESS_DENIED)
            {
                return setOnRootDenied;
            }
            if (RegCreateKeyExW(HKEY_USERS, u".DEFAULT\\Software\\New", 0, nullptr, 0, KEY_READ,
                                nullptr, &key, nullptr) != ERROR_ACCESS_DENIED)
            {
                return createDenied;
            }
            setenv("XDG_CONFIG_HOME", otherConfig.c_str(), 1);
            if (queryDword(HKEY_CURRENT_USER, u"private", value) != ERROR_ACCESS_DENIED ||
                setDword(HKEY_CURRENT_USER, u"private", 2) != ERROR_ACCESS_DENIED)
            {
                return othersUserHiveUnreadable;
            }
            setenv("XDG_CONFIG_HOME", nobodyConfig.c_str(), 1);
            if (RegCreateKeyExW(HKEY_CURRENT_USER, productKey, 0, nullptr, 0, readWrite, nullptr,
                                &key, nullptr) != 0 ||
                setDword(key, u"debugHeap", 3) != 0 || queryDword(key, u"debugHeap", value) != 0 ||
                value != 3 || RegCloseKey(key) != 0 || regOpenHandleCount() != 0)
            {
                return ownUserHiveWorks;
            }
            return passed;
        });
    EXPECT_EQ(step, passed);

    struct stat info
    {
    };
    ASSERT_EQ(stat(userHive(nobodyConfig).c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    // An unreadable hive is not damage: it stays where it is.
    EXPECT_TRUE(fs::exists(userHive(otherConfig)));
    for (const std::string& name : filesBelow(otherConfig))
    {
        EXPECT_EQ(name.find(".damaged-"), std::string::npos) << name;
    }
    DWORD value = 0;
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, defaultProductKey, 0, KEY_READ, &key), 0);
    EXPECT_EQ(queryDword(key, u"debugHeap", value), 0);
    EXPECT_EQ(value, 1u);
    EXPECT_EQ(queryDword(HKEY_USERS, u"x", value), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegCloseKey(key), 0);
}

} // namespace
