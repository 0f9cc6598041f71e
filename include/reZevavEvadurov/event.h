#pragma once

// Waitable event objects with the Windows functions' names and results. Close them with
// CloseHandle (reZevavEvadurov/handle.h). Thread-safety: any thread may set, reset, wait on or
// close an event.

#include <reZevavEvadurov/export.h>
#include <reZevavEvadurov/winTypes.h>

// An unnamed event, manual-reset or auto-reset, initially signalled or not; null on failure.
// The security attributes are accepted and ignored (POSIX has no per-object security here).
// Named events are not offered: a non-null name fails with ERROR_NOT_SUPPORTED.
RZ_API HANDLE CreateEventW(LPSECURITY_ATTRIBUTES security, WINBOOL manualReset,
                           WINBOOL initialState, LPCWSTR name);
// FALSE with ERROR_INVALID_HANDLE when the handle is not a live event.
RZ_API WINBOOL SetEvent(HANDLE event);
RZ_API WINBOOL ResetEvent(HANDLE event);

// WAIT_OBJECT_0 when the object is (or becomes) signalled within `milliseconds` (INFINITE
// waits for ever; 0 only tests), WAIT_TIMEOUT when it does not, WAIT_FAILED with
// ERROR_INVALID_HANDLE when the handle is not a live waitable object. A satisfied wait on an
// auto-reset event resets it, so exactly one waiter is released per SetEvent.
RZ_API DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
