#include "tests/support/stubHeapFixture.h"

#include "support/hashEntryPool.h"

#include <cstdint>

namespace
{

struct sampleEntry
{
    sampleEntry* next;
    std::uint64_t payload[3];
};

using hashEntryPoolTest = stubHeapFixture;

TEST_F(hashEntryPoolTest, HandsOutABlockFromItsFirstEntryOn)
{
    hashEntryPool pool(3);
    auto* const first = static_cast<char*>(pool.take(sizeof(sampleEntry)));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(liveBlocks(), 1u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % alignof(std::max_align_t), 0u);
    EXPECT_EQ(static_cast<char*>(pool.take(sizeof(sampleEntry))), first + sizeof(sampleEntry));
    EXPECT_EQ(static_cast<char*>(pool.take(sizeof(sampleEntry))), first + 2 * sizeof(sampleEntry));
    EXPECT_EQ(liveBlocks(), 1u);
    void* const fourth = pool.take(sizeof(sampleEntry)); // a second block
    EXPECT_NE(fourth, nullptr);
    EXPECT_EQ(liveBlocks(), 2u);
    pool.releaseAll();
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(hashEntryPoolTest, ReusesGivenBackEntriesLastInFirstOut)
{
    hashEntryPool pool(2);
    void* const a = pool.take(sizeof(sampleEntry));
    void* const b = pool.take(sizeof(sampleEntry));
    pool.give(a);
    pool.give(b);
    EXPECT_EQ(pool.take(sizeof(sampleEntry)), b);
    EXPECT_EQ(pool.take(sizeof(sampleEntry)), a);
    EXPECT_EQ(liveBlocks(), 1u);
} // the destructor releases the block

TEST_F(hashEntryPoolTest, RefusedBlockGivesNullAndNothingChanges)
{
    hashEntryPool pool(0); // taken as 1
    EXPECT_EQ(pool.blockSize(), 1);
    failAfter(0);
    EXPECT_EQ(pool.take(sizeof(sampleEntry)), nullptr);
    EXPECT_FALSE(pool.hasBlocks());
    failAfter(-1);
    EXPECT_NE(pool.take(sizeof(sampleEntry)), nullptr);
    EXPECT_TRUE(pool.hasBlocks());
}

} // namespace
