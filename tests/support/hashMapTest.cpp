#include "tests/support/stubHeapFixture.h"

#include "support/hashMap.h"
#include "tests/support/refusingNew.h"
#include <reZevavEvadurov/stubString.h>

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace
{

// Counts its lifetimes so that every construction can be matched with a destruction.
struct countedValue
{
    static inline int constructed = 0;
    static inline int destroyed = 0;
    static int live() { return constructed - destroyed; }

    countedValue() { ++constructed; }
    countedValue(int v) : value(v) // made from the map's argument type
    {
        if (v < 0)
        {
            throw std::runtime_error("refused");
        }
        ++constructed;
    }
    countedValue(const countedValue& other) : value(other.value) { ++constructed; }
    countedValue& operator=(const countedValue&) = default;
    ~countedValue() { ++destroyed; }

    int value = 0;
};

using nameSet = hashMap<stubString, const WCHAR*, stubString, const WCHAR*>;
using pairMap = hashMap<stubString, const WCHAR*, DWORD, DWORD>;
using countedMap = hashMap<stubString, const WCHAR*, countedValue, int>;

template <class MAP> std::vector<std::u16string> keysInOrder(const MAP& map)
{
    std::vector<std::u16string> keys;
    stubString key;
    typename std::remove_cvref_t<decltype(std::declval<MAP&>()[u""])> value{};
    for (POSITION p = map.GetStartPosition(); p != nullptr;)
    {
        map.GetNextAssoc(p, key, value);
        keys.emplace_back(key.c_str());
    }
    return keys;
}

class hashMapTest : public stubHeapFixture
{
protected:
    void SetUp() override
    {
        stubHeapFixture::SetUp();
        m_liveBefore = countedValue::live();
    }
    void TearDown() override
    {
        EXPECT_EQ(countedValue::live(), m_liveBefore) << "values not destroyed";
        stubHeapFixture::TearDown();
    }

private:
    int m_liveBefore = 0;
};

TEST_F(hashMapTest, IteratesBucketsUpwardsWithNewestFirstInAChain)
{
    nameSet names(10);
    // "[P]SS0".."[P]SS4" hash to buckets 12..16, "[P]SS5" to bucket 0.
    for (const char16_t* name : {u"[P]SS0", u"[P]SS1", u"[P]SS2", u"[P]SS3", u"[P]SS4", u"[P]SS5"})
    {
        ASSERT_TRUE(names.SetAt(name, name));
    }
    EXPECT_EQ(keysInOrder(names), (std::vector<std::u16string>{u"[P]SS5", u"[P]SS0", u"[P]SS1",
                                                               u"[P]SS2", u"[P]SS3", u"[P]SS4"}));
    EXPECT_EQ(names.GetCount(), 6);

    nameSet chain(10);
    // "ab", "bc" and "cd" share bucket 1; "" is bucket 0 and "a" bucket 12.
    for (const char16_t* name : {u"a", u"ab", u"bc", u"", u"cd"})
    {
        chain.SetAt(name, name);
    }
    EXPECT_EQ(keysInOrder(chain), (std::vector<std::u16string>{u"", u"cd", u"bc", u"ab", u"a"}));
}

TEST_F(hashMapTest, IterationHandsOutKeyAndValue)
{
    pairMap pairs;
    EXPECT_EQ(pairs.GetStartPosition(), nullptr);
    pairs.SetAt(u"ab", 7);
    POSITION p = pairs.GetStartPosition();
    EXPECT_EQ(p, BEFORE_START_POSITION);
    stubString key;
    DWORD value = 0;
    pairs.GetNextAssoc(p, key, value);
    EXPECT_TRUE(key == u"ab");
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(p, nullptr);
    pairs.GetNextAssoc(p, key, value); // past the end: untouched
    EXPECT_EQ(value, 7u);
}

TEST_F(hashMapTest, LookupSetAtAndSubscript)
{
    pairMap pairs;
    DWORD value = 99;
    EXPECT_FALSE(pairs.Lookup(u"x", value));
    EXPECT_EQ(value, 99u);

    EXPECT_EQ(pairs[u"x"], 0u); // inserted, value-initialised
    pairs[u"x"] += 5;
    pairs[u"y"] = 1;
    EXPECT_TRUE(pairs.SetAt(u"y", 2)); // replaces
    EXPECT_EQ(pairs.GetCount(), 2);
    ASSERT_TRUE(pairs.Lookup(u"x", value));
    EXPECT_EQ(value, 5u);
    ASSERT_TRUE(pairs.Lookup(u"y", value));
    EXPECT_EQ(value, 2u);
    EXPECT_FALSE(pairs.Lookup(u"X", value)); // case-sensitive

    nameSet names;
    EXPECT_TRUE(names[u"new"].IsEmpty());
    names[u"new"] = u"text";
    stubString text;
    ASSERT_TRUE(names.Lookup(u"new", text));
    EXPECT_TRUE(text == u"text");
    names.SetAt(nullptr, u"null key is the empty string");
    ASSERT_TRUE(names.Lookup(u"", text));
    EXPECT_TRUE(text == u"null key is the empty string");
}

TEST_F(hashMapTest, EntriesAreConstructedAndDestroyedExactlyOnce)
{
    const int before = countedValue::live();
    {
        countedMap map(4);
        const int spare = countedValue::live() - before;
        for (int i = 0; i < 10; ++i)
        {
            const std::u16string key = u"key number " + std::u16string(1, u'0' + i);
            map.SetAt(key.c_str(), i);
        }
        EXPECT_EQ(countedValue::live() - before - spare, 10);
        map.SetAt(u"key number 3", 33); // replacement assigns, constructs nothing
        map[u"key number 4"].value = 44;
        EXPECT_EQ(countedValue::live() - before - spare, 10);
        EXPECT_TRUE(map.RemoveKey(u"key number 5"));
        EXPECT_FALSE(map.RemoveKey(u"key number 5"));
        EXPECT_EQ(countedValue::live() - before - spare, 9);
        countedValue found;
        ASSERT_TRUE(map.Lookup(u"key number 3", found));
        EXPECT_EQ(found.value, 33);
    }
    EXPECT_EQ(countedValue::live(), before);
}

TEST_F(hashMapTest, ThrowingValueLeavesTheMapUnchanged)
{
    countedMap map;
    EXPECT_THROW(map.SetAt(u"first", -1), std::runtime_error);
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_EQ(liveBlocks(), 0u); // an empty map keeps nothing
    map.SetAt(u"kept", 1);
    EXPECT_THROW(map.SetAt(u"second", -1), std::runtime_error);
    EXPECT_EQ(map.GetCount(), 1);
    EXPECT_EQ(keysInOrder(map), (std::vector<std::u16string>{u"kept"}));
}

TEST_F(hashMapTest, RemovingTheLastKeyReleasesEverything)
{
    nameSet names(2);
    names.SetAt(u"ab", u"ab");
    names.SetAt(u"bc", u"bc");
    names.SetAt(u"a", u"a");
    EXPECT_EQ(liveBlocks(), 3u);         // bucket array and two blocks of two entries
    EXPECT_TRUE(names.RemoveKey(u"ab")); // tail of bucket 1's chain
    EXPECT_EQ(keysInOrder(names), (std::vector<std::u16string>{u"bc", u"a"}));
    names.SetAt(u"cd", u"cd"); // reuses the freed entry
    EXPECT_EQ(liveBlocks(), 3u);
    EXPECT_TRUE(names.RemoveKey(u"cd"));
    EXPECT_TRUE(names.RemoveKey(u"a"));
    EXPECT_TRUE(names.RemoveKey(u"bc"));
    EXPECT_TRUE(names.IsEmpty());
    EXPECT_EQ(liveBlocks(), 0u);
    EXPECT_EQ(names.GetStartPosition(), nullptr);
    names.SetAt(u"again", u"again");
    EXPECT_EQ(liveBlocks(), 2u);
    names.RemoveAll();
    EXPECT_EQ(liveBlocks(), 0u);
    EXPECT_EQ(names.GetCount(), 0);
    EXPECT_FALSE(names.RemoveKey(u"again"));
}

TEST_F(hashMapTest, RefusedMemoryFailsTheInsertionCleanly)
{
    pairMap pairs;
    failAfter(0); // no bucket array
    EXPECT_FALSE(pairs.SetAt(u"a", 1));
    failAfter(1); // bucket array, but no entry block
    EXPECT_FALSE(pairs.SetAt(u"a", 1));
    EXPECT_EQ(liveBlocks(), 0u);

    failAfter(0);
    DWORD& spare = pairs[u"b"];
    EXPECT_EQ(spare, 0u);
    spare = 42; // lands nowhere
    EXPECT_EQ(pairs[u"c"], 0u);
    EXPECT_EQ(pairs.GetCount(), 0);
    DWORD value = 0;
    EXPECT_FALSE(pairs.Lookup(u"b", value));

    failAfter(-1);
    pairs.InitHashTable(17);
    pairs.SetAt(u"a", 1); // one block of ten entries
    failAfter(0);
    EXPECT_TRUE(pairs.SetAt(u"a", 2)); // replacing needs no memory
    EXPECT_TRUE(pairs.SetAt(u"b", 3)); // the block still has free entries
    failAfter(-1);
    EXPECT_EQ(pairs.GetCount(), 2);
}

// Keys and values copy their text onto the C++ heap: each of those allocations is refused in
// turn, and every refusal must come back as the documented result with the map unchanged.
TEST_F(hashMapTest, RefusedTextCopiesFailAsResultsLeavingTheMapUnchanged)
{
    const WCHAR* const key = u"a new key, too long for the small-string buffer";
    const WCHAR* const value = u"a new value, too long for the small-string buffer";
    struct operation
    {
        const char* name;
        std::function<int(nameSet&)> run; // 1 done, 0 refused
    };
    const operation operations[] = {
        {"SetAt of a new key", [&](nameSet& m) { return m.SetAt(key, value) != FALSE ? 1 : 0; }},
        {"SetAt of a present key",
         [&](nameSet& m) { return m.SetAt(u"kept", value) != FALSE ? 1 : 0; }},
        {"operator[] of a new key",
         [&](nameSet& m) { return m[key].IsEmpty() && m.GetCount() == 2 ? 1 : 0; }},
    };
    for (const operation& op : operations)
    {
        nameSet names;
        ASSERT_TRUE(names.SetAt(u"kept", u"kept value"));
        const SIZE_T before = liveBlocks();
        for (long allowed = 0;; ++allowed)
        {
            ASSERT_LT(allowed, 32) << op.name << " never succeeded";
            const int result = refusingNew::call(
                allowed, [&] { return op.run(names); }, -1);
            if (result == 1)
            {
                EXPECT_GT(allowed, 0) << op.name << ": nothing was refused";
                break;
            }
            EXPECT_EQ(result, 0) << op.name << " (-1: it threw), allowing " << allowed;
            stubString kept;
            EXPECT_TRUE(names.Lookup(u"kept", kept) && kept == u"kept value") << op.name;
            EXPECT_EQ(keysInOrder(names), (std::vector<std::u16string>{u"kept"})) << op.name;
            EXPECT_EQ(liveBlocks(), before) << op.name;
        }
    }
}

TEST_F(hashMapTest, FullBlockRefusalKeepsExistingEntries)
{
    nameSet names(1);
    names.SetAt(u"one", u"1");
    failAfter(0);
    EXPECT_FALSE(names.SetAt(u"two", u"2"));
    EXPECT_TRUE(names[u"three"].IsEmpty());
    failAfter(-1);
    EXPECT_EQ(keysInOrder(names), (std::vector<std::u16string>{u"one"}));
    EXPECT_EQ(liveBlocks(), 2u);
}

TEST_F(hashMapTest, InitHashTableOnlyForAnEmptyMap)
{
    nameSet names;
    EXPECT_FALSE(names.InitHashTable(0));
    EXPECT_TRUE(names.InitHashTable(7, FALSE));
    EXPECT_EQ(liveBlocks(), 0u);
    EXPECT_EQ(names.GetHashTableSize(), 7u);
    // With 7 buckets "[P]SS5" (6) comes after "[P]SS0" (1) and "ab" (2).
    names.SetAt(u"[P]SS5", u"");
    names.SetAt(u"ab", u"");
    names.SetAt(u"[P]SS0", u"");
    EXPECT_EQ(keysInOrder(names), (std::vector<std::u16string>{u"[P]SS0", u"ab", u"[P]SS5"}));
    EXPECT_FALSE(names.InitHashTable(17)); // would orphan the entries
    EXPECT_EQ(names.GetHashTableSize(), 7u);
    EXPECT_EQ(names.GetCount(), 3);
}

TEST_F(hashMapTest, HeapAllocatedMapReleasesThroughTheBase)
{
    const int before = countedValue::live();
    std::unique_ptr<CQuorvaStubObject> object;
    {
        auto* const map = new countedMap(3);
        map->SetAt(u"a value in a block", 1);
        map->SetAt(u"another", 2);
        object.reset(map);
    }
    EXPECT_EQ(liveBlocks(), 3u); // the map object, its buckets and one block
    object.reset();
    EXPECT_EQ(countedValue::live(), before);
}

TEST_F(hashMapTest, WithoutTheHeapTheMapForgetsItsBlocks)
{
    withoutStubHeap(
        []
        {
            pairMap pairs;
            EXPECT_FALSE(pairs.SetAt(u"a", 1));
        });
    ASSERT_EQ(liveBlocks(), 0u);
    std::optional<pairMap> pairs; // not `new`: that would put the map itself on the heap
    pairs.emplace();
    pairs->SetAt(u"k", 1);
    destroyStubHeap(); // takes the blocks with it
    pairs.reset();     // must not touch them
    createStubHeap();
}

} // namespace
