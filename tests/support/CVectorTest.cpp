#include "tests/support/stubHeapFixture.h"

#include "support/CVector.h"

#include <memory>
#include <type_traits>
#include <vector>

namespace
{

static_assert(std::has_virtual_destructor_v<CVector<WCHAR*>>);
static_assert(std::is_polymorphic_v<CVector<DWORD>>);

// Sees the block, to check what the heap really holds for it.
template <class TYPE> class vectorProbe : public CVector<TYPE>
{
public:
    // The public setters refuse 0; a derived vector can still hold it.
    void forceZeroInitialSize() { this->m_initialSize = 0; }

    SIZE_T blockBytes() const
    {
        return this->m_elements == nullptr ? 0 : HeapSize(getStubHeap(), 0, this->m_elements);
    }
};

using CVectorTest = stubHeapFixture;

TEST_F(CVectorTest, StartsEmptyWithTheDefaultGrowth)
{
    const vectorProbe<DWORD> v;
    EXPECT_EQ(v.GetCount(), 0u);
    EXPECT_EQ(v.GetCapacity(), 0u);
    EXPECT_EQ(v.GetInitialSize(), 1u);
    EXPECT_EQ(v.GetGrowBy(), 1u);
    EXPECT_EQ(v.GetAt(0), 0u);
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(CVectorTest, DefaultGrowthIsOneElementAtATime)
{
    vectorProbe<DWORD> v;
    std::vector<DWORD> capacities;
    for (DWORD i = 0; i < 3; ++i)
    {
        ASSERT_EQ(v.Add(100 + i), 4);
        capacities.push_back(v.GetCapacity());
        EXPECT_EQ(v.blockBytes(), capacities.back() * sizeof(DWORD));
    }
    EXPECT_EQ(capacities, (std::vector<DWORD>{1, 2, 3}));
    EXPECT_EQ(liveBlocks(), 1u);
    for (DWORD i = 0; i < 3; ++i)
    {
        EXPECT_EQ(v.GetAt(i), 100 + i);
    }
}

TEST_F(CVectorTest, GrowthStepAppliesFromTheSecondBlock)
{
    vectorProbe<WCHAR*> v;
    v.SetGrowBy(8);
    std::vector<DWORD> capacities;
    WCHAR text[] = u"x";
    for (int i = 0; i < 11; ++i)
    {
        ASSERT_EQ(v.Add(text), 4);
        capacities.push_back(v.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<DWORD>{1, 9, 9, 9, 9, 9, 9, 9, 9, 17, 17}));
    EXPECT_EQ(v.blockBytes(), 17 * sizeof(WCHAR*));
}

TEST_F(CVectorTest, ZeroInitialSizeResetsBothSizesToOneOnTheFirstBlock)
{
    vectorProbe<DWORD> v;
    v.SetGrowBy(5);
    v.forceZeroInitialSize();
    ASSERT_EQ(v.Add(1), 4);
    EXPECT_EQ(v.GetInitialSize(), 1u);
    EXPECT_EQ(v.GetGrowBy(), 1u);
    EXPECT_EQ(v.GetCapacity(), 1u);
    EXPECT_EQ(v.blockBytes(), sizeof(DWORD));
    ASSERT_EQ(v.Add(2), 4);
    EXPECT_EQ(v.GetCapacity(), 2u); // grows by the reset step, not the 5 set before
}

TEST_F(CVectorTest, ZeroLeavesSizesUnchanged)
{
    CVector<DWORD> v;
    v.SetInitialSize(4);
    v.SetGrowBy(3);
    v.SetInitialSize(0);
    v.SetGrowBy(0);
    EXPECT_EQ(v.GetInitialSize(), 4u);
    EXPECT_EQ(v.GetGrowBy(), 3u);
    std::vector<DWORD> capacities;
    for (DWORD i = 0; i < 6; ++i)
    {
        v.Add(i);
        capacities.push_back(v.GetCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<DWORD>{4, 4, 4, 4, 7, 7}));
}

TEST_F(CVectorTest, GetAtAndSetAtBounds)
{
    CVector<DWORD> v;
    v.SetInitialSize(4);
    EXPECT_EQ(v.SetAt(0, 9), 0); // no block yet: capacity 0
    ASSERT_EQ(v.Add(7), 4);
    EXPECT_EQ(v.GetAt(1), 0u);   // index == count
    EXPECT_EQ(v.SetAt(4, 9), 0); // index == capacity
    EXPECT_EQ(v.GetCount(), 1u);

    EXPECT_EQ(v.SetAt(0, 8), 1); // inside count: replaces
    EXPECT_EQ(v.GetCount(), 1u);
    EXPECT_EQ(v.GetAt(0), 8u);

    EXPECT_EQ(v.SetAt(3, 5), 1); // beyond count: count follows, the gap is cleared
    EXPECT_EQ(v.GetCount(), 4u);
    EXPECT_EQ(v.GetAt(1), 0u);
    EXPECT_EQ(v.GetAt(2), 0u);
    EXPECT_EQ(v.GetAt(3), 5u);
    EXPECT_EQ(v.GetCapacity(), 4u);
}

TEST_F(CVectorTest, AddUnderRefusalLeavesTheVectorUnchanged)
{
    vectorProbe<DWORD> v;
    failAfter(0);
    EXPECT_EQ(v.Add(1), 7); // first block refused
    EXPECT_EQ(v.GetCount(), 0u);
    EXPECT_EQ(v.GetCapacity(), 0u);
    failAfter(-1);
    ASSERT_EQ(v.Add(1), 4);
    ASSERT_EQ(v.Add(2), 4);
    failAfter(0);
    EXPECT_EQ(v.Add(3), 7); // growth refused
    EXPECT_EQ(v.GetCount(), 2u);
    EXPECT_EQ(v.GetCapacity(), 2u);
    EXPECT_EQ(v.GetAt(0), 1u);
    EXPECT_EQ(v.GetAt(1), 2u);
    EXPECT_EQ(v.blockBytes(), 2 * sizeof(DWORD));
    failAfter(-1);
    EXPECT_EQ(v.Add(3), 4);
    EXPECT_EQ(v.GetAt(2), 3u);
}

TEST_F(CVectorTest, CapacityOverflowIsRefusedNotWrapped)
{
    CVector<DWORD> v;
    v.SetGrowBy(0xFFFFFFFFu);
    ASSERT_EQ(v.Add(1), 4);
    EXPECT_EQ(v.Add(2), 7);
    EXPECT_EQ(v.GetCapacity(), 1u);
    EXPECT_EQ(v.GetCount(), 1u);
}

TEST_F(CVectorTest, RemoveAllAndDestructionReleaseTheBlock)
{
    {
        CVector<DWORD> v;
        v.Add(1);
        v.Add(2);
        EXPECT_EQ(liveBlocks(), 1u);
        v.RemoveAll();
        EXPECT_EQ(liveBlocks(), 0u);
        EXPECT_EQ(v.GetCount(), 0u);
        EXPECT_EQ(v.GetCapacity(), 0u);
        EXPECT_EQ(v.GetAt(0), 0u);
        EXPECT_EQ(v.Add(3), 4); // usable again
        EXPECT_EQ(v.GetCapacity(), 1u);
    }
    EXPECT_EQ(liveBlocks(), 0u);
    std::unique_ptr<CVector<WCHAR*>> owned(new CVector<WCHAR*>);
    owned->Add(nullptr);
    owned.reset();
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(CVectorTest, GrowToReservesExactlyAndKeepsContents)
{
    vectorProbe<DWORD> v;
    ASSERT_EQ(v.GrowTo(5), 1);
    EXPECT_EQ(v.blockBytes(), 5 * sizeof(DWORD));
    v.Add(1);
    v.Add(2);
    EXPECT_EQ(v.GrowTo(3), 1); // not above: nothing changes
    EXPECT_EQ(v.GetCapacity(), 5u);
    failAfter(0);
    EXPECT_EQ(v.GrowTo(50), 0);
    EXPECT_EQ(v.GetCapacity(), 5u);
    failAfter(-1);
    ASSERT_EQ(v.GrowTo(50), 1);
    EXPECT_EQ(v.GetCount(), 2u);
    EXPECT_EQ(v.GetAt(1), 2u);
}

TEST_F(CVectorTest, WithoutTheHeapAddFails)
{
    withoutStubHeap(
        []
        {
            CVector<DWORD> v;
            EXPECT_EQ(v.Add(1), 7);
            EXPECT_EQ(v.GetCount(), 0u);
        });
    CVector<DWORD> v;
    ASSERT_EQ(v.Add(1), 4);
    destroyStubHeap(); // takes the block with it
    v.RemoveAll();     // must not free it again
    EXPECT_EQ(v.GetCount(), 0u);
    EXPECT_EQ(v.GetCapacity(), 0u);
    EXPECT_EQ(v.GetAt(0), 0u);
    createStubHeap();
}

} // namespace
