// The real executable, started offscreen in the test's sandbox.

#include "tests/testsupport/testSandbox.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace
{

using namespace std::chrono_literals;

// A child process that is killed and reaped however the test ends.
class childProcess
{
public:
    explicit childProcess(const char* program)
    {
        m_pid = fork();
        if (m_pid == 0)
        {
            setenv("QT_QPA_PLATFORM", "offscreen", 1);
            execl(program, program, static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~childProcess()
    {
        if (running())
        {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    childProcess(const childProcess&) = delete;
    childProcess& operator=(const childProcess&) = delete;

    bool started() const { return m_pid > 0; }
    bool running()
    {
        if (m_pid <= 0 || m_reaped)
        {
            return false;
        }
        if (waitpid(m_pid, &m_status, WNOHANG) == m_pid)
        {
            m_reaped = true;
        }
        return !m_reaped;
    }
    // Waits up to `limit` for the process to end; its wait status, or -1 if it did not end.
    int waitForExit(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (running() && std::chrono::steady_clock::now() < end)
        {
            std::this_thread::sleep_for(20ms);
        }
        return m_reaped ? m_status : -1;
    }
    void signal(int number) { kill(m_pid, number); }

private:
    pid_t m_pid = -1;
    int m_status = 0;
    bool m_reaped = false;
};

template <class CONDITION> bool waitFor(CONDITION condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
        {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

TEST(reZevavEvadurovProcessTest, OpensTheDialogCreatesTheProductFoldersAndWritesNothing)
{
    const std::filesystem::path productFolder =
        testsupport::sandboxDataHome() / "Corvane" / "Tarnwick x64";
    ASSERT_FALSE(std::filesystem::exists(productFolder));

    childProcess tool(RZ_EXECUTABLE);
    ASSERT_TRUE(tool.started());
    EXPECT_TRUE(waitFor([&] { return std::filesystem::is_directory(productFolder); }, 30s))
        << "the dialog never looked up its per-user data directory";
    // The dialog stays up until the user ends it.
    std::this_thread::sleep_for(1s);
    ASSERT_TRUE(tool.running()) << "the tool ended without its dialog being closed";

    // Opening loads and shows; only Apply or OK write settings, and a read creates no hive.
    EXPECT_FALSE(std::filesystem::exists(testsupport::sandboxConfigHome() / "reZevavEvadurov" /
                                         "HKEY_CURRENT_USER.hive"));

    tool.signal(SIGTERM);
    const int status = tool.waitForExit(10s);
    ASSERT_NE(status, -1) << "the tool did not end on SIGTERM";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM);
}

} // namespace
