#include "tests/support/stubHeapFixture.h"

#include "support/CPersistStubStringArray.h"
#include "tests/support/refusingNew.h"

#include <string>

namespace
{

std::u16string at(const CVector<stubString*>& array, DWORD index)
{
    const stubString* const s = array.GetAt(index);
    return s == nullptr ? u"<null>" : std::u16string(s->c_str());
}

using CPersistStubStringArrayTest = stubHeapFixture;

TEST_F(CPersistStubStringArrayTest, AddCopiesTheTextAndNullBecomesEmpty)
{
    CPersistStubStringArray array;
    WCHAR source[] = u"debugHeap";
    ASSERT_EQ(array.Add(source), 4);
    ASSERT_EQ(array.Add(nullptr), 4);
    source[0] = u'X';
    EXPECT_EQ(array.GetCount(), 2u);
    EXPECT_EQ(at(array, 0), u"debugHeap");
    EXPECT_EQ(at(array, 1), u"");
    EXPECT_EQ(liveBlocks(), 3u); // the block and two strings
}

TEST_F(CPersistStubStringArrayTest, OwnsItsStringsUntilDeleteAllOrDestruction)
{
    {
        CPersistStubStringArray array;
        for (int i = 0; i < 5; ++i)
        {
            array.Add(u"a string longer than any small-string buffer");
        }
        EXPECT_EQ(liveBlocks(), 6u);
        array.DeleteAll();
        EXPECT_EQ(liveBlocks(), 0u);
        EXPECT_EQ(array.GetCount(), 0u);
        EXPECT_EQ(array.GetCapacity(), 0u);
        array.Add(u"again");
        const stubString* const taken = array.GetAt(0);
        array.SetAt(0, nullptr); // a null element is skipped by DeleteAll
        delete taken;
    }
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(CPersistStubStringArrayTest, AddUnderRefusalAddsNothingAndLeaksNothing)
{
    CPersistStubStringArray array;
    ASSERT_EQ(array.Add(u"first"), 4);
    const SIZE_T before = liveBlocks();
    const auto unchanged = [&](const std::string& what)
    {
        EXPECT_EQ(liveBlocks(), before) << what;
        EXPECT_EQ(array.GetCount(), 1u) << what;
        EXPECT_EQ(array.GetCapacity(), 1u) << what;
        EXPECT_EQ(at(array, 0), u"first") << what;
    };
    const WCHAR* const text = u"a second text, too long for the small-string buffer";

    failAfter(0); // the string itself is refused
    EXPECT_EQ(array.Add(text), 7);
    failAfter(1); // the string is made, the block cannot grow
    EXPECT_EQ(array.Add(text), 7);
    failAfter(-1);
    unchanged("private heap");

    // The text copy lives on the C++ heap: refuse each of its allocations in turn.
    for (long allowed = 0;; ++allowed)
    {
        ASSERT_LT(allowed, 32) << "never succeeded";
        const int result = refusingNew::call(
            allowed, [&] { return array.Add(text); }, -1);
        if (result == 4)
        {
            EXPECT_GT(allowed, 0) << "nothing was refused";
            break;
        }
        EXPECT_EQ(result, 7) << "-1: it threw";
        unchanged("C++ heap allowing " + std::to_string(allowed));
    }
}

TEST_F(CPersistStubStringArrayTest, FindIgnoresCaseAndSkipsNulls)
{
    CPersistStubStringArray array;
    array.SetInitialSize(4);
    array.Add(u"Alpha");
    array.Add(u"beta");
    array.SetAt(3, nullptr);
    array.SetAt(2, nullptr);
    array.Add(u"BETA");
    array.Add(u"");
    EXPECT_EQ(array.Find(u"ALPHA"), 0);
    EXPECT_EQ(array.Find(u"Beta"), 1); // the first of two
    EXPECT_EQ(array.Find(u"gamma"), -1);
    EXPECT_EQ(array.Find(nullptr), 5); // null matches the empty string, not a null element
    EXPECT_TRUE(array.Contains(u"alpha"));
    EXPECT_FALSE(array.Contains(u"alph"));
}

TEST_F(CPersistStubStringArrayTest, CopyMakesIndependentStringsAndReplacesOldOnes)
{
    CPersistStubStringArray source;
    source.Add(u"one");
    source.Add(u"two");
    CVector<stubString*>& base = source;
    base.Add(nullptr);

    CPersistStubStringArray target;
    target.Add(u"old");
    ASSERT_EQ(target.Copy(source), 1);
    ASSERT_EQ(target.GetCount(), 3u);
    EXPECT_EQ(at(target, 0), u"one");
    EXPECT_EQ(at(target, 1), u"two");
    EXPECT_EQ(at(target, 2), u"<null>");
    EXPECT_NE(target.GetAt(0), source.GetAt(0));

    *source.GetAt(0) = u"changed";
    EXPECT_EQ(at(target, 0), u"one");

    EXPECT_EQ(target.Copy(target), 1); // from itself: unchanged
    EXPECT_EQ(at(target, 1), u"two");
    EXPECT_EQ(target.GetCount(), 3u);
}

TEST_F(CPersistStubStringArrayTest, CopyUnderRefusalReportsFailure)
{
    CPersistStubStringArray source;
    source.Add(u"one");
    source.Add(u"two");
    CPersistStubStringArray target;
    failAfter(3); // string, block, string; the block cannot grow for the second
    EXPECT_EQ(target.Copy(source), 0);
    failAfter(-1);
    EXPECT_EQ(target.GetCount(), 1u);
    EXPECT_EQ(at(target, 0), u"one");
}

} // namespace
