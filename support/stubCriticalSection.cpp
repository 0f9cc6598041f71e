#include "support/stubCriticalSection.h"

stubCriticalSection::stubCriticalSection()
{
    InitializeCriticalSection(&m_section);
}

stubCriticalSection::~stubCriticalSection()
{
    DeleteCriticalSection(&m_section);
}

BOOL stubCriticalSection::lock(DWORD)
{
    return lock();
}

BOOL stubCriticalSection::lock()
{
    EnterCriticalSection(&m_section);
    return TRUE;
}

BOOL stubCriticalSection::release(LONG, LONG*)
{
    return TRUE;
}

BOOL stubCriticalSection::unlock()
{
    LeaveCriticalSection(&m_section);
    return TRUE;
}
