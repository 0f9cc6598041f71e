#include "platform/heap.h"
#include <reZevavEvadurov/lastError.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>
#include <vector>

namespace
{

// Every test gets its own heap, destroyed at the end: HeapDestroy must free whatever is left,
// which LeakSanitizer checks.
class heapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_heap = HeapCreate(0, 0, 0);
        ASSERT_NE(m_heap, nullptr);
    }
    void TearDown() override { EXPECT_TRUE(HeapDestroy(m_heap)); }

    HANDLE m_heap = nullptr;
};

TEST_F(heapTest, TracksBlocksAndSizes)
{
    void* const a = HeapAlloc(m_heap, 0, 24);
    void* const b = HeapAlloc(m_heap, 0, 0);
    void* const c = HeapAlloc(m_heap, 0, 0);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(b, c); // zero-byte blocks are still distinct
    EXPECT_EQ(heapBlockCount(m_heap), 3u);
    EXPECT_EQ(HeapSize(m_heap, 0, a), 24u);
    EXPECT_EQ(HeapSize(m_heap, 0, b), 0u);
    EXPECT_TRUE(HeapFree(m_heap, 0, b));
    EXPECT_EQ(heapBlockCount(m_heap), 2u);
    EXPECT_EQ(HeapSize(m_heap, 0, b), static_cast<SIZE_T>(-1));
    EXPECT_TRUE(HeapFree(m_heap, 0, nullptr));
    // a and c are left for HeapDestroy.
}

TEST_F(heapTest, ZeroMemoryFlagClearsNewBytesOnAllocAndGrowth)
{
    auto* const block = static_cast<unsigned char*>(HeapAlloc(m_heap, HEAP_ZERO_MEMORY, 64));
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 64; ++i)
    {
        ASSERT_EQ(block[i], 0) << i;
    }
    std::memset(block, 0xAB, 64);
    auto* const grown =
        static_cast<unsigned char*>(HeapReAlloc(m_heap, HEAP_ZERO_MEMORY, block, 4096));
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(grown[63], 0xAB);
    EXPECT_EQ(grown[64], 0);
    EXPECT_EQ(grown[4095], 0);
    EXPECT_EQ(HeapSize(m_heap, 0, grown), 4096u);
    EXPECT_EQ(heapBlockCount(m_heap), 1u);
}

TEST_F(heapTest, FailedReallocationLeavesTheOriginalBlock)
{
    auto* const block = static_cast<char*>(HeapAlloc(m_heap, 0, 8));
    ASSERT_NE(block, nullptr);
    std::memcpy(block, "abcdefg", 8);
    heapSetFailAfter(m_heap, 0);
    SetLastError(1234);
    EXPECT_EQ(HeapReAlloc(m_heap, 0, block, 1 << 20), nullptr);
    EXPECT_EQ(HeapAlloc(m_heap, 0, 1), nullptr);
    EXPECT_EQ(GetLastError(), 1234u);
    EXPECT_STREQ(block, "abcdefg");
    EXPECT_EQ(HeapSize(m_heap, 0, block), 8u);
    EXPECT_TRUE(HeapFree(m_heap, 0, block)); // freeing still works under injected failure
    heapSetFailAfter(m_heap, -1);
    void* const again = HeapAlloc(m_heap, 0, 1);
    EXPECT_NE(again, nullptr);
    EXPECT_TRUE(HeapFree(m_heap, 0, again));
}

TEST_F(heapTest, FailAfterCountsAllocationsAndReallocations)
{
    heapSetFailAfter(m_heap, 2);
    void* const a = HeapAlloc(m_heap, 0, 4);
    ASSERT_NE(a, nullptr);
    void* const grown = HeapReAlloc(m_heap, 0, a, 400);
    ASSERT_NE(grown, nullptr);
    EXPECT_EQ(HeapAlloc(m_heap, 0, 4), nullptr);
    EXPECT_EQ(HeapReAlloc(m_heap, 0, grown, 800), nullptr);
    EXPECT_EQ(heapBlockCount(m_heap), 1u);
}

TEST_F(heapTest, RefusesForeignBlocksAndDeadHandles)
{
    HANDLE const other = HeapCreate(0, 0, 0);
    ASSERT_NE(other, nullptr);
    void* const foreign = HeapAlloc(other, 0, 16);
    SetLastError(ERROR_SUCCESS);
    EXPECT_FALSE(HeapFree(m_heap, 0, foreign));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(HeapReAlloc(m_heap, 0, foreign, 32), nullptr);
    EXPECT_EQ(heapBlockCount(other), 1u); // the block is still the other heap's
    EXPECT_TRUE(HeapDestroy(other));      // frees the foreign block
    EXPECT_FALSE(HeapDestroy(other));
    EXPECT_EQ(HeapAlloc(other, 0, 1), nullptr);
    EXPECT_FALSE(HeapFree(other, 0, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(heapBlockCount(other), 0u);
}

TEST(heapLimits, MaximumSizeCapsBytesInUse)
{
    HANDLE const heap = HeapCreate(0, 0, 100);
    ASSERT_NE(heap, nullptr);
    void* const a = HeapAlloc(heap, 0, 60);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(HeapAlloc(heap, 0, 41), nullptr);
    void* const b = HeapAlloc(heap, 0, 40);
    EXPECT_NE(b, nullptr);
    EXPECT_EQ(HeapReAlloc(heap, 0, a, 61), nullptr);
    EXPECT_TRUE(HeapFree(heap, 0, b));
    EXPECT_NE(HeapReAlloc(heap, 0, a, 100), nullptr);
    EXPECT_TRUE(HeapDestroy(heap));

    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(HeapCreate(0, 200, 100), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(heapTest, SerialisesConcurrentCallers)
{
    constexpr int threads = 4;
    constexpr int rounds = 2000;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
    {
        workers.emplace_back(
            [this]
            {
                std::vector<void*> kept;
                for (int i = 0; i < rounds; ++i)
                {
                    void* const block = HeapAlloc(m_heap, 0, 32);
                    if (i % 2 == 0)
                    {
                        HeapFree(m_heap, 0, block);
                    }
                    else
                    {
                        kept.push_back(HeapReAlloc(m_heap, 0, block, 64));
                    }
                }
            });
    }
    for (std::thread& worker : workers)
    {
        worker.join();
    }
    EXPECT_EQ(heapBlockCount(m_heap), static_cast<SIZE_T>(threads * rounds / 2));
}

} // namespace
