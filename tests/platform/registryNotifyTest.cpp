// Change notification: which changes set the event, from this process and from another, and
// Windows' answers for bad arguments.

#include <reZevavEvadurov/event.h>
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

#include "tests/platform/registryTestHelpers.h"
#include "tests/testsupport/testSandbox.h"

#include <functional>
#include <gtest/gtest.h>
#include <thread>

using namespace registryTest;
namespace fs = std::filesystem;

namespace
{

constexpr DWORD name = REG_NOTIFY_CHANGE_NAME;
constexpr DWORD lastSet = REG_NOTIFY_CHANGE_LAST_SET;
constexpr DWORD quiet = 300;     // ms a quiet event is given to prove it stays quiet
constexpr DWORD generous = 5000; // ms another process's change may take, on a loaded machine

HKEY create(HKEY parent, const WCHAR* path)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              0);
    return key;
}

LSTATUS createAndClose(HKEY parent, const WCHAR* path)
{
    return RegCloseKey(create(parent, path));
}

LSTATUS setIn(const WCHAR* path, DWORD value)
{
    const HKEY key = create(HKEY_CURRENT_USER, path);
    const LSTATUS rc = setDword(key, u"v", value);
    return rc != 0 ? rc : RegCloseKey(key);
}

class RegistryNotifyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_watched = create(HKEY_CURRENT_USER, u"Software\\Watched");
        ASSERT_EQ(createAndClose(m_watched, u"Child\\Grandchild"), 0);
        m_event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    }
    void TearDown() override
    {
        EXPECT_EQ(RegCloseKey(m_watched), 0);
        EXPECT_TRUE(CloseHandle(m_event));
        EXPECT_EQ(regOpenHandleCount(), 0u);
    }

    // Watches afresh: the old handle is closed, which tells whatever it still had registered.
    void reopen()
    {
        const HKEY again = create(HKEY_CURRENT_USER, u"Software\\Watched");
        ASSERT_EQ(RegCloseKey(m_watched), 0);
        m_watched = again;
        ASSERT_TRUE(ResetEvent(m_event));
    }

    HKEY m_watched = nullptr;
    HANDLE m_event = nullptr;
};

TEST_F(RegistryNotifyTest, TheEventIsSetForTheChangesTheFilterNamesAndOnlyThose)
{
    struct change
    {
        const char* what;
        BOOL subtree;
        DWORD filter;
        std::function<LSTATUS(HKEY)> make;
        bool told;
    };
    const change changes[] = {
        {"value set", FALSE, lastSet, [](HKEY k) { return setDword(k, u"v", 1); }, true},
        {"value set, names only", FALSE, name, [](HKEY k) { return setDword(k, u"v", 2); }, false},
        {"value deleted", FALSE, lastSet, [](HKEY k) { return RegDeleteValueW(k, u"v"); }, true},
        {"sub-key made", FALSE, name, [](HKEY k) { return createAndClose(k, u"New"); }, true},
        {"sub-key made, values only", FALSE, lastSet,
         [](HKEY k) { return createAndClose(k, u"New2"); }, false},
        {"sub-key deleted", FALSE, name, [](HKEY k) { return RegDeleteKeyW(k, u"New"); }, true},
        {"value below, key only", FALSE, lastSet,
         [](HKEY) { return setIn(u"Software\\Watched\\Child", 1); }, false},
        {"value two below, tree", TRUE, lastSet,
         [](HKEY) { return setIn(u"Software\\Watched\\Child\\Grandchild", 1); }, true},
        {"key made two below, tree", TRUE, name,
         [](HKEY k) { return createAndClose(k, u"Child\\Grandchild\\Deep"); }, true},
        {"key deleted two below, tree", TRUE, name,
         [](HKEY k) { return RegDeleteKeyW(k, u"Child\\Grandchild\\Deep"); }, true},
        {"an unrelated key", TRUE, name | lastSet,
         [](HKEY) { return setIn(u"Software\\Other", 1); }, false},
        {"the parent's value", TRUE, name | lastSet, [](HKEY) { return setIn(u"Software", 1); },
         false},
        {"the tree emptied", FALSE, name, [](HKEY k) { return RegDeleteTreeW(k, nullptr); }, true},
        {"the key deleted", FALSE, REG_NOTIFY_CHANGE_SECURITY,
         [](HKEY) { return RegDeleteTreeW(HKEY_CURRENT_USER, u"Software\\Watched"); }, true},
    };
    for (const change& c : changes)
    {
        ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, c.subtree, c.filter, m_event, TRUE), 0)
            << c.what;
        ASSERT_EQ(c.make(m_watched), 0) << c.what;
        // A change of this process is told before its call returns.
        EXPECT_EQ(WaitForSingleObject(m_event, c.told ? 0 : quiet),
                  c.told ? WAIT_OBJECT_0 : WAIT_TIMEOUT)
            << c.what;
        reopen();
    }
}

