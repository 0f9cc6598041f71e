#include "support/stubSyncObject.h"
#include "support/stubSyncLock.h"
#include <reZevavEvadurov/event.h>
#include <reZevavEvadurov/handle.h>
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

namespace
{

// A sync object that waits on an auto-reset event, as the kernel-object kinds do.
class eventSyncObject : public stubSyncObject
{
public:
    eventSyncObject() { m_handle = CreateEventW(nullptr, FALSE, FALSE, nullptr); }
    BOOL unlock() override { return SetEvent(m_handle); }
};

class handlelessSyncObject : public stubSyncObject
{
public:
    BOOL unlock() override { return TRUE; }
};

TEST(stubSyncObjectTest, TimedLockOnAnUnsignalledHandleFailsAtOnce)
{
    eventSyncObject object;
    ASSERT_NE(object.getHandle(), nullptr);
    EXPECT_EQ(object.lock(0), FALSE);
    ASSERT_NE(object.unlock(), FALSE);
    EXPECT_NE(object.lock(0), FALSE);
    EXPECT_EQ(object.lock(0), FALSE) << "the satisfied wait took the signal";
}

TEST(stubSyncObjectTest, GuardWithZeroTimeoutReportsTheWait)
{
    eventSyncObject object;
    stubSyncLock guard(&object, FALSE);
    EXPECT_EQ(guard.lock(0), FALSE);
    object.unlock();
    EXPECT_NE(guard.lock(0), FALSE);
}

TEST(stubSyncObjectTest, DestructorClosesTheHandle)
{
    HANDLE handle = nullptr;
    {
        eventSyncObject object;
        handle = object.getHandle();
    }
    EXPECT_EQ(CloseHandle(handle), FALSE) << "already closed";
}

TEST(stubSyncObjectTest, WithoutHandleLockFailsAndReleaseSucceeds)
{
    handlelessSyncObject object;
    EXPECT_EQ(object.lock(0), FALSE);
    EXPECT_EQ(object.lock(), FALSE) << "no handle to wait for";
    EXPECT_EQ(object.release(1, nullptr), TRUE);
}

TEST(stubSyncObjectTest, FailedWaitAndCloseKeepTheCallersLastError)
{
    SetLastError(0xC0FFEE);
    {
        handlelessSyncObject object;
        EXPECT_EQ(object.lock(0), FALSE);
        EXPECT_EQ(GetLastError(), 0xC0FFEEu) << "the wait on no handle failed inside";
        stubSyncLock guard(&object, TRUE);
        EXPECT_EQ(GetLastError(), 0xC0FFEEu);
    }
    {
        eventSyncObject object;
        // Closed behind the object's back, so its own close fails.
        ASSERT_NE(CloseHandle(object.getHandle()), FALSE);
        SetLastError(0xC0FFEE);
    }
    EXPECT_EQ(GetLastError(), 0xC0FFEEu);
}

} // namespace
