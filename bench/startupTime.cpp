// Start-up of the tool against a bare Qt program that builds the same widgets, on a private
// Xvfb display: time from fork to the first frame drawn into the dialog's window (the first
// X Damage report on it), and the peak resident memory of the process up to then. The tool
// opens over a current-user hive that holds all 79 values. Runs the two programs in turn,
// prints each run and the medians, and the tool's ratio to the floor.
// Usage: bench_startupTime [runs per program]   (default 15)

#include "app/debugSettingsCatalogue.h"
#include "bench/benchSandbox.h"
#include "platform/registry.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

using clockType = std::chrono::steady_clock;

struct sample
{
    double firstFrameMs = 0;
    long peakKiB = 0;
};

bool fillHive()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, u"Software\\Corvane\\Tarnwickx64", 0, nullptr, 0,
                        KEY_READ | KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
    {
        return false;
    }
    const std::u16string directory = u"/tmp";
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        const DWORD one = 1;
        const BYTE byte = 1;
        switch (row.kind)
        {
        case settingKind::ByteSwitch:
            RegSetValueExW(key, row.valueName, 0, REG_BINARY, &byte, 1);
            break;
        case settingKind::String:
            RegSetValueExW(key, row.valueName, 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(directory.c_str()),
                           static_cast<DWORD>((directory.size() + 1) * 2));
            break;
        default:
            RegSetValueExW(key, row.valueName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one),
                           sizeof one);
            break;
        }
    }
    return RegCloseKey(key) == ERROR_SUCCESS;
}

pid_t startServer(std::string& display)
{
    int ready[2];
    if (pipe(ready) != 0)
    {
        return -1;
    }
    const pid_t pid = fork();
    if (pid == 0)
    {
        close(ready[0]);
        const std::string fd = std::to_string(ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1600x1000x24", "-dpi",
               "96", "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    char number[32] = {};
    const ssize_t got = read(ready[0], number, sizeof number - 1);
    close(ready[0]);
    if (got <= 0)
    {
        return -1;
    }
    display = std::string(":").append(std::to_string(std::atoi(number)));
    return pid;
}

// Starts `program` and waits for the first frame drawn into a window it made.
std::optional<sample> measure(Display* x, int damageEvent, const char* program)
{
    const auto start = clockType::now();
    const pid_t pid = fork();
    if (pid == 0)
    {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    std::set<Window> created;
    std::optional<sample> result;
    const int fd = ConnectionNumber(x);
    while (!result)
    {
        if (XPending(x) == 0)
        {
            fd_set read;
            FD_ZERO(&read);
            FD_SET(fd, &read);
            timeval limit{60, 0};
            if (select(fd + 1, &read, nullptr, nullptr, &limit) <= 0)
            {
                break;
            }
            continue;
        }
        XEvent event;
        XNextEvent(x, &event);
        if (event.type == CreateNotify)
        {
            created.insert(event.xcreatewindow.window);
            XDamageCreate(x, event.xcreatewindow.window, XDamageReportNonEmpty);
        }
        else if (event.type == damageEvent + XDamageNotify &&
                 created.count(reinterpret_cast<XDamageNotifyEvent&>(event).drawable) != 0)
        {
            result = sample{
                std::chrono::duration<double, std::milli>(clockType::now() - start).count(), 0};
        }
    }
    kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (result)
    {
        result->peakKiB = usage.ru_maxrss;
    }
    // The damage objects went with the windows of the ended process.
    XSync(x, True);
    return result;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    benchSandbox sandbox("startup");
    setenv("XDG_DATA_HOME", (sandbox.root() / "home" / "data").c_str(), 1);
    if (!fillHive())
    {
        std::fprintf(stderr, "cannot write the hive\n");
        return 1;
    }
    std::string display;
    const pid_t server = startServer(display);
    if (server < 0)
    {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    Display* const x = XOpenDisplay(display.c_str());
    int damageEvent = 0;
    int damageError = 0;
    if (x == nullptr || !XDamageQueryExtension(x, &damageEvent, &damageError))
    {
        std::fprintf(stderr, "no X display with the Damage extension\n");
        kill(server, SIGTERM);
        return 1;
    }
    XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);

    const char* const programs[2] = {RZ_TOOL, RZ_BARE};
    const char* const names[2] = {"reZevavEvadurov", "bare Qt dialog"};
    std::vector<double> times[2];
    std::vector<double> peaks[2];
    measure(x, damageEvent, RZ_BARE); // warms the font and file caches for both
    for (int run = 0; run < runs; ++run)
    {
        for (int which = 0; which < 2; ++which)
        {
            const auto got = measure(x, damageEvent, programs[which]);
            if (!got)
            {
                std::fprintf(stderr, "%s drew no frame\n", names[which]);
                kill(server, SIGTERM);
                return 1;
            }
            times[which].push_back(got->firstFrameMs);
            peaks[which].push_back(static_cast<double>(got->peakKiB));
            std::printf("run %2d  %-16s first frame %7.1f ms  peak %7ld KiB\n", run + 1,
                        names[which], got->firstFrameMs, got->peakKiB);
        }
    }
    XCloseDisplay(x);
    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);

    // On a busy machine the medians carry the load of the moment; the fastest runs show what
    // each program needs when it gets the processor.
    const double tool = median(times[0]);
    const double bare = median(times[1]);
    const double toolBest = *std::min_element(times[0].begin(), times[0].end());
    const double bareBest = *std::min_element(times[1].begin(), times[1].end());
    std::printf("\n%d runs each          median first frame  fastest    median peak memory\n",
                runs);
    std::printf("%-20s %12.1f ms %8.1f ms %14.0f KiB\n", names[0], tool, toolBest,
                median(peaks[0]));
    std::printf("%-20s %12.1f ms %8.1f ms %14.0f KiB\n", names[1], bare, bareBest,
                median(peaks[1]));
    std::printf("ratio (goal <= 1.25) %12.2fx %9.2fx %14.2fx\n", tool / bare, toolBest / bareBest,
                median(peaks[0]) / median(peaks[1]));
    return 0;
}
