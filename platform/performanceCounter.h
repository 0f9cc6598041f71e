#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The high-resolution performance counter with the Windows functions' names.
// The counter is monotonic and never goes back; here it counts nanoseconds of the
// system's monotonic clock, so the frequency is 1,000,000,000 (Windows commonly uses 10 MHz).

#include <reZevavEvadurov/winTypes.h>

// FALSE with ERROR_INVALID_PARAMETER for a null pointer (Windows would fault).
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

#pragma GCC visibility pop
