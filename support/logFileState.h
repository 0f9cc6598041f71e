#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// The log writer's process-wide state, shared by its source files only. Defined together in
// logFileState.cpp so that their construction order is defined: log lock, global logFile,
// function-name map lock, function-name map, file-name map lock, file-name map (destroyed in
// the reverse order at exit), all before any ordinary static object of the program is made
// and after the last one is destroyed.

#include "support/logFile.h"
#include "support/stubCriticalSection.h"
#include "support/stubMapStringToPtr.h"
#include <reZevavEvadurov/winTypes.h>

#include <atomic>

namespace logFileState
{

extern stubCriticalSection logLock;
extern logFile globalLogFile;
extern stubCriticalSection functionNameMapLock;
extern stubMapStringToPtr functionNameMap;
extern stubCriticalSection fileNameMapLock;
extern stubMapStringToPtr fileNameMap;

// Plain switches read without the lock; atomic only so that reads from other threads are
// defined. They are constant-initialised, so usable before any constructor runs.
extern std::atomic<DWORD> loggingEnabled;
extern std::atomic<DWORD> logSystemErrors;
extern std::atomic<DWORD> writeInProgress;
extern std::atomic<const WCHAR*> timingLogFile;

// Under the log lock only.
extern HANDLE logHeap;

} // namespace logFileState

#pragma GCC visibility pop
