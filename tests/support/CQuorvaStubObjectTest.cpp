#include "tests/support/stubHeapFixture.h"

#include "support/CQuorvaStubObject.h"

#include <memory>

namespace
{

class derivedObject : public CQuorvaStubObject
{
public:
    explicit derivedObject(int& destroyed) : m_destroyed(destroyed) {}
    ~derivedObject() override { ++m_destroyed; }

private:
    int& m_destroyed;
    char m_payload[40] = {};
};

using CQuorvaStubObjectTest = stubHeapFixture;

TEST_F(CQuorvaStubObjectTest, LivesOnThePrivateHeapAndDiesThroughTheBase)
{
    int destroyed = 0;
    CQuorvaStubObject* const object = new derivedObject(destroyed);
    EXPECT_EQ(liveBlocks(), 1u);
    EXPECT_GE(HeapSize(getStubHeap(), 0, object), sizeof(derivedObject));
    delete object;
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(CQuorvaStubObjectTest, RefusedAllocationThrowsOrGivesNull)
{
    int destroyed = 0;
    failAfter(0);
    EXPECT_THROW(static_cast<void>(new derivedObject(destroyed)), std::bad_alloc);
    EXPECT_EQ(new (std::nothrow) derivedObject(destroyed), nullptr);
    failAfter(-1);
    std::unique_ptr<CQuorvaStubObject> object(new (std::nothrow) derivedObject(destroyed));
    EXPECT_NE(object, nullptr);
    object.reset();
    EXPECT_EQ(destroyed, 1);
}

} // namespace
