#pragma once

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

// Per-thread last error, as Windows keeps it. Each thread starts at ERROR_SUCCESS.
RZ_API DWORD GetLastError();
RZ_API void SetLastError(DWORD code);

// Saves the calling thread's last error and restores it when the scope ends, so diagnostics
// never change what a caller later reads as the last error.
class lastErrorPreserver
{
public:
    lastErrorPreserver() : m_saved(GetLastError()) {}
    ~lastErrorPreserver() { SetLastError(m_saved); }
    lastErrorPreserver(const lastErrorPreserver&) = delete;
    lastErrorPreserver& operator=(const lastErrorPreserver&) = delete;

private:
    const DWORD m_saved;
};
