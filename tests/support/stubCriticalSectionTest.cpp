#include "support/stubCriticalSection.h"
#include "support/stubSyncLock.h"
#include "tests/support/stubHeapFixture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

using stubCriticalSectionTest = stubHeapFixture;

TEST_F(stubCriticalSectionTest, HasNoHandleAndAlwaysSucceeds)
{
    stubCriticalSection section;
    EXPECT_EQ(section.getHandle(), nullptr);
    EXPECT_EQ(section.lock(0), TRUE) << "the timeout is ignored";
    EXPECT_EQ(section.lock(), TRUE) << "recursive for the owner";
    EXPECT_EQ(section.release(1, nullptr), TRUE);
    EXPECT_EQ(section.unlock(), TRUE);
    EXPECT_EQ(section.unlock(), TRUE);
}

TEST_F(stubCriticalSectionTest, GuardKeepsOtherThreadsOut)
{
    stubCriticalSection section;
    std::atomic<bool> entered{false};
    std::thread other;
    {
        const stubSyncLock guard(&section, TRUE);
        other = std::thread(
            [&]
            {
                const stubSyncLock inner(&section, TRUE);
                entered = true;
            });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(entered.load());
    }
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST_F(stubCriticalSectionTest, NestedGuardsOnOneThreadDoNotDeadlock)
{
    stubCriticalSection section;
    const stubSyncLock outer(&section, TRUE);
    const stubSyncLock inner(&section, TRUE);
    EXPECT_NE(inner.isLocked(), FALSE);
}

TEST_F(stubCriticalSectionTest, AllocatedOnThePrivateHeapAndDeletedThroughTheBase)
{
    stubSyncObject* const object = new stubCriticalSection;
    EXPECT_EQ(liveBlocks(), 1u);
    delete object;
    EXPECT_EQ(liveBlocks(), 0u);
}

} // namespace
