// Start-up of the tool against a bare Qt program that builds the same widgets, on a private
// Xvfb display: time from fork to the first frame drawn into the dialog's window (the first
// X Damage report on it), and the peak resident memory of the process up to then. The tool
// opens over a current-user hive that holds all 79 values. Runs the two programs in turn,
// prints each run and the medians, and the tool's ratio to the floor. Each round has a time
// limit and is run again when it fails; Xvfb and the measured program end with the benchmark.
// Usage: bench_startupTime [runs per program]   (default 15)

#include "app/debugSettingsCatalogue.h"
#include "bench/benchSandbox.h"
#include <reZevavEvadurov/registry.h>

#include <X11/Xlib.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <set>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
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

// A child process that never outlives the benchmark: killed and reaped when the object goes,
// and killed by the kernel when the benchmark dies first (killed, or crashed).
class childProcess
{
public:
    // `exec` runs in the child and replaces it; `stopSignal` ends it when the object goes.
    template <class EXEC>
    explicit childProcess(EXEC exec, int stopSignal = SIGKILL) : m_stopSignal(stopSignal)
    {
        const pid_t parent = getpid();
        m_pid = fork();
        if (m_pid == 0)
        {
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
            {
                _exit(127); // the parent died before the line above
            }
            exec();
            _exit(127);
        }
    }
    ~childProcess() { stop(m_stopSignal); }
    childProcess(const childProcess&) = delete;
    childProcess& operator=(const childProcess&) = delete;

    bool started() const { return m_pid > 0; }

    // Sends `signal` unless it has been reaped, then reaps it; its resource use, once.
    std::optional<rusage> stop(int signal)
    {
        if (m_pid <= 0)
        {
            return std::nullopt;
        }
        kill(m_pid, signal);
        int status = 0;
        rusage usage{};
        const pid_t got = wait4(m_pid, &status, 0, &usage);
        m_pid = -1;
        return got > 0 ? std::optional<rusage>(usage) : std::nullopt;
    }

private:
    int m_stopSignal;
    pid_t m_pid = -1;
};

// Starts Xvfb on a free display. -noreset: without it the server resets whenever its last
// client leaves, between two rounds, and drops a connection being set up meanwhile.
std::unique_ptr<childProcess> startServer(std::string& display)
{
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0)
    {
        return nullptr;
    }
    const std::string fd = std::to_string(ready[1]);
    auto server = std::make_unique<childProcess>(
        [&]
        {
            fcntl(ready[1], F_SETFD, 0);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-noreset", "-screen", "0",
                   "1600x1000x24", "-dpi", "96", "-nolisten", "tcp", static_cast<char*>(nullptr));
        },
        SIGTERM); // lets it remove its lock file and socket

    close(ready[1]);
    // The number comes as a line, maybe in more than one write: read all of it, so that Xvfb
    // never writes into a closed pipe.
    std::string number;
    const auto end = clockType::now() + std::chrono::seconds(60);
    for (char c = 0; number.empty() || number.back() != '\n';)
    {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(end - clockType::now());
        pollfd entry{ready[0], POLLIN, 0};
        if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0 ||
            read(ready[0], &c, 1) != 1)
        {
            break;
        }
        number.push_back(c);
    }
    close(ready[0]);
    if (number.empty() || number.back() != '\n')
    {
        return nullptr;
    }
    display = std::string(":").append(std::to_string(std::atoi(number.c_str())));
    return server;
}

// An X error ends the round it happened in; set by the handler, read and cleared by measure.
int g_xError = 0;

int recordXError(Display*, XErrorEvent* error)
{
    g_xError = error->error_code;
    return 0;
}

// Asks for damage reports on a new window. An input-only window has no pixels (XDamageCreate
// would answer BadMatch) and a window may be gone already: neither is watched, and the errors
// of these requests are theirs, not the round's.
bool watch(Display* x, Window window)
{
    const int before = g_xError;
    XWindowAttributes attributes{};
    bool watched =
        XGetWindowAttributes(x, window, &attributes) != 0 && attributes.c_class != InputOnly;
    if (watched)
    {
        XDamageCreate(x, window, XDamageReportNonEmpty);
        XSync(x, False);
        watched = g_xError == before;
    }
    g_xError = before;
    return watched;
}

