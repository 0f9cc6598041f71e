#include "tests/support/stubHeapFixture.h"

#include "support/CQuorvaStubObject.h"
#include <reZevavEvadurov/lastError.h>

#include <cstdlib>
#include <cstring>

namespace
{

using stubHeapTest = stubHeapFixture;

TEST_F(stubHeapTest, CreateIsIdempotentAndAllocationsComeFromTheHeap)
{
    HANDLE const heap = getStubHeap();
    EXPECT_EQ(createStubHeap(), heap);
    EXPECT_EQ(getStubHeap(), heap);

    auto* const block = static_cast<char*>(corHeapAlloc(0, 5));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(liveBlocks(), 1u);
    std::memcpy(block, "abcd", 5);
    auto* const grown = static_cast<char*>(corHeapReAlloc(0, block, 500));
    ASSERT_NE(grown, nullptr);
    EXPECT_STREQ(grown, "abcd");
    EXPECT_EQ(HeapSize(heap, 0, grown), 500u);
    corHeapFree(0, grown);
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(stubHeapTest, ExplicitHeapOverloadsUseTheGivenHeap)
{
    HANDLE const own = HeapCreate(0, 0x10000, 0);
    ASSERT_NE(own, nullptr);
    void* const block = corHeapAlloc(own, 0, 32);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(heapBlockCount(own), 1u);
    EXPECT_EQ(liveBlocks(), 0u);
    corHeapFree(own, 0, block);
    EXPECT_EQ(heapBlockCount(own), 0u);
    EXPECT_EQ(corHeapAlloc(nullptr, 0, 32), nullptr);
    corHeapFree(nullptr, 0, block); // no heap: nothing to do, and no crash
    HeapDestroy(own);
}

TEST_F(stubHeapTest, RefusalsAndForeignFreesKeepTheLastError)
{
    SetLastError(4321);
    failAfter(0);
    EXPECT_EQ(corHeapAlloc(0, 8), nullptr);
    failAfter(-1);
    void* const block = corHeapAlloc(0, 8);
    failAfter(0);
    EXPECT_EQ(corHeapReAlloc(0, block, 80), nullptr);
    failAfter(-1);
    int notOnTheHeap = 0;
    corHeapFree(0, &notOnTheHeap);
    EXPECT_EQ(corHeapReAlloc(0, nullptr, 8), nullptr);
    EXPECT_EQ(GetLastError(), 4321u);
    corHeapFree(0, block);
}

TEST_F(stubHeapTest, WithoutTheHeapAllocationFailsAndFreeingIsSkipped)
{
    withoutStubHeap(
        []
        {
            EXPECT_EQ(corHeapAlloc(0, 8), nullptr);
            int local = 0;
            EXPECT_EQ(corHeapReAlloc(0, &local, 8), nullptr);
            corHeapFree(0, &local);
            EXPECT_THROW(static_cast<void>(new CQuorvaStubObject), std::bad_alloc);
            HANDLE const created = createStubHeap();
            EXPECT_NE(created, nullptr);
            EXPECT_EQ(getStubHeap(), created);
            destroyStubHeap();
        });
}

TEST(twMemset, FillsExactlyTheGivenBytes)
{
    unsigned char bytes[8];
    std::memset(bytes, 0x11, sizeof bytes);
    tw_memset(bytes + 1, 0, 6);
    const unsigned char expected[8] = {0x11, 0, 0, 0, 0, 0, 0, 0x11};
    EXPECT_EQ(std::memcmp(bytes, expected, sizeof bytes), 0);
    tw_memset(nullptr, 0, 4); // no block: nothing to fill
}

TEST(corHeapsRegistry, RegistersEachHeapOnce)
{
    HANDLE const first = HeapCreate(0, 0x10000, 0);
    HANDLE const second = HeapCreate(0, 0, 0);
    const int before = corHeaps::count();
    corHeaps::addHeap(first);
    corHeaps::addHeap(first);
    corHeaps::addHeap(second);
    corHeaps::addHeap(nullptr);
    EXPECT_EQ(corHeaps::count(), before + 2);
    EXPECT_TRUE(corHeaps::isRegistered(first));
    EXPECT_FALSE(corHeaps::isRegistered(nullptr));
    corHeaps::removeHeap(first);
    EXPECT_FALSE(corHeaps::isRegistered(first));
    EXPECT_TRUE(corHeaps::isRegistered(second));
    corHeaps::removeHeap(second);
    corHeaps::removeHeap(second);
    EXPECT_EQ(corHeaps::count(), before);
    HeapDestroy(first);
    HeapDestroy(second);
}

// Static objects may unregister their heaps at exit, after every function-local static made
// later than them is gone. The exit handler stands for such an object: registered before the
// registry is first used, it runs after the registry's own clean-up would.
TEST(corHeapsRegistryDeathTest, OutlivesStaticDestruction)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe"); // a fresh process: no registry yet
    static int storeHeap = 0;
    EXPECT_EXIT(
        {
            std::atexit(
                []
                {
                    const bool kept = corHeaps::isRegistered(&storeHeap);
                    corHeaps::removeHeap(&storeHeap);
                    std::_Exit(kept && !corHeaps::isRegistered(&storeHeap) ? 0 : 1);
                });
            corHeaps::addHeap(&storeHeap);
            std::exit(2);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