TEST_F(RegistryNotifyTest, ClosingTheKeyTellsAndEachRegistrationIsToldOnce)
{
    ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, FALSE, lastSet, m_event, TRUE), 0);
    ASSERT_EQ(RegCloseKey(m_watched), 0);
    EXPECT_EQ(WaitForSingleObject(m_event, 0), WAIT_OBJECT_0);
    m_watched = create(HKEY_CURRENT_USER, u"Software\\Watched");
    ASSERT_TRUE(ResetEvent(m_event));
    ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, FALSE, lastSet, m_event, TRUE), 0);
    ASSERT_EQ(setDword(m_watched, u"a", 1), 0);
    ASSERT_TRUE(ResetEvent(m_event));
    ASSERT_EQ(setDword(m_watched, u"b", 1), 0);
    EXPECT_EQ(WaitForSingleObject(m_event, 0), WAIT_TIMEOUT) << "told already: call again";
}

TEST_F(RegistryNotifyTest, ATransactionIsToldOnceAtItsCommit)
{
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyTransactedW(HKEY_CURRENT_USER, u"Software\\Watched", 0, KEY_ALL_ACCESS,
                                    &key, transaction, nullptr),
              0);
    ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, TRUE, lastSet | name, m_event, TRUE), 0);
    for (const WCHAR* value : {u"a", u"b", u"c"})
    {
        ASSERT_EQ(setDword(key, value, 1), 0);
    }
    ASSERT_EQ(createAndClose(key, u"InTransaction"), 0);
    EXPECT_EQ(WaitForSingleObject(m_event, 0), WAIT_TIMEOUT) << "nothing is committed yet";
    const std::string hive = userHive(testsupport::sandboxConfigHome()).string();
    const std::string before =
        firstAnswer(hive, SQLITE_OPEN_READONLY, "SELECT max(seq) FROM hiveChange").value_or("");
    ASSERT_TRUE(CommitTransaction(transaction));
    EXPECT_EQ(WaitForSingleObject(m_event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_TRUE(CloseHandle(transaction));
    // One row per key and kind: three values and a sub-key of one key are two rows.
    const std::string rows = "SELECT count(*) FROM hiveChange WHERE seq > " + before;
    EXPECT_EQ(firstAnswer(hive, SQLITE_OPEN_READONLY, rows.c_str()), "2");
}

// An import of many keys: the newest notes are kept, the rest leave a gap that tells everyone.
TEST_F(RegistryNotifyTest, ATransactionOfMoreChangesThanTheLogKeepsTellsEveryWatcher)
{
    const std::string hive = userHive(testsupport::sandboxConfigHome()).string();
    const std::string before =
        firstAnswer(hive, SQLITE_OPEN_READONLY, "SELECT max(seq) FROM hiveChange").value_or("0");
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    HKEY big = nullptr;
    ASSERT_EQ(RegCreateKeyTransactedW(HKEY_CURRENT_USER, u"Software\\Big", 0, nullptr, 0,
                                      KEY_ALL_ACCESS, nullptr, &big, nullptr, transaction, nullptr),
              0);
    for (int i = 0; i < 1100; ++i)
    {
        const std::string digits = std::to_string(i);
        const HKEY child =
            create(big, (u"k" + std::u16string(digits.begin(), digits.end())).c_str());
        ASSERT_EQ(setDword(child, u"v", 1), 0);
        ASSERT_EQ(RegCloseKey(child), 0);
    }
    ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, TRUE, lastSet, m_event, TRUE), 0);
    ASSERT_TRUE(CommitTransaction(transaction));
    EXPECT_EQ(WaitForSingleObject(m_event, generous), WAIT_OBJECT_0);
    EXPECT_EQ(RegCloseKey(big), 0);
    EXPECT_TRUE(CloseHandle(transaction));
    // Software and Big gained a sub-key, 1,100 keys a value: 1,102 notes, the newest 1,024 kept.
    const std::string rows = "SELECT count(*) || ' ' || (max(seq) - " + before +
                             ") FROM hiveChange WHERE seq > " + before;
    EXPECT_EQ(firstAnswer(hive, SQLITE_OPEN_READONLY, rows.c_str()), "1024 1102");
}

