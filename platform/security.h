#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// Security descriptors with the Windows functions' names, to the extent files need them.
// POSIX has no access lists: a descriptor here only records whether a discretionary access
// list is present and null. Building one has no other effect, and CreateFileW
// (platform/fileIo.h) gives a new file 0666 less the umask whatever it says.

#include <reZevavEvadurov/winTypes.h>

struct ACL; // never built here; only a null list can be given
using PACL = ACL*;

struct SECURITY_DESCRIPTOR
{
    BYTE Revision;
    BOOL daclPresent;
    PACL dacl;
    BOOL daclDefaulted;
};
using PSECURITY_DESCRIPTOR = void*;

constexpr DWORD SECURITY_DESCRIPTOR_REVISION = 1;
constexpr DWORD SECURITY_DESCRIPTOR_MIN_LENGTH = sizeof(SECURITY_DESCRIPTOR);

// An empty descriptor (no access list). FALSE with ERROR_INVALID_PARAMETER for a null
// descriptor or another revision (Windows answers ERROR_UNKNOWN_REVISION there).
BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
// Records the discretionary access list. A present null list grants everyone full access.
// FALSE with ERROR_INVALID_PARAMETER for a null descriptor or a non-null list (none can be
// built here).
BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL daclPresent, PACL dacl,
                               BOOL daclDefaulted);

#pragma GCC visibility pop
