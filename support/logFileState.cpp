#include "support/logFileState.h"

namespace logFileState
{

constinit std::atomic<DWORD> loggingEnabled{0};
constinit std::atomic<DWORD> logSystemErrors{1};
constinit std::atomic<DWORD> writeInProgress{0};
constinit std::atomic<const WCHAR*> timingLogFile{nullptr};
constinit HANDLE logHeap = nullptr;

// Order matters: see the header.
stubCriticalSection logLock;
logFile globalLogFile;
stubCriticalSection functionNameMapLock;
stubMapStringToPtr functionNameMap(10);
stubCriticalSection fileNameMapLock;
stubMapStringToPtr fileNameMap(10);

} // namespace logFileState
