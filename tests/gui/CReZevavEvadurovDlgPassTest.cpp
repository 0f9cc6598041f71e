// The dialog's own load and Apply passes: every key they open is closed again, and each
// location receives a whole Apply or nothing, even when the process dies in the middle.

#include "tests/gui/alternatingSettings.h"
#include "tests/gui/mainDialogFixture.h"
#include "tests/platform/registryTestHelpers.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <thread>

extern char** environ;

namespace
{

using dialogPassTest = mainDialogFixture;

TEST_F(dialogPassTest, NoKeyHandleStaysOpenAfterLoadingApplyOkOrClose)
{
    const DWORD before = regOpenHandleCount();
    const struct
    {
        const char* step;
        int button; // 0: only open the dialog (the load pass)
        bool reopen;
    } steps[] = {
        {"load of a missing key", 0, false},
        {"Apply", 3, false},
        {"second Apply", 3, false},
        {"OK", 1, false},
        {"load", 0, true},
        {"Close", 2, false},
    };
    open();
    for (const auto& s : steps)
    {
        if (s.reopen)
        {
            open();
        }
        if (s.button != 0)
        {
            click(s.button);
        }
        EXPECT_EQ(regOpenHandleCount(), before) << s.step;
    }
    EXPECT_EQ(storedRows().size(), debugSettingsCatalogue::rows().size());
}

TEST_F(dialogPassTest, AFailedLocationLeavesNoHandleAndTheOtherWritten)
{
    open();
    const DWORD before = regOpenHandleCount();
    setenv("XDG_CONFIG_DIRS", "/dev/null/unreachable", 1);
    click(3);
    EXPECT_EQ(regOpenHandleCount(), before);
    EXPECT_EQ(storedDword(u"debugHeap"), 0u);
}

// Reads the child's "ready" line; false when none comes within the time.
bool waitForReady(int fd)
{
    pollfd wait{fd, POLLIN, 0};
    char line[16] = {};
    return poll(&wait, 1, 60000) == 1 && read(fd, line, sizeof line - 1) > 0 &&
           std::string(line).rfind("ready", 0) == 0;
}

// Both hives in a folder of /dev/shm when there is one, so that syncing costs nothing and
// the writes, not the syncs, fill an Apply's time; removed with its content at the end.
class memoryHives
{
public:
    memoryHives()
    {
        std::string pattern = std::filesystem::is_directory("/dev/shm")
                                  ? std::string("/dev/shm/rz-hives-XXXXXX")
                                  : (testsupport::sandboxRoot() / "hives-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr)
        {
            m_root = pattern;
        }
        for (const char* sub : {"config", "xdg"})
        {
            std::filesystem::create_directories(m_root / sub);
        }
        setenv("XDG_CONFIG_HOME", (m_root / "config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", (m_root / "xdg").c_str(), 1);
    }
    ~memoryHives()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    memoryHives(const memoryHives&) = delete;
    memoryHives& operator=(const memoryHives&) = delete;

    std::filesystem::path user() const { return registryTest::userHive(m_root / "config"); }
    std::filesystem::path users() const { return registryTest::usersHive(m_root / "xdg"); }

private:
    std::filesystem::path m_root;
};

// A process applying the two sets in turn is killed at random moments: each location always
// holds one whole set, never a mix, and both hives stay sound.
TEST_F(dialogPassTest, ApplyKilledAtAnyMomentLeavesEachLocationWhole)
{
    const memoryHives hives;
    CReZevavEvadurovDlg& dlg = open();
    std::vector<storedValue> sets[2][2]; // [set][location]
    for (int which : {0, 1})
    {
        chooseSettingsSet(dlg, which);
        dlg.OnApply();
        sets[which][0] = storedRows();
        sets[which][1] = storedRows(HKEY_USERS, kDefaultProductPath);
    }
    ASSERT_NE(sets[0][0], sets[1][0]);
    dialog.reset();

    std::mt19937 random(std::random_device{}());
    int sawBoth[2] = {0, 0};
    for (int round = 0; round < 20; ++round)
    {
        int out[2];
        ASSERT_EQ(pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* const argv[] = {const_cast<char*>(RZ_APPLY_LOOP), nullptr};
        pid_t child = -1;
        ASSERT_EQ(posix_spawn(&child, RZ_APPLY_LOOP, &actions, nullptr, argv, environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        const bool ready = waitForReady(out[0]);
        if (ready)
        {
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        close(out[0]);
        ASSERT_TRUE(ready) << "the applying process never got going";

        for (int location : {0, 1})
        {
            const std::vector<storedValue> now =
                location == 0 ? storedRows() : storedRows(HKEY_USERS, kDefaultProductPath);
            const bool whole = now == sets[0][location] || now == sets[1][location];
            EXPECT_TRUE(whole) << "round " << round << ", location " << location;
            sawBoth[now == sets[1][location]] += 1;
        }
        for (const std::filesystem::path& hive : {hives.user(), hives.users()})
        {
            EXPECT_EQ(registryTest::integrityOf(hive, SQLITE_OPEN_READONLY), "ok") << hive;
        }
    }
    RecordProperty("locationsHoldingEachSet",
                   std::to_string(sawBoth[0]) + "/" + std::to_string(sawBoth[1]));
}

} // namespace
