#include "platform/criticalSection.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{

BOOL tryFromAnotherThread(CRITICAL_SECTION& section)
{
    BOOL entered = FALSE;
    std::thread other(
        [&]
        {
            entered = TryEnterCriticalSection(&section);
            if (entered != FALSE)
            {
                LeaveCriticalSection(&section);
            }
        });
    other.join();
    return entered;
}

TEST(criticalSectionTest, RecursiveForTheOwnerBlockingForOthers)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_NE(TryEnterCriticalSection(&section), FALSE);
    EXPECT_EQ(tryFromAnotherThread(section), FALSE);

    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromAnotherThread(section), FALSE) << "still held once";

    LeaveCriticalSection(&section);
    EXPECT_NE(tryFromAnotherThread(section), FALSE);
    DeleteCriticalSection(&section);
}

TEST(criticalSectionTest, SerialisesThreads)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    int counter = 0;
    const auto bump = [&]
    {
        for (int i = 0; i < 20000; ++i)
        {
            EnterCriticalSection(&section);
            counter = counter + 1;
            LeaveCriticalSection(&section);
        }
    };
    std::thread a(bump);
    std::thread b(bump);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
    DeleteCriticalSection(&section);
}

} // namespace
