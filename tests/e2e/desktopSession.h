#pragma once

// A private X display (Xvfb) with the installed program on it, driven as a person would,
// through xdotool (pointer and keyboard by XTEST) and xclip (the clipboard). Every wait polls
// with a generous limit, so a loaded machine makes a test slower, not flaky. Test code only.

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace desktopTest
{

using namespace std::chrono_literals;

// Polls `condition` every 50 ms until it holds (true) or `limit` has passed (false).
template <class CONDITION> bool waitUntil(CONDITION condition, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition())
    {
        if (std::chrono::steady_clock::now() >= end)
        {
            return false;
        }
        std::this_thread::sleep_for(50ms);
    }
    return true;
}

struct processResult
{
    int status = -1; // exit status, 128 + signal when killed, -1 when it could not start
    std::string out;
    std::string err;
};

// Runs `argv` (looked up in PATH) to its end, its environment changed by `env`: "NAME=value"
// sets, a bare "NAME" removes.
processResult run(const std::vector<std::string>& argv, const std::vector<std::string>& env);

// A child process, killed and reaped when the object goes.
class child
{
public:
    child(const std::vector<std::string>& argv, const std::vector<std::string>& env);
    ~child();
    child(const child&) = delete;
    child& operator=(const child&) = delete;

    bool running();
    // The exit status once it ended within `limit` (128 + signal when killed), else nothing.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);

private:
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

struct rect
{
    int x = 0, y = 0, width = 0, height = 0;
};

class session
{
public:
    // Starts Xvfb on a free display with a screen of `screen` ("WIDTHxHEIGHTxDEPTH") and the
    // program `program` on it; the program keeps the test's environment (its XDG folders) but
    // not its offscreen platform, with `programEnv` ("NAME=value") added.
    explicit session(const std::string& program, const std::string& screen = "1600x1000x24",
                     const std::vector<std::string>& programEnv = {});
    ~session();

    bool serverUp() const { return !m_display.empty(); }
    const std::string& display() const { return m_display; }

    // The id of the visible window titled exactly `title`, waited for; empty if none came.
    std::string waitForWindow(const std::string& title, std::chrono::milliseconds limit = 60s);
    bool waitUntilGone(const std::string& title, std::chrono::milliseconds limit = 30s);
    std::optional<rect> geometry(const std::string& window);

    // Pointer click at (x, y) of `window`'s client area, keys by their X names ("alt+a").
    bool click(const std::string& window, int x, int y);
    bool keys(const std::vector<std::string>& names);
    bool type(const std::string& text);
    // The focused field's whole text, through select-all and copy.
    std::optional<std::string> focusedText();

    child& program() { return *m_program; }

private:
    // Runs an X client on the session's display; its standard output when it succeeded.
    std::optional<std::string> xClient(const std::vector<std::string>& argv);

    std::optional<child> m_server;
    std::optional<child> m_program;
    std::string m_display;
};

} // namespace desktopTest
