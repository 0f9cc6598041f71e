#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// stubSyncLock: the scoped guard through which the support code takes its synchronisation
// objects. It does not own the object, which must outlive it. The destructor unlocks a lock
// the guard still holds, also when the scope is left by an exception.
//
// Lock tracing: while setLockTracing(1) is in force, a guard with a label reports each lock
// attempt and each unlock to the debugger output (OutputDebugStringW) as
//   "<thread id>: Locked    <label> 0x<handle>\r\n"
//   "<thread id>:  Unlocked <label> 0x<handle>\r\n"
// and a failed lock-now construction, label or not, as
//   "<thread id>: FAILED TO Lock a CS! <label> 0x<handle>\r\n"  (a null label reads "(null)").
// The handle is the object's handle at construction, as 16 upper-case hexadecimal digits.
// Lines longer than 999 characters are cut.
//
// Terminating-thread bypass: after enableTerminatingThreadBypass(), a guard on a thread that
// the system reports as terminating neither locks nor unlocks, and counts as locked.
//
// Thread-safety: a guard belongs to the thread that made it. The switches are process-wide;
// set them before other threads take locks.

#include "support/stubSyncObject.h"
#include <reZevavEvadurov/winTypes.h>

class stubSyncLock
{
public:
    // The label is not copied: it must outlive the guard (string literals do). With lockNow
    // non-zero the guard locks at once, waiting for ever.
    stubSyncLock(stubSyncObject* object, BOOL lockNow, const WCHAR* label = nullptr);
    ~stubSyncLock();
    stubSyncLock(const stubSyncLock&) = delete;
    stubSyncLock& operator=(const stubSyncLock&) = delete;

    // The result of the object's timed lock, also kept as the locked flag. With a null object
    // the flag is returned unchanged.
    BOOL lock(DWORD timeout = INFINITE);
    // Non-zero when the guard no longer holds the lock; a guard that holds nothing does
    // nothing and answers non-zero.
    BOOL unlock();
    // As unlock, through the object's release(count, previousCount); never traced.
    BOOL release(LONG count, LONG* previousCount = nullptr);

    BOOL isLocked() const { return m_locked != 0 ? TRUE : FALSE; }

private:
    // Clears the flag without touching the object when the bypass applies; else the flag is
    // cleared when `step` succeeds. Only for a guard that holds the lock.
    template <class Step> BOOL letGo(Step step);
    void trace(const char* what, bool labelRequired) const;

    stubSyncObject* const m_object;
    HANDLE const m_handle;
    DWORD m_locked = 0;
    const WCHAR* const m_label;
};

// The lock-tracing switch (0: off, the start state).
void setLockTracing(BOOL on);
BOOL isLockTracingEnabled();

// Turns the terminating-thread bypass on for the rest of the process.
void enableTerminatingThreadBypass();

// Whether the system reports the calling thread as terminating. Without the system's
// thread query (as here, where NtQueryInformationThread does not exist) the answer is FALSE.
BOOL isCurrentThreadTerminating();

#pragma GCC visibility pop