TEST_F(RegistryNotifyTest, SynchronousCallReturnsOnceAnotherThreadChangesTheKey)
{
    std::thread writer(
        [this]
        {
            // Keep changing until the waiting call has registered and returned.
            for (DWORD i = 0; WaitForSingleObject(m_event, 20) == WAIT_TIMEOUT; ++i)
            {
                setIn(u"Software\\Watched\\Child", i);
            }
        });
    EXPECT_EQ(RegNotifyChangeKeyValue(m_watched, TRUE, lastSet, nullptr, FALSE), 0);
    SetEvent(m_event);
    writer.join();
}

// A child that waits for a byte on `go`, then sets a value below `path`.
pid_t startWriter(const int go[2], const WCHAR* path)
{
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0)
    {
        char step = 0;
        _exit(read(go[0], &step, 1) == 1 && setIn(path, 7) == 0 ? 0 : 1);
    }
    return pid;
}

bool finished(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(RegistryNotifyTest, AnotherProcessesCommitIsToldAndAnUnrelatedOneIsNot)
{
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    const pid_t unrelated = startWriter(go, u"Software\\Other");
    ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, TRUE, lastSet, m_event, TRUE), 0);
    ASSERT_EQ(write(go[1], "x", 1), 1);
    EXPECT_TRUE(finished(unrelated));
    EXPECT_EQ(WaitForSingleObject(m_event, quiet), WAIT_TIMEOUT) << "an unrelated key";
    ASSERT_EQ(RegCloseKey(m_watched), 0); // the next child must not inherit an open hive
    const pid_t related = startWriter(go, u"Software\\Watched\\Child");
    m_watched = create(HKEY_CURRENT_USER, u"Software\\Watched");
    ASSERT_TRUE(ResetEvent(m_event));
    ASSERT_EQ(RegNotifyChangeKeyValue(m_watched, TRUE, lastSet, m_event, TRUE), 0);
    ASSERT_EQ(write(go[1], "x", 1), 1);
    EXPECT_TRUE(finished(related));
    EXPECT_EQ(WaitForSingleObject(m_event, generous), WAIT_OBJECT_0);
    close(go[0]);
    close(go[1]);
}

