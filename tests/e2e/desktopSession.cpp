#include "tests/e2e/desktopSession.h"

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace desktopTest
{
namespace
{

std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> result;
    for (std::string& s : strings)
    {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

// Reads what `fd` delivers until it closes or `limit` passes.
std::string readUntilClosed(int fd, std::chrono::milliseconds limit)
{
    std::string text;
    const auto end = std::chrono::steady_clock::now() + limit;
    char buffer[512];
    for (;;)
    {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        pollfd entry{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&entry, 1, static_cast<int>(left.count())) <= 0)
        {
            break;
        }
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0)
        {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

} // namespace

child::child(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    std::vector<std::string> args = argv;
    std::vector<std::string> vars = env;
    const std::vector<char*> argp = pointers(args);
    const std::vector<char*> envp = pointers(vars);
    m_pid = fork();
    if (m_pid == 0)
    {
        // Whatever ends the test ends its server and program with it.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        for (char* const assignment : envp)
        {
            if (assignment != nullptr)
            {
                putenv(assignment);
            }
        }
        unsetenv("QT_QPA_PLATFORM");
        execvp(argp[0], argp.data());
        _exit(127);
    }
}

child::~child()
{
    if (running())
    {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
}

bool child::running()
{
    if (m_pid <= 0 || m_status)
    {
        return false;
    }
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid)
    {
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return !m_status;
}

std::optional<int> child::waitForExit(std::chrono::milliseconds limit)
{
    waitUntil([this] { return !running(); }, limit);
    return m_status;
}

processResult run(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    processResult result;
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0)
    {
        return result;
    }
    std::vector<std::string> args = argv;
    const std::vector<char*> argp = pointers(args);
    const pid_t pid = fork();
    if (pid == 0)
    {
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (const int fd : {out[0], out[1], err[0], err[1]})
        {
            close(fd);
        }
        for (const std::string& assignment : env)
        {
            const std::size_t equals = assignment.find('=');
            if (equals == std::string::npos)
            {
                unsetenv(assignment.c_str());
            }
            else
            {
                setenv(assignment.substr(0, equals).c_str(), assignment.c_str() + equals + 1, 1);
            }
        }
        execvp(argp[0], argp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    // Both pipes are read as they fill, so a chatty process never blocks on either.
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* const into[2] = {&result.out, &result.err};
    const auto end = std::chrono::steady_clock::now() + 30s;
    for (int open = 2; open > 0 && std::chrono::steady_clock::now() < end;)
    {
        if (::poll(fds, 2, 1000) < 0)
        {
            break;
        }
        for (int i = 0; i < 2; ++i)
        {
            if (fds[i].fd >= 0 && fds[i].revents != 0)
            {
                char buffer[512];
                const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
                if (got > 0)
                {
                    into[i]->append(buffer, static_cast<std::size_t>(got));
                }
                else
                {
                    close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
    }
    for (const pollfd& entry : fds)
    {
        if (entry.fd >= 0)
        {
            close(entry.fd);
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

session::session(const std::string& program, const std::string& screen,
                 const std::vector<std::string>& programEnv)
{
    int ready[2];
    if (pipe(ready) != 0)
    {
        return;
    }
    // Xvfb writes the display number it chose to the descriptor it is given. -noreset: without
    // it the server resets whenever its last client leaves (an xdotool call while the program
    // is still starting) and drops a connection being set up meanwhile.
    fcntl(ready[0], F_SETFD, FD_CLOEXEC);
    m_server.emplace(std::vector<std::string>{"Xvfb", "-displayfd", std::to_string(ready[1]),
                                              "-noreset", "-screen", "0", screen, "-dpi", "96",
                                              "-nolisten", "tcp"},
                     std::vector<std::string>{});
    close(ready[1]);
    std::string number = readUntilClosed(ready[0], 60s);
    close(ready[0]);
    while (!number.empty() && (number.back() == '\n' || number.back() == ' '))
    {
        number.pop_back();
    }
    if (number.empty())
    {
        return;
    }
    m_display = std::string(":").append(number);
    std::vector<std::string> env{"DISPLAY=" + m_display};
    env.insert(env.end(), programEnv.begin(), programEnv.end());
    if (const char* asan = std::getenv("ASAN_OPTIONS"))
    {
        // libxkbcommon-x11 hands strndup a name that is not terminated within its bound, which
        // strict string checks take for an overflow; the program's own code keeps them.
        env.push_back(std::string("ASAN_OPTIONS=") + asan + ":strict_string_checks=0");
        env.emplace_back("LSAN_OPTIONS=suppressions=" RZ_DESKTOP_LEAKS);
    }
    m_program.emplace(std::vector<std::string>{program}, env);
}

session::~session()
{
    m_program.reset();
    m_server.reset();
}

std::optional<std::string> session::xClient(const std::vector<std::string>& argv)
{
    processResult result = run(argv, {"DISPLAY=" + m_display});
    return result.status == 0 ? std::optional<std::string>(std::move(result.out)) : std::nullopt;
}

std::string session::waitForWindow(const std::string& title, std::chrono::milliseconds limit)
{
    std::string id;
    waitUntil(
        [&]
        {
            const auto found =
                xClient({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
            if (found && !found->empty())
            {
                id = found->substr(0, found->find('\n'));
            }
            return !id.empty();
        },
        limit);
    return id;
}

bool session::waitUntilGone(const std::string& title, std::chrono::milliseconds limit)
{
    return waitUntil(
        [&]
        {
            const auto found =
                xClient({"xdotool", "search", "--onlyvisible", "--name", "^" + title + "$"});
            return !found || found->empty();
        },
        limit);
}

std::optional<rect> session::geometry(const std::string& window)
{
    const auto text = xClient({"xdotool", "getwindowgeometry", "--shell", window});
    if (!text)
    {
        return std::nullopt;
    }
    rect result;
    const auto field = [&](const char* name, int& into)
    {
        const std::size_t at = text->find(std::string(name) + "=");
        if (at != std::string::npos)
        {
            into = std::atoi(text->c_str() + at + std::string(name).size() + 1);
        }
    };
    field("X", result.x);
    field("Y", result.y);
    field("WIDTH", result.width);
    field("HEIGHT", result.height);
    return result;
}

bool session::click(const std::string& window, int x, int y)
{
    // No --sync: it waits for the pointer to move and so hangs when it is there already. The
    // server takes the move and the click in the order they are sent.
    return xClient({"xdotool", "mousemove", "--window", window, std::to_string(x),
                    std::to_string(y), "click", "1"})
        .has_value();
}

bool session::keys(const std::vector<std::string>& names)
{
    std::vector<std::string> argv{"xdotool", "key", "--delay", "60"};
    argv.insert(argv.end(), names.begin(), names.end());
    return xClient(argv).has_value();
}

bool session::type(const std::string& text)
{
    return xClient({"xdotool", "type", "--delay", "60", text}).has_value();
}

std::optional<std::string> session::focusedText()
{
    // A marker first, so an old clipboard is never taken for the field's text.
    xClient({"sh", "-c", "printf '<none>' | xclip -selection clipboard >/dev/null 2>&1"});
    if (!keys({"ctrl+a", "ctrl+c"}))
    {
        return std::nullopt;
    }
    std::optional<std::string> text;
    waitUntil(
        [&]
        {
            text = xClient({"xclip", "-o", "-selection", "clipboard"});
            return text && *text != "<none>";
        },
        10s);
    return text;
}

} // namespace desktopTest
