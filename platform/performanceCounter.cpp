#include "platform/performanceCounter.h"

#include <reZevavEvadurov/lastError.h>

#include <ctime>

namespace
{
constexpr LONGLONG nanosecondsPerSecond = 1000000000;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    timespec now{};
    if (count == nullptr || ::clock_gettime(CLOCK_MONOTONIC, &now) != 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * nanosecondsPerSecond + now.tv_nsec;
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (frequency == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    frequency->QuadPart = nanosecondsPerSecond;
    return TRUE;
}
