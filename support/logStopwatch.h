#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// logStopwatch: times a step with the high-resolution performance counter and writes the
// elapsed count to the timing log file (setTimingLogFile) as one 8-bit record:
//   [label " "][second label " "]hex64 of the elapsed counts "\r\n"
// The count is in units of QueryPerformanceFrequency. With no timing log file set, or with
// logging disabled, nothing is written. The labels are not copied: they must outlive the
// stopwatch (string literals do). The caller's last-error code is left as it was.
// Not thread-safe: one stopwatch belongs to one thread.

#include <reZevavEvadurov/winTypes.h>

class logStopwatch
{
public:
    // Reads the counter (0 when it is unavailable).
    explicit logStopwatch(const char* label, const char* secondLabel = nullptr);
    ~logStopwatch() = default;
    logStopwatch(const logStopwatch&) = delete;
    logStopwatch& operator=(const logStopwatch&) = delete;

    // Reads the counter again, writes the record and clears both labels, so a second finish
    // writes the count alone.
    void finish();

    LONGLONG startCount() const { return m_start; }

private:
    const char* m_label;
    const char* m_secondLabel;
    LONGLONG m_start;
};

#pragma GCC visibility pop
