#pragma once

// Internal to the library: exported for the project's own program and tests, not installed.
#pragma GCC visibility push(default)

// stubCriticalSection: a critical section as a stubSyncObject. Recursive for the owning
// thread, blocking for others; it has no kernel handle (getHandle() is null). Lock it only
// through stubSyncLock. Every thread may lock and unlock it; unlocking without holding it is
// undefined, as for the platform's critical section.

#include "platform/criticalSection.h"
#include "support/stubSyncObject.h"

class stubCriticalSection : public stubSyncObject
{
public:
    stubCriticalSection();
    ~stubCriticalSection() override; // deletes the section, then the base closes its handle
    stubCriticalSection(const stubCriticalSection&) = delete;
    stubCriticalSection& operator=(const stubCriticalSection&) = delete;

    // Ignores the timeout: entering a critical section cannot fail. Returns 1.
    BOOL lock(DWORD timeout) override;
    BOOL lock() override;                                             // enters, returns 1
    BOOL release(LONG count, LONG* previousCount = nullptr) override; // returns 1, no effect
    BOOL unlock() override;                                           // leaves, returns 1

private:
    CRITICAL_SECTION m_section;
};

#pragma GCC visibility pop