TEST_F(RegistryNotifyTest, AUserWhoMayOnlyReadTheDefaultProfileIsToldOfItsChanges)
{
    if (geteuid() != 0)
    {
        GTEST_SKIP() << "needs root to become another user";
    }
    const WCHAR* const path = u".DEFAULT\\Software\\Corvane";
    fs::permissions(testsupport::sandboxRoot(), fs::perms(0755));
    fs::permissions(testsupport::sandboxConfigDirs(), fs::perms(0755));
    ASSERT_EQ(runInChild(
                  [path]
                  {
                      umask(022);
                      return RegCloseKey(create(HKEY_USERS, path)) == 0 ? 0 : 1;
                  }),
              0);
    int go[2];
    ASSERT_EQ(pipe(go), 0);
    std::fflush(nullptr);
    const pid_t reader = fork();
    if (reader == 0)
    {
        constexpr uid_t nobody = 65534;
        HKEY key = nullptr;
        const HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        const bool watching = setgid(nobody) == 0 && setuid(nobody) == 0 &&
                              RegOpenKeyExW(HKEY_USERS, path, 0, KEY_READ, &key) == 0 &&
                              RegNotifyChangeKeyValue(key, FALSE, lastSet, event, TRUE) == 0;
        _exit(write(go[1], watching ? "w" : "-", 1) == 1 && watching &&
                      WaitForSingleObject(event, generous) == WAIT_OBJECT_0
                  ? 0
                  : 1);
    }
    char step = 0;
    ASSERT_EQ(read(go[0], &step, 1), 1);
    ASSERT_EQ(step, 'w') << "the reader could not watch";
    const HKEY key = create(HKEY_USERS, path);
    EXPECT_EQ(setDword(key, u"debugHeap", 1), 0);
    EXPECT_EQ(RegCloseKey(key), 0);
    int status = 0;
    ASSERT_EQ(waitpid(reader, &status, 0), reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the reader was not told";
    close(go[0]);
    close(go[1]);
}

TEST_F(RegistryNotifyTest, BadArgumentsGetWindowsAnswers)
{
    HKEY reader = nullptr;
    ASSERT_EQ(RegOpenKeyExW(m_watched, nullptr, 0, KEY_QUERY_VALUE, &reader), 0);
    const HANDLE transaction = CreateTransaction(nullptr, nullptr, 0, 0, 0, 0, nullptr);
    struct badCall
    {
        HKEY key;
        DWORD filter;
        HANDLE event;
        BOOL asynchronous;
        LSTATUS answer;
    };
    const badCall calls[] = {
        {m_watched, lastSet, nullptr, TRUE, ERROR_INVALID_PARAMETER},
        {m_watched, 0x20, m_event, TRUE, ERROR_INVALID_PARAMETER},
        {m_watched, REG_NOTIFY_THREAD_AGNOSTIC, m_event, TRUE, ERROR_INVALID_PARAMETER},
        {reinterpret_cast<HKEY>(0x7777), lastSet, m_event, TRUE, ERROR_INVALID_HANDLE},
        {reader, lastSet, m_event, TRUE, ERROR_ACCESS_DENIED},
        {m_watched, lastSet, transaction, TRUE, ERROR_INVALID_HANDLE},
    };
    for (const badCall& c : calls)
    {
        EXPECT_EQ(RegNotifyChangeKeyValue(c.key, FALSE, c.filter, c.event, c.asynchronous),
                  c.answer)
            << "filter " << c.filter;
    }
    // Every filter bit Windows knows is accepted.
    EXPECT_EQ(RegNotifyChangeKeyValue(m_watched, FALSE, 0x1000000F, m_event, TRUE), 0);
    EXPECT_EQ(RegCloseKey(reader), 0);
    EXPECT_TRUE(CloseHandle(transaction));
}

TEST_F(RegistryNotifyTest, AHiveOfAnOlderProgramGetsItsLogAtTheNextWriteAndKeepsItBounded)
{
    const WCHAR* const path = u".DEFAULT\\Software\\Old";
    // Made, then stripped of its log as an older program's hive, before this process opens it.
    ASSERT_EQ(runInChild([path] { return RegCloseKey(create(HKEY_USERS, path)) == 0 ? 0 : 1; }), 0);
    const std::string hive = usersHive(testsupport::sandboxConfigDirs()).string();
    firstAnswer(hive, SQLITE_OPEN_READWRITE, "DROP TABLE hiveChange");
    ASSERT_EQ(firstAnswer(hive, SQLITE_OPEN_READONLY,
                          "SELECT count(*) FROM sqlite_master WHERE name = 'hiveChange'"),
              "0");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_USERS, path, 0, KEY_ALL_ACCESS, &key), 0);
    ASSERT_EQ(RegNotifyChangeKeyValue(key, FALSE, lastSet, m_event, TRUE), 0);
    for (DWORD i = 0; i < 1100; ++i)
    {
        ASSERT_EQ(setDword(key, u"v", i), 0);
    }
    EXPECT_EQ(WaitForSingleObject(m_event, 0), WAIT_OBJECT_0);
    EXPECT_EQ(RegCloseKey(key), 0);
    EXPECT_EQ(firstAnswer(hive, SQLITE_OPEN_READONLY, "SELECT count(*) FROM hiveChange"), "1024");
    EXPECT_EQ(firstAnswer(hive, SQLITE_OPEN_READONLY, "PRAGMA user_version"), "2");
}

} // namespace
