#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/registry.h>
#include <reZevavEvadurov/transaction.h>

#include "tests/platform/registryTestHelpers.h"

#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <thread>

using namespace registryTest;

namespace
{

constexpr LSTATUS kSuccess = ERROR_SUCCESS;
constexpr DWORD kMissing = 0xFFFFFFFFu;
constexpr const WCHAR* kKey = u"Software\\Corvane";

HANDLE newTransaction(DWORD timeoutMs = 0)
{
    return CreateTransaction(nullptr, nullptr, 0, 0, 0, timeoutMs, nullptr);
}

HKEY openIn(HANDLE transaction, HKEY root = HKEY_CURRENT_USER, const WCHAR* path = kKey)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyTransactedW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                      nullptr, transaction, nullptr),
              kSuccess);
    return key;
}

// What a plain handle (outside every transaction) reads; kMissing when there is nothing.
DWORD committed(const WCHAR* name, HKEY root = HKEY_CURRENT_USER, const WCHAR* path = kKey)
{
    HKEY key = nullptr;
    DWORD value = kMissing;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) == ERROR_SUCCESS)
    {
        if (queryDword(key, name, value) != ERROR_SUCCESS)
        {
            value = kMissing;
        }
        RegCloseKey(key);
    }
    return value;
}

void writePlain(const WCHAR* name, DWORD value, LSTATUS& result)
{
    HKEY key = nullptr;
    result = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                             nullptr);
    if (result == ERROR_SUCCESS)
    {
        result = setDword(key, name, value);
        RegCloseKey(key);
    }
}

// A second process, forked before this test opens its hives, that at each go-ahead reads "a",
// then writes "b" = 2 plainly and reads "a" again, answering every result.
class otherProcess
{
public:
    otherProcess()
    {
        if (pipe(m_go) != 0 || pipe(m_answer) != 0)
        {
            ADD_FAILURE() << "no pipes";
        }
        std::fflush(nullptr);
        m_pid = fork();
        if (m_pid == 0)
        {
            char go = 0;
            LSTATUS written = -1;
            DWORD answers[3] = {};
            bool ok = ::read(m_go[0], &go, 1) == 1;
            answers[0] = committed(u"a");
            ok = ok && ::write(m_answer[1], answers, 4) == 4 && ::read(m_go[0], &go, 1) == 1;
            writePlain(u"b", 2, written);
            answers[1] = static_cast<DWORD>(written);
            answers[2] = committed(u"a");
            _exit(ok && ::write(m_answer[1], answers + 1, 8) == 8 ? 0 : 1);
        }
    }
    ~otherProcess() { waitpid(m_pid, nullptr, 0); }
    otherProcess(const otherProcess&) = delete;
    otherProcess& operator=(const otherProcess&) = delete;

    void goAhead() { EXPECT_EQ(::write(m_go[1], "g", 1), 1); }
    DWORD answer()
    {
        DWORD value = 0;
        EXPECT_EQ(::read(m_answer[0], &value, 4), 4);
        return value;
    }

private:
    int m_go[2] = {-1, -1};
    int m_answer[2] = {-1, -1};
    pid_t m_pid = -1;
};

class RegistryTransactionTest : public ::testing::Test
{
protected:
    void TearDown() override { EXPECT_EQ(regOpenHandleCount(), 0u); }
};

enum class ending
{
    commit,
    rollback,
    closeOnly,
    timeOut,
};

struct endingCase
{
    const char* name;
    ending how;
    bool kept;
};

class RegistryTransactionEnding : public RegistryTransactionTest,
                                  public ::testing::WithParamInterface<endingCase>
{
};

