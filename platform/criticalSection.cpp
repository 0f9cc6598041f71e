#include "platform/criticalSection.h"

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    section->mutex.emplace();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    section->mutex.reset();
}

void EnterCriticalSection(LPCRITICAL_SECTION section)
{
    section->mutex->lock();
}

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section)
{
    return section->mutex->try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(LPCRITICAL_SECTION section)
{
    section->mutex->unlock();
}
