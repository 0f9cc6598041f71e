#include "support/logFileState.h"

namespace logFileState
{

constinit std::atomic<DWORD> loggingEnabled{0};
constinit std::atomic<DWORD> logSystemErrors{1};
constinit std::atomic<DWORD> writeInProgress{0};
constinit std::atomic<const WCHAR*> timingLogFile{nullptr};
constinit HANDLE logHeap = nullptr;

// Made before every ordinary static object of the program (the application object among
// them) and destroyed after it, so that any of those may log while it is made or destroyed;
// among themselves in the order written (see the header). Across translation units only a
// priority gives that order.
__attribute__((init_priority(200))) stubCriticalSection logLock;
__attribute__((init_priority(200))) logFile globalLogFile;
__attribute__((init_priority(200))) stubCriticalSection functionNameMapLock;
__attribute__((init_priority(200))) stubMapStringToPtr functionNameMap(10);
__attribute__((init_priority(200))) stubCriticalSection fileNameMapLock;
__attribute__((init_priority(200))) stubMapStringToPtr fileNameMap(10);

} // namespace logFileState
