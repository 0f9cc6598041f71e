#include "settings/settingsFileHeap.h"

#include "platform/heap.h"
#include "support/stubHeap.h"

#include <gtest/gtest.h>

TEST(settingsFileHeap, isRegisteredWhileItLivesAndFreesItsBlocks)
{
    const int before = corHeaps::count();
    HANDLE handle = nullptr;
    {
        settingsFileHeap heap;
        ASSERT_TRUE(heap.isValid());
        handle = heap.handle();
        EXPECT_TRUE(corHeaps::isRegistered(handle));
        EXPECT_EQ(corHeaps::count(), before + 1);
        void* const block = heap.allocate(100);
        ASSERT_NE(block, nullptr);
        void* const grown = heap.reallocate(block, 20000);
        ASSERT_NE(grown, nullptr);
        EXPECT_EQ(heapBlockCount(handle), 1u);
        // The block is left for the destructor, which must free it with the heap.
    }
    EXPECT_FALSE(corHeaps::isRegistered(handle));
    EXPECT_EQ(corHeaps::count(), before);
    EXPECT_EQ(HeapAlloc(handle, 0, 1), nullptr) << "the heap must be destroyed";
}

TEST(settingsFileHeap, loadSizeIsTheDefaultUpTo64KiBThenTheFileSizePlus4096)
{
    EXPECT_EQ(settingsFileHeap::initialSizeForLoad(0), 0x10000u);
    EXPECT_EQ(settingsFileHeap::initialSizeForLoad(65536), 0x10000u);
    EXPECT_EQ(settingsFileHeap::initialSizeForLoad(65537), 65537u + 4096u);
    EXPECT_EQ(settingsFileHeap::initialSizeForLoad(0xFFFFFFFFu), 0xFFFFFFFFull + 4096u);
}
