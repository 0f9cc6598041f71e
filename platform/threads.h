#pragma once

// Thread identity with the Windows functions' names.

#include "platform/winTypes.h"

// The calling thread's id: non-zero, unique among the threads alive in the system. Here it
// is the kernel's thread id (gettid), which is also what debuggers and /proc show.
DWORD GetCurrentThreadId();

// The pseudo-handle that stands for the calling thread, as on Windows ((HANDLE)-2). It needs
// no closing.
HANDLE GetCurrentThread();