// Values and sub-keys made in a transaction stay out of sight until it ends, its own keys see
// them, and only a commit keeps them.
TEST_P(RegistryTransactionEnding, ChangesAppearAtCommitAndOnlyThen)
{
    HANDLE const transaction = newTransaction(GetParam().how == ending::timeOut ? 1000 : 0);
    ASSERT_NE(transaction, INVALID_HANDLE_VALUE);
    HKEY const key = openIn(transaction);
    HKEY sub = nullptr;
    ASSERT_EQ(RegCreateKeyExW(key, u"Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr),
              kSuccess);
    ASSERT_EQ(setDword(key, u"a", 1), kSuccess);
    ASSERT_EQ(setDword(sub, u"b", 2), kSuccess); // a key opened below it is in it too
    DWORD seen = 0;
    EXPECT_EQ(queryDword(sub, u"b", seen), kSuccess);
    EXPECT_EQ(seen, 2u);
    EXPECT_EQ(committed(u"a"), kMissing);
    EXPECT_EQ(committed(u"b", HKEY_CURRENT_USER, u"Software\\Corvane\\Sub"), kMissing);

    switch (GetParam().how)
    {
    case ending::commit:
        EXPECT_TRUE(CommitTransaction(transaction));
        break;
    case ending::rollback:
        EXPECT_TRUE(RollbackTransaction(transaction));
        break;
    case ending::closeOnly:
        break;
    case ending::timeOut:
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        EXPECT_FALSE(CommitTransaction(transaction));
        EXPECT_EQ(GetLastError(), ERROR_TRANSACTION_ALREADY_ABORTED);
        break;
    }
    EXPECT_TRUE(CloseHandle(transaction));
    const DWORD expectedA = GetParam().kept ? 1 : kMissing;
    const DWORD expectedB = GetParam().kept ? 2 : kMissing;
    EXPECT_EQ(committed(u"a"), expectedA);
    EXPECT_EQ(committed(u"b", HKEY_CURRENT_USER, u"Software\\Corvane\\Sub"), expectedB);
    // The transaction's keys outlive it but can do nothing more.
    EXPECT_EQ(setDword(key, u"c", 3), static_cast<LSTATUS>(ERROR_TRANSACTION_NOT_ACTIVE));
    RegCloseKey(sub);
    RegCloseKey(key);
}

INSTANTIATE_TEST_SUITE_P(Endings, RegistryTransactionEnding,
                         ::testing::Values(endingCase{"Commit", ending::commit, true},
                                           endingCase{"Rollback", ending::rollback, false},
                                           endingCase{"CloseWithoutCommit", ending::closeOnly,
                                                      false},
                                           endingCase{"TimeOut", ending::timeOut, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RegistryTransactionTest, AnEndedTransactionRefusesAsWindowsDoes)
{
    HANDLE const committedOne = newTransaction();
    HANDLE const rolledBack = newTransaction();
    EXPECT_TRUE(CommitTransaction(committedOne));
    EXPECT_TRUE(RollbackTransaction(rolledBack));
    const struct
    {
        BOOL (*call)(HANDLE);
        HANDLE transaction;
        DWORD error;
    } cases[] = {
        {CommitTransaction, committedOne, ERROR_TRANSACTION_ALREADY_COMMITTED},
        {RollbackTransaction, committedOne, ERROR_TRANSACTION_ALREADY_COMMITTED},
        {CommitTransaction, rolledBack, ERROR_TRANSACTION_ALREADY_ABORTED},
        {RollbackTransaction, rolledBack, ERROR_TRANSACTION_ALREADY_ABORTED},
        {CommitTransaction, nullptr, ERROR_INVALID_HANDLE},
    };
    for (const auto& c : cases)
    {
        SetLastError(0);
        EXPECT_FALSE(c.call(c.transaction));
        EXPECT_EQ(GetLastError(), c.error);
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyTransactedW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key, committedOne,
                                    nullptr),
              static_cast<LSTATUS>(ERROR_TRANSACTION_NOT_ACTIVE));
    CloseHandle(committedOne);
    CloseHandle(rolledBack);
    HANDLE const later = newTransaction(); // where the memory allocator may put it
    EXPECT_EQ(RegOpenKeyTransactedW(HKEY_CURRENT_USER, u"Software", 0, KEY_READ, &key, committedOne,
                                    nullptr),
              static_cast<LSTATUS>(ERROR_INVALID_HANDLE));
    // Closing a closed handle again touches nothing, not a newer transaction either.
    HKEY const laterKey = openIn(later);
    ASSERT_EQ(setDword(laterKey, u"a", 1), kSuccess);
    for (HANDLE closed : {committedOne, rolledBack})
    {
        SetLastError(0);
        EXPECT_FALSE(CloseHandle(closed));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    EXPECT_TRUE(CommitTransaction(later));
    EXPECT_EQ(committed(u"a"), 1u);
    RegCloseKey(laterKey);
    CloseHandle(later);
}

// Another process sees nothing of the transaction before its commit; its writer waits for
// the commit, then goes on and sees it.
TEST_F(RegistryTransactionTest, AnotherProcessSeesTheCommitOnlyAndItsWriterWaitsForIt)
{
    otherProcess other; // forked before this process opens the hive
    HANDLE const transaction = newTransaction();
    HKEY const key = openIn(transaction);
    ASSERT_EQ(setDword(key, u"a", 7), kSuccess);
    other.goAhead();
    EXPECT_EQ(other.answer(), kMissing);
    other.goAhead();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(CommitTransaction(transaction));
    EXPECT_EQ(other.answer(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(other.answer(), 7u) << "the other writer did not wait for the commit";
    EXPECT_EQ(committed(u"b"), 2u);
    RegCloseKey(key);
    CloseHandle(transaction);
}

// Within the process, a plain write and a second transaction's write both wait for the first
// transaction, with the registry free for its commit meanwhile.
TEST_F(RegistryTransactionTest, WritersInThisProcessWaitForTheTransactionToEnd)
{
    LSTATUS made = -1;
    writePlain(u"x", 0, made); // the key exists before either transaction
    ASSERT_EQ(made, kSuccess);
    HANDLE const first = newTransaction();
    HANDLE const second = newTransaction();
    HKEY const firstKey = openIn(first);
    HKEY const secondKey = openIn(second);
    ASSERT_EQ(setDword(firstKey, u"a", 1), kSuccess);
    DWORD seen = 0;
    EXPECT_EQ(queryDword(secondKey, u"a", seen), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));

    LSTATUS plain = -1;
    LSTATUS transacted = -1;
    std::thread plainWriter([&] { writePlain(u"p", 2, plain); });
    std::thread transactedWriter([&] { transacted = setDword(secondKey, u"b", 3); });
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(committed(u"p"), kMissing) << "the plain write went ahead of the transaction";
    ASSERT_TRUE(CommitTransaction(first));
    transactedWriter.join();
    EXPECT_EQ(transacted, kSuccess);
    EXPECT_EQ(queryDword(secondKey, u"a", seen), kSuccess); // committed now, so seen
    // The plain writer went ahead of the second transaction or waits for it in turn.
    ASSERT_TRUE(CommitTransaction(second));
    plainWriter.join();
    EXPECT_EQ(plain, kSuccess);
    EXPECT_EQ(committed(u"a"), 1u);
    EXPECT_EQ(committed(u"p"), 2u);
    EXPECT_EQ(committed(u"b"), 3u);
    for (HKEY key : {firstKey, secondKey})
    {
        RegCloseKey(key);
    }
    CloseHandle(first);
    CloseHandle(second);
}

// A transaction that only reads keeps one snapshot from its first read, also when another
// transaction was writing at that moment; a plain write does not wait for it, and a later
// write of the transaction works on the latest state.
TEST_F(RegistryTransactionTest, ATransactionReadsOneSnapshotUntilItWrites)
{
    LSTATUS result = -1;
    writePlain(u"a", 1, result);
    HANDLE const writer = newTransaction();
    HKEY const writerKey = openIn(writer);
    ASSERT_EQ(setDword(writerKey, u"x", 1), kSuccess);
    HANDLE const transaction = newTransaction();
    HKEY const key = openIn(transaction);
    DWORD seen = 0;
    ASSERT_EQ(queryDword(key, u"a", seen), kSuccess);
    ASSERT_EQ(setDword(writerKey, u"a", 2), kSuccess);
    ASSERT_TRUE(CommitTransaction(writer));
    EXPECT_EQ(queryDword(key, u"x", seen), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND))
        << "saw part of another transaction's commit";
    writePlain(u"a", 3, result);
    EXPECT_EQ(result, kSuccess);
    EXPECT_EQ(queryDword(key, u"a", seen), kSuccess);
    EXPECT_EQ(seen, 1u);
    ASSERT_EQ(setDword(key, u"b", 3), kSuccess);
    EXPECT_EQ(queryDword(key, u"a", seen), kSuccess);
    EXPECT_EQ(seen, 3u);
    EXPECT_TRUE(CommitTransaction(transaction));
    EXPECT_EQ(committed(u"b"), 3u);
    for (HKEY opened : {key, writerKey})
    {
        RegCloseKey(opened);
    }
    CloseHandle(transaction);
    CloseHandle(writer);
}

// Once SQLite gave a transaction up (here an I/O error spilling its pages), nothing of it is
// kept and it does nothing more: a later write must not begin a transaction anew.
TEST_F(RegistryTransactionTest, ATransactionSQLiteGaveUpKeepsNothing)
{
    HANDLE const transaction = newTransaction();
    HKEY const key = openIn(transaction);
    ASSERT_EQ(setDword(key, u"a", 1), kSuccess);
    {
        const fileSizeCap full(4096);
        const std::vector<BYTE> large(4 << 20, 0x5A); // more than SQLite's page cache holds
        EXPECT_NE(RegSetValueExW(key, u"large", 0, REG_BINARY, large.data(),
                                 static_cast<DWORD>(large.size())),
                  kSuccess);
    }
    EXPECT_EQ(setDword(key, u"c", 3), static_cast<LSTATUS>(ERROR_TRANSACTION_NOT_ACTIVE));
    DWORD seen = 0;
    EXPECT_EQ(queryDword(key, u"a", seen), static_cast<LSTATUS>(ERROR_TRANSACTION_NOT_ACTIVE));
    EXPECT_FALSE(CommitTransaction(transaction));
    EXPECT_EQ(GetLastError(), ERROR_TRANSACTION_NOT_ACTIVE);
    EXPECT_EQ(committed(u"a"), kMissing);
    EXPECT_EQ(committed(u"c"), kMissing);
    RegCloseKey(key);
    CloseHandle(transaction);
}

// At its time-out a transaction lets go of the hive by itself: a writer of this process and
// one of another (a connection of its own, not waiting at all) go ahead without touching it.
TEST_F(RegistryTransactionTest, ATimedOutTransactionLetsGoOfTheHive)
{
    HANDLE const transaction = newTransaction(300);
    HKEY const key = openIn(transaction);
    ASSERT_EQ(setDword(key, u"a", 1), kSuccess);
    LSTATUS plain = -1;
    writePlain(u"p", 2, plain); // waits for the time-out, not the full busy timeout
    EXPECT_EQ(plain, kSuccess);
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(userHive(std::getenv("XDG_CONFIG_HOME")).c_str(), &other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE; ROLLBACK", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(other);
    EXPECT_EQ(committed(u"a"), kMissing);
    EXPECT_EQ(committed(u"p"), 2u);
    EXPECT_FALSE(CommitTransaction(transaction));
    EXPECT_EQ(GetLastError(), ERROR_TRANSACTION_ALREADY_ABORTED);
    RegCloseKey(key);
    CloseHandle(transaction);
}

TEST_F(RegistryTransactionTest, EachHiveNeedsItsOwnTransaction)
{
    HANDLE const user = newTransaction();
    HANDLE const users = newTransaction();
    HKEY const userKey = openIn(user);
    HKEY const usersKey = openIn(users, HKEY_USERS, u".DEFAULT\\Software");
    HKEY wrong = nullptr;
    EXPECT_EQ(RegOpenKeyTransactedW(HKEY_USERS, u".DEFAULT", 0, KEY_READ, &wrong, user, nullptr),
              static_cast<LSTATUS>(ERROR_TRANSACTION_REQUEST_NOT_VALID));
    ASSERT_EQ(setDword(userKey, u"a", 1), kSuccess);
    ASSERT_EQ(setDword(usersKey, u"a", 2), kSuccess);
    EXPECT_TRUE(CommitTransaction(user));
    EXPECT_TRUE(RollbackTransaction(users));
    EXPECT_EQ(committed(u"a"), 1u);
    EXPECT_EQ(committed(u"a", HKEY_USERS, u".DEFAULT\\Software"), kMissing);
    RegCloseKey(userKey);
    RegCloseKey(usersKey);
    CloseHandle(user);
    CloseHandle(users);
}

} // namespace