// Starts `program` and waits, up to `limit`, for the first frame drawn into a window it made.
// Nothing when the time ran out, the program ended first or the X server reported an error.
std::optional<sample> measure(Display* x, int damageEvent, const char* program,
                              std::chrono::seconds limit)
{
    XSync(x, True);
    g_xError = 0;
    const auto start = clockType::now();
    childProcess child([&] { execl(program, program, static_cast<char*>(nullptr)); });
    std::set<Window> created;
    std::optional<sample> result;
    const int fd = ConnectionNumber(x);
    const auto end = start + limit;
    while (!result && g_xError == 0 && child.started())
    {
        if (XPending(x) == 0)
        {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - clockType::now());
            pollfd entry{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&entry, 1, static_cast<int>(left.count())) <= 0)
            {
                break;
            }
            continue;
        }
        XEvent event;
        XNextEvent(x, &event);
        if (event.type == CreateNotify && watch(x, event.xcreatewindow.window))
        {
            created.insert(event.xcreatewindow.window);
        }
        else if (event.type == damageEvent + XDamageNotify &&
                 created.count(reinterpret_cast<XDamageNotifyEvent&>(event).drawable) != 0)
        {
            result = sample{
                std::chrono::duration<double, std::milli>(clockType::now() - start).count(), 0};
        }
    }
    const std::optional<rusage> usage = child.stop(SIGKILL);
    // The damage objects went with the windows of the ended process.
    XSync(x, True);
    if (g_xError != 0)
    {
        std::fprintf(stderr, "X error %d during the round\n", g_xError);
        return std::nullopt;
    }
    if (result && usage)
    {
        result->peakKiB = usage->ru_maxrss;
    }
    return result;
}

// A round that failed (time limit, X error) is run again, up to `attempts` times in all.
std::optional<sample> measureRetried(Display* x, int damageEvent, const char* program, int attempts)
{
    for (int attempt = 1; attempt <= attempts; ++attempt)
    {
        if (auto got = measure(x, damageEvent, program, std::chrono::seconds(60)))
        {
            return got;
        }
        std::fprintf(stderr, "%s: round failed (attempt %d of %d)\n", program, attempt, attempts);
    }
    return std::nullopt;
}

struct displayCloser
{
    void operator()(Display* x) const { XCloseDisplay(x); }
};

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
    const std::unique_ptr<childProcess> server = startServer(display);
    if (!server)
    {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    setenv("DISPLAY", display.c_str(), 1);
    unsetenv("QT_QPA_PLATFORM");
    const std::unique_ptr<Display, displayCloser> connection(XOpenDisplay(display.c_str()));
    Display* const x = connection.get();
    int damageEvent = 0;
    int damageError = 0;
    if (x == nullptr || !XDamageQueryExtension(x, &damageEvent, &damageError))
    {
        std::fprintf(stderr, "no X display with the Damage extension\n");
        return 1;
    }
    XSetErrorHandler(recordXError);
    XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
    constexpr int attempts = 3;

    const char* const programs[2] = {RZ_TOOL, RZ_BARE};
    const char* const names[2] = {"reZevavEvadurov", "bare Qt dialog"};
    std::vector<double> times[2];
    std::vector<double> peaks[2];
    measureRetried(x, damageEvent, RZ_BARE, attempts); // warms the font and file caches for both
    for (int run = 0; run < runs; ++run)
    {
        for (int which = 0; which < 2; ++which)
        {
            const auto got = measureRetried(x, damageEvent, programs[which], attempts);
            if (!got)
            {
                std::fprintf(stderr, "%s drew no frame\n", names[which]);
                return 1;
            }
            times[which].push_back(got->firstFrameMs);
            peaks[which].push_back(static_cast<double>(got->peakKiB));
            std::printf("run %2d  %-16s first frame %7.1f ms  peak %7ld KiB\n", run + 1,
                        names[which], got->firstFrameMs, got->peakKiB);
        }
    }

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
