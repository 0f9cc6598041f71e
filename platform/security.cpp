#include "platform/security.h"

#include <reZevavEvadurov/lastError.h>

BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision)
{
    if (descriptor == nullptr || revision != SECURITY_DESCRIPTOR_REVISION)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *static_cast<SECURITY_DESCRIPTOR*>(descriptor) =
        SECURITY_DESCRIPTOR{static_cast<BYTE>(revision), FALSE, nullptr, FALSE};
    return TRUE;
}

BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                               BOOL daclDefaulted)
{
    if (descriptor == nullptr || dacl != nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto* const d = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
    d->daclPresent = daclPresent;
    d->dacl = nullptr;
    d->daclDefaulted = daclDefaulted;
    return TRUE;
}
