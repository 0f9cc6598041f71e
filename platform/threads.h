#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Thread identity with the Windows functions' names.

#include <reZevavEvadurov/winTypes.h>

// The calling thread's id: non-zero, unique among the threads alive in the system. Here it
// is the kernel's thread id (gettid), which is also what debuggers and /proc show.
DWORD GetCurrentThreadId();

// The pseudo-handle that stands for the calling thread, as on Windows ((HANDLE)-2). It needs
// no closing.
HANDLE GetCurrentThread();

#pragma GCC visibility pop
