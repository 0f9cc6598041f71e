#include "tests/support/stubHeapFixture.h"

#include "support/hashTable.h"

#include <cstdint>
#include <vector>

namespace
{

void* key(std::uintptr_t value)
{
    return reinterpret_cast<void*>(value);
}

std::vector<std::uintptr_t> keysInOrder(const hashTable& table)
{
    std::vector<std::uintptr_t> keys;
    void* k = nullptr;
    void* v = nullptr;
    for (POSITION p = table.GetStartPosition(); p != nullptr;)
    {
        table.GetNextAssoc(p, k, v);
        keys.push_back(reinterpret_cast<std::uintptr_t>(k));
    }
    return keys;
}

using hashTableTest = stubHeapFixture;

TEST_F(hashTableTest, StartPositionIsAllBitsSetOnlyWhenNonEmpty)
{
    hashTable table;
    EXPECT_EQ(table.GetStartPosition(), nullptr);
    table.SetAt(key(0x10), nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(table.GetStartPosition()), ~std::uintptr_t{0});
    table.RemoveKey(key(0x10));
    EXPECT_EQ(table.GetStartPosition(), nullptr);
}

TEST_F(hashTableTest, BucketIsLow32BitsShiftedByFour)
{
    hashTable table(10);
    // Buckets: 0x10 -> 1, 0x0F -> 0, 0x110 -> 0x11 % 17 = 0, 0x1'0000'0020 -> 2 (high bits
    // dropped), 0x120 -> 1.
    for (std::uintptr_t k : {0x10u, 0x0Fu, 0x110u, 0x120u})
    {
        ASSERT_TRUE(table.SetAt(key(k), key(k + 1)));
    }
    if constexpr (sizeof(void*) == 8)
    {
        ASSERT_TRUE(table.SetAt(key(std::uintptr_t{1} << 32 | 0x20), nullptr));
    }
    std::vector<std::uintptr_t> expected{0x110, 0x0F, 0x120, 0x10};
    if constexpr (sizeof(void*) == 8)
    {
        expected.push_back(std::uintptr_t{1} << 32 | 0x20);
    }
    EXPECT_EQ(keysInOrder(table), expected);
}

TEST_F(hashTableTest, LookupReplaceRemove)
{
    hashTable table(2);
    void* value = key(99);
    EXPECT_FALSE(table.Lookup(key(0x10), value));
    EXPECT_EQ(value, key(99));
    table.SetAt(key(0x10), key(1));
    table.SetAt(key(0x120), key(2)); // same bucket
    table.SetAt(key(0x10), key(3));
    EXPECT_EQ(table.GetCount(), 2);
    ASSERT_TRUE(table.Lookup(key(0x10), value));
    EXPECT_EQ(value, key(3));
    EXPECT_TRUE(table.RemoveKey(key(0x10)));
    EXPECT_FALSE(table.Lookup(key(0x10), value));
    ASSERT_TRUE(table.Lookup(key(0x120), value));
    EXPECT_EQ(value, key(2));
    EXPECT_EQ(liveBlocks(), 2u);
    EXPECT_TRUE(table.RemoveKey(key(0x120)));
    EXPECT_EQ(liveBlocks(), 0u); // the last key takes buckets and blocks with it
    EXPECT_FALSE(table.RemoveKey(key(0x120)));
    EXPECT_TRUE(table.SetAt(nullptr, nullptr)); // a null key is a key like any other
    EXPECT_EQ(liveBlocks(), 2u);
}

TEST_F(hashTableTest, RefusedMemoryFailsTheInsertionCleanly)
{
    hashTable table(1);
    failAfter(1);
    EXPECT_FALSE(table.SetAt(key(1), key(1)));
    EXPECT_EQ(liveBlocks(), 0u);
    failAfter(-1);
    EXPECT_TRUE(table.SetAt(key(1), key(1)));
    failAfter(0);
    EXPECT_FALSE(table.SetAt(key(2), key(2)));
    EXPECT_TRUE(table.SetAt(key(1), key(5)));
    failAfter(-1);
    EXPECT_EQ(keysInOrder(table), (std::vector<std::uintptr_t>{1}));
}

TEST_F(hashTableTest, InitHashTableOnlyForAnEmptyTable)
{
    hashTable table;
    EXPECT_FALSE(table.InitHashTable(0));
    EXPECT_TRUE(table.InitHashTable(3));
    EXPECT_EQ(liveBlocks(), 1u);
    table.SetAt(key(0x20), nullptr); // bucket 2
    table.SetAt(key(0x30), nullptr); // bucket 0
    EXPECT_FALSE(table.InitHashTable(5));
    EXPECT_EQ(keysInOrder(table), (std::vector<std::uintptr_t>{0x30, 0x20}));
}

TEST_F(hashTableTest, WithoutTheHeapTheTableForgetsItsMemory)
{
    withoutStubHeap(
        []
        {
            hashTable table;
            EXPECT_FALSE(table.SetAt(key(0x10), key(1)));
            EXPECT_EQ(table.GetCount(), 0);
        });
    hashTable table;
    ASSERT_TRUE(table.SetAt(key(0x10), key(1)));
    destroyStubHeap(); // takes buckets and blocks with it
    table.RemoveAll(); // must not touch them
    EXPECT_EQ(table.GetCount(), 0);
    void* value = nullptr;
    EXPECT_FALSE(table.Lookup(key(0x10), value));
    createStubHeap();
}

} // namespace
