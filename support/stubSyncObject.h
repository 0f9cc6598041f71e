#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// stubSyncObject: base of the support code's synchronisation objects. It may own a waitable
// kernel handle (null when it has none) and closes it on destruction.
//
// The virtual operations, in table order: destructor, timed lock, untimed lock, release,
// unlock. Each returns non-zero on success. Objects are taken only through stubSyncLock.
// Objects made with `new` are released through CQuorvaStubObject's operator delete.
// The caller's last-error code is the same after every operation as before it.
// Thread-safety: that of the object's kernel handle (any thread may wait on it).

#include "support/CQuorvaStubObject.h"
#include <reZevavEvadurov/winTypes.h>

class stubSyncObject : public CQuorvaStubObject
{
public:
    stubSyncObject() = default;
    ~stubSyncObject() override;
    stubSyncObject(const stubSyncObject&) = delete;
    stubSyncObject& operator=(const stubSyncObject&) = delete;

    // Waits on the handle for at most `timeout` milliseconds (INFINITE: for ever); non-zero
    // only when the wait is satisfied. Without a handle it fails at once.
    virtual BOOL lock(DWORD timeout);
    // lock(INFINITE).
    virtual BOOL lock();
    // Nothing to release for this object: returns 1.
    virtual BOOL release(LONG count, LONG* previousCount = nullptr);
    virtual BOOL unlock() = 0;

    // The waitable handle, null when the object has none.
    HANDLE getHandle() const { return m_handle; }

protected:
    // Owned: closed by the destructor. Set by derived objects that wait on a kernel object.
    HANDLE m_handle = nullptr;
};

#pragma GCC visibility pop
