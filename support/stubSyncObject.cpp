#include "support/stubSyncObject.h"

#include <reZevavEvadurov/event.h>
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>

// Waiting and closing set the last error on failure; the caller's code is kept, as in all
// support operations.
stubSyncObject::~stubSyncObject()
{
    const lastErrorPreserver preserveLastError;
    if (m_handle != nullptr)
    {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}

BOOL stubSyncObject::lock(DWORD timeout)
{
    const lastErrorPreserver preserveLastError;
    return WaitForSingleObject(m_handle, timeout) == WAIT_OBJECT_0 ? TRUE : FALSE;
}

BOOL stubSyncObject::lock()
{
    return lock(INFINITE);
}

BOOL stubSyncObject::release(LONG, LONG*)
{
    return TRUE;
}
