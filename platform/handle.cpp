#include "platform/handle.h"

#include "platform/kernelObject.h"
#include "platform/lastError.h"

BOOL CloseHandle(HANDLE handle)
{
    if (const auto object = kernelObjects::lookup(handle))
    {
        object->closing();
    }
    if (!kernelObjects::remove(handle))
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
