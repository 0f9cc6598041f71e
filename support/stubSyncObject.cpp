#include "support/stubSyncObject.h"

#include "platform/event.h"
#include "platform/handle.h"

stubSyncObject::~stubSyncObject()
{
    if (m_handle != nullptr)
    {
        CloseHandle(m_handle);
        m_handle = nullptr;
    }
}

BOOL stubSyncObject::lock(DWORD timeout)
{
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
