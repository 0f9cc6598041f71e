#include "support/stubSyncLock.h"
#include "support/stubCriticalSection.h"
#include "tests/support/syncTestObjects.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <stdexcept>
#include <string>

namespace
{

TEST(stubSyncLockTest, WithTracingOffLocksAndUnlocksSilently)
{
    const debugOutputCapture output(false);
    countingSyncObject object;
    {
        stubSyncLock guard(&object, TRUE, u"label");
        EXPECT_EQ(object.locks, 1);
        EXPECT_EQ(object.lastTimeout, INFINITE);
        EXPECT_NE(guard.isLocked(), FALSE);
        EXPECT_NE(guard.unlock(), FALSE);
        EXPECT_EQ(object.unlocks, 1);
    }
    EXPECT_EQ(object.unlocks, 1) << "the destructor has nothing left to unlock";
    EXPECT_EQ(output.text(), "");
}

TEST(stubSyncLockTest, WithoutLockNowHoldsNothing)
{
    countingSyncObject object;
    {
        stubSyncLock guard(&object, FALSE, u"label");
        EXPECT_EQ(guard.isLocked(), FALSE);
        EXPECT_NE(guard.unlock(), FALSE);
        EXPECT_NE(guard.release(1), FALSE);
    }
    EXPECT_EQ(object.locks + object.unlocks + object.releases, 0);
}

TEST(stubSyncLockTest, TimedLockPassesTheTimeoutAndKeepsTheResult)
{
    countingSyncObject object;
    stubSyncLock guard(&object, FALSE);
    object.lockResult = FALSE;
    EXPECT_EQ(guard.lock(25), FALSE);
    EXPECT_EQ(object.lastTimeout, 25u);
    EXPECT_EQ(guard.isLocked(), FALSE);
    object.lockResult = TRUE;
    EXPECT_NE(guard.lock(0), FALSE);
    EXPECT_NE(guard.isLocked(), FALSE);
}

TEST(stubSyncLockTest, DestructorUnlocksAlsoWhenLeftByAnException)
{
    countingSyncObject object;
    try
    {
        stubSyncLock guard(&object, TRUE);
        throw std::runtime_error("leave");
    }
    catch (const std::runtime_error&)
    {
    }
    EXPECT_EQ(object.locks, 1);
    EXPECT_EQ(object.unlocks, 1);
}

TEST(stubSyncLockTest, FailedUnlockKeepsTheFlagAndIsRetried)
{
    countingSyncObject object;
    {
        stubSyncLock guard(&object, TRUE);
        object.unlockResult = FALSE;
        EXPECT_EQ(guard.unlock(), FALSE);
        EXPECT_NE(guard.isLocked(), FALSE);
        object.unlockResult = TRUE;
    }
    EXPECT_EQ(object.unlocks, 2);
}

TEST(stubSyncLockTest, ReleaseGoesThroughTheObjectsReleaseWithoutTrace)
{
    const debugOutputCapture output(true);
    countingSyncObject object;
    stubSyncLock guard(&object, TRUE, u"rel");
    LONG previous = 0;
    const std::string beforeRelease = output.text();
    EXPECT_NE(guard.release(3, &previous), FALSE);
    EXPECT_EQ(object.releases, 1);
    EXPECT_EQ(object.lastCount, 3);
    EXPECT_EQ(object.lastPrevious, &previous);
    EXPECT_EQ(object.unlocks, 0);
    EXPECT_EQ(guard.isLocked(), FALSE);
    EXPECT_EQ(output.text(), beforeRelease);
}

TEST(stubSyncLockTest, NullObjectIsNeverCalled)
{
    const debugOutputCapture output(false);
    stubSyncLock guard(nullptr, FALSE, u"label");
    EXPECT_EQ(guard.lock(), FALSE);
    EXPECT_NE(guard.unlock(), FALSE);
    EXPECT_EQ(output.text(), "");
}

TEST(stubSyncLockTest, TracingWritesLockedAndUnlockedLines)
{
    const debugOutputCapture output(true);
    stubCriticalSection section;
    {
        const stubSyncLock guard(&section, TRUE, u"logFile::writeToLogFile 2()");
        EXPECT_EQ(output.text(), lockedLine("logFile::writeToLogFile 2()"));
    }
    EXPECT_EQ(output.text(), lockedLine("logFile::writeToLogFile 2()") +
                                 unlockedLine("logFile::writeToLogFile 2()"));
}

TEST(stubSyncLockTest, NullLabelIsNotTracedExceptForAFailedLock)
{
    const debugOutputCapture output(true);
    countingSyncObject object;
    {
        const stubSyncLock guard(&object, TRUE);
    }
    EXPECT_EQ(output.text(), "");

    object.lockResult = FALSE;
    {
        const stubSyncLock guard(&object, TRUE);
    }
    EXPECT_EQ(output.text(), std::to_string(GetCurrentThreadId()) +
                                 ": FAILED TO Lock a CS! (null) 0x0000000000000000\r\n");
}

TEST(stubSyncLockTest, FailedLockNowWritesTheAttemptThenTheFailure)
{
    debugOutputCapture output(true);
    stubSyncLock guard(nullptr, TRUE, u"none");
    EXPECT_EQ(guard.isLocked(), FALSE);
    const std::string id = std::to_string(GetCurrentThreadId());
    EXPECT_EQ(output.text(), id + ": FAILED TO Lock a CS! none 0x0000000000000000\r\n")
        << "a null object is not attempted, so only the failure is written";
    output.clear();

    countingSyncObject object;
    object.lockResult = FALSE;
    const stubSyncLock failing(&object, TRUE, u"busy");
    EXPECT_EQ(output.text(), id + ": Locked    busy 0x0000000000000000\r\n" + id +
                                 ": FAILED TO Lock a CS! busy 0x0000000000000000\r\n");
}

TEST(stubSyncLockTest, TraceShowsTheObjectsHandle)
{
    struct eventHandleObject : countingSyncObject
    {
        explicit eventHandleObject(HANDLE handle) { m_handle = handle; }
    };
    HANDLE const fake = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0xABCDEF12u));
    const debugOutputCapture output(true);
    {
        eventHandleObject object(fake);
        {
            const stubSyncLock guard(&object, TRUE, u"h");
        }
        EXPECT_EQ(output.text(),
                  lockedLine("h", "00000000ABCDEF12") + unlockedLine("h", "00000000ABCDEF12"));
    }
}

TEST(stubSyncLockTest, OverlongTraceIsCutToTheBuffer)
{
    const debugOutputCapture output(true);
    const std::u16string label(5000, u'x');
    stubCriticalSection section;
    {
        const stubSyncLock guard(&section, TRUE, label.c_str());
    }
    const std::string prefix = std::to_string(GetCurrentThreadId()) + ": Locked    ";
    const std::string cut = prefix + std::string(999 - prefix.size(), 'x');
    const std::string unlockedPrefix = std::to_string(GetCurrentThreadId()) + ":  Unlocked ";
    EXPECT_EQ(output.text(), cut + unlockedPrefix + std::string(999 - unlockedPrefix.size(), 'x'));
}

TEST(stubSyncLockTest, TerminatingThreadBypassDoesNotApplyToLiveThreads)
{
    EXPECT_EQ(isCurrentThreadTerminating(), FALSE);
    enableTerminatingThreadBypass();
    countingSyncObject object;
    {
        const stubSyncLock guard(&object, TRUE);
    }
    EXPECT_EQ(object.locks, 1);
    EXPECT_EQ(object.unlocks, 1);
}

} // namespace
