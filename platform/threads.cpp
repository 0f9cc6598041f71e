#include "platform/threads.h"

#include <cstdint>
#include <sys/syscall.h>
#include <unistd.h>

DWORD GetCurrentThreadId()
{
    thread_local const DWORD id = static_cast<DWORD>(::syscall(SYS_gettid));
    return id;
}

HANDLE GetCurrentThread()
{
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));
}
