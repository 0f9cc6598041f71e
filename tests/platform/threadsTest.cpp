#include "platform/threads.h"
#include "platform/performanceCounter.h"
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace
{

TEST(threadsTest, ThreadIdsAreStablePerThreadAndDistinctAcrossThreads)
{
    const DWORD mine = GetCurrentThreadId();
    EXPECT_NE(mine, 0u);
    EXPECT_EQ(GetCurrentThreadId(), mine);
    DWORD other = 0;
    std::thread([&other] { other = GetCurrentThreadId(); }).join();
    EXPECT_NE(other, 0u);
    EXPECT_NE(other, mine);
}

TEST(threadsTest, PerformanceCounterAdvancesAtItsFrequency)
{
    LARGE_INTEGER frequency{};
    ASSERT_NE(QueryPerformanceFrequency(&frequency), FALSE);
    EXPECT_EQ(frequency.QuadPart, 1000000000);

    LARGE_INTEGER before{};
    LARGE_INTEGER after{};
    ASSERT_NE(QueryPerformanceCounter(&before), FALSE);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ASSERT_NE(QueryPerformanceCounter(&after), FALSE);
    EXPECT_GE(after.QuadPart - before.QuadPart, frequency.QuadPart / 200); // at least 5 ms
}

TEST(threadsTest, NullCounterFails)
{
    SetLastError(0);
    EXPECT_EQ(QueryPerformanceCounter(nullptr), FALSE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(QueryPerformanceFrequency(nullptr), FALSE);
}

} // namespace
