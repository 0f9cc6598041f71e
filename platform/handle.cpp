#include <reZevavEvadurov/handle.h>

#include "platform/kernelObject.h"
#include <reZevavEvadurov/lastError.h>

BOOL CloseHandle(HANDLE handle)
{
    // Taken out of the table first: a second close of the same handle finds nothing.
    const auto object = kernelObjects::remove(handle);
    if (object == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->closing();
    return TRUE;
}
