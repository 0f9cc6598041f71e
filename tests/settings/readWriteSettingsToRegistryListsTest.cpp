#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include "support/CPersistStubStringArray.h"
#include "support/CVector.h"
#include "support/hashMap.h"
#include "support/logFile.h"
#include "tests/settings/registryStoreFixture.h"
#include <reZevavEvadurov/stubString.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace
{
using readWriteSettingsToRegistryListsTest = registryStoreFixture;

std::u16string w(const std::string& ascii)
{
    return std::u16string(ascii.begin(), ascii.end());
}

std::vector<std::string> namesOf(settingsNameSet& names)
{
    std::vector<std::string> out;
    POSITION position = names.GetStartPosition();
    while (position != nullptr)
    {
        stubString key;
        stubString value;
        names.GetNextAssoc(position, key, value);
        EXPECT_TRUE(key == value);
        out.push_back(wideText::toUtf8(key.c_str()));
    }
    return out;
}

std::map<std::string, DWORD> pairsOf(settingsPairMap& pairs)
{
    std::map<std::string, DWORD> out;
    POSITION position = pairs.GetStartPosition();
    while (position != nullptr)
    {
        stubString key;
        DWORD value = 0;
        pairs.GetNextAssoc(position, key, value);
        out[wideText::toUtf8(key.c_str())] = value;
    }
    return out;
}

std::vector<std::string> stringsOf(const CPersistStubStringArray& array)
{
    std::vector<std::string> out;
    for (DWORD i = 0; i < array.GetCount(); ++i)
    {
        out.push_back(wideText::toUtf8(array.GetAt(i)->c_str()));
    }
    return out;
}

TEST_F(readWriteSettingsToRegistryListsTest, ValueNamesMatchThePrefixExactly)
{
    setDword(u"[P]I1", 1);
    setDword(u"[p]I2", 2);
    setDword(u"[P]I10", 3);
    setDword(u"[P]S1", 4);
    setSz(u"[P]Ilong", repeatW(u'x', 259));              // 520 bytes: the largest data listed
    setSz(u"[P]Ihuge", repeatW(u'x', 260));              // 522 bytes: skipped
    setDword((u"[P]I" + repeatW(u'n', 255)).c_str(), 5); // 259 characters: listed
    setDword((u"[P]I" + repeatW(u'm', 256)).c_str(), 6); // 260 characters: skipped
    settingsNameSet names(10);
    names[u"kept"] = u"kept";

    EXPECT_EQ(store.getValueNames(nullptr, names), 0);
    EXPECT_EQ(names.GetCount(), 1);
    EXPECT_EQ(store.getValueNames(u"[P]I", names), 1);
    std::vector<std::string> found = namesOf(names);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"[P]I1", "[P]I10", "[P]Ilong",
                                               "[P]I" + repeat('n', 255), "kept"}));

    readWriteSettingsToRegistry noKey;
    settingsNameSet none(10);
    EXPECT_EQ(noKey.getValueNames(u"[P]", none), 1);
    EXPECT_EQ(none.GetCount(), 0);
}

TEST_F(readWriteSettingsToRegistryListsTest, IntegerArrayReadFillsTheNumberedElements)
{
    setDword(u"[P]I0", 5);
    setDword(u"[P]I2", 7);
    setDword(u"[Q]I0", 99);
    settingsIntegerArray array;
    EXPECT_EQ(store.readIntegerArray(array, u"P"), 1);
    ASSERT_EQ(array.GetCount(), 3u);
    EXPECT_EQ(array.GetAt(0), 5u);
    EXPECT_EQ(array.GetAt(2), 7u);
    EXPECT_EQ(store.readIntegerArray(array, nullptr), 0);
}

TEST_F(readWriteSettingsToRegistryListsTest, IntegerArrayReadKeepsTheElementsItDoesNotFind)
{
    settingsIntegerArray array;
    for (DWORD v : {1u, 2u, 3u, 4u})
    {
        ASSERT_EQ(array.Add(v), 4);
    }
    setDword(u"[P]I0", 9);
    EXPECT_EQ(store.readIntegerArray(array, u"P"), 1);
    ASSERT_EQ(array.GetCount(), 4u);
    EXPECT_EQ(array.GetAt(0), 9u);
    EXPECT_EQ(array.GetAt(1), 2u);
    EXPECT_EQ(array.GetAt(3), 4u);
}

TEST_F(readWriteSettingsToRegistryListsTest, IntegerItemNumbersAreReadAsWcstolReadsThem)
{
    setDword(u"[P]Ix", 10);           // no digits: element 0
    setDword(u"[P]I-1", 11);          // negative: skipped
    setDword(u"[P]I+3", 13);          // sign taken
    setDword(u"[P]I 4tail", 14);      // leading blank and trailing text
    setDword(u"[P]I99999999999", 15); // overflow: clamped, far beyond any array
    setDword(u"[P]I2147483647", 16);
    const WORD shortValue = 0x1234;
    setRaw(u"[P]I5", REG_DWORD, &shortValue, 2); // fills the low bytes of a zeroed value
    setSz(u"[P]I6", u"not a number");            // 26 bytes: too long for a DWORD read
    settingsIntegerArray array;
    EXPECT_EQ(store.readIntegerArray(array, u"P"), 1);
    ASSERT_EQ(array.GetCount(), 6u);
    EXPECT_EQ(array.GetAt(0), 10u);
    EXPECT_EQ(array.GetAt(3), 13u);
    EXPECT_EQ(array.GetAt(4), 14u);
    EXPECT_EQ(array.GetAt(5), 0x1234u);
    EXPECT_LT(array.GetCapacity(), 100u) << "a stray huge number must not size the array";
}

// Capacity grows by the array's own step, or straight to what an item needs.
TEST_F(readWriteSettingsToRegistryListsTest, IntegerArrayReadGrowsInTheArraysSteps)
{
    setDword(u"[P]I5", 1);
    settingsIntegerArray byOne;
    EXPECT_EQ(store.readIntegerArray(byOne, u"P"), 1);
    EXPECT_EQ(byOne.GetCapacity(), 6u);
    EXPECT_EQ(byOne.GetCount(), 6u);

    settingsIntegerArray byEight;
    byEight.SetGrowBy(8);
    EXPECT_EQ(store.readIntegerArray(byEight, u"P"), 1);
    EXPECT_EQ(byEight.GetCapacity(), 8u);

    setDword(u"[Q]I7", 1); // index + 1 equal to the capacity still grows by a step
    settingsIntegerArray atEdge;
    atEdge.SetGrowBy(8);
    EXPECT_EQ(store.readIntegerArray(atEdge, u"Q"), 1);
    EXPECT_EQ(atEdge.GetCapacity(), 16u);
    EXPECT_EQ(atEdge.GetCount(), 8u);
    EXPECT_EQ(atEdge.GetAt(7), 1u);
}

TEST_F(readWriteSettingsToRegistryListsTest, IntegerArrayReadSurvivesAFailedGrowth)
{
    setDword(u"[P]I0", 1);
    setDword(u"[P]I40", 2);
    settingsIntegerArray array;
    ASSERT_EQ(array.Add(7), 4);
    failAfter(2); // the name set's bucket array and first entry block, then nothing
    EXPECT_EQ(store.readIntegerArray(array, u"P"), 1);
    failAfter(-1);
    EXPECT_EQ(array.GetCapacity(), 1u);
    ASSERT_EQ(array.GetCount(), 1u);
    EXPECT_EQ(array.GetAt(0), 1u) << "an item that fits is still read";
}

TEST_F(readWriteSettingsToRegistryListsTest, IntegerArrayWriteNumbersFromZeroAndLeavesTheRest)
{
    setDword(u"[P]I5", 55);
    settingsIntegerArray array;
    for (DWORD v : {10u, 20u, 30u})
    {
        ASSERT_EQ(array.Add(v), 4);
    }
    EXPECT_EQ(store.writeIntegerArray(nullptr, array, u"P"), 1);
    for (DWORD i = 0; i < 3; ++i)
    {
        const rawValue value = raw(w("[P]I" + std::to_string(i)).c_str());
        EXPECT_EQ(value.type, REG_DWORD);
        const DWORD expected = 10 * (i + 1);
        EXPECT_EQ(value.bytes, bytesOf(&expected, 4));
    }
    EXPECT_TRUE(exists(u"[P]I5"));

    settingsIntegerArray eleven;
    for (DWORD v = 0; v < 11; ++v)
    {
        ASSERT_EQ(eleven.Add(100 + v), 4);
    }
    EXPECT_EQ(store.writeIntegerArray(nullptr, eleven, u"T"), 1);
    const DWORD tenth = 110;
    EXPECT_EQ(raw(u"[T]I10").bytes, bytesOf(&tenth, 4)) << "decimal, no leading zeros";

    settingsIntegerArray empty;
    EXPECT_EQ(store.writeIntegerArray(nullptr, empty, u"E"), 1);
    settingsNameSet names(10);
    store.getValueNames(u"[E]", names);
    EXPECT_EQ(names.GetCount(), 0);
}

TEST_F(readWriteSettingsToRegistryListsTest, IntegerArrayWriteReportsEachFailedItem)
{
    settingsIntegerArray array;
    ASSERT_EQ(array.Add(1), 4);
    ASSERT_EQ(array.Add(2), 4);
    store.setKey(readOnlyKey());
    const std::u16string log = logPath();
    {
        const loggingOn logging;
        EXPECT_EQ(store.writeIntegerArray(log.c_str(), array, u"P"), 1);
    }
    const std::string text = logText();
    EXPECT_NE(text.find(" : set value : [P]I0"), std::string::npos) << text;
    EXPECT_NE(text.find(" : set value : [P]I1"), std::string::npos) << text;
}

TEST_F(readWriteSettingsToRegistryListsTest, StringArrayReadsBackInBucketOrder)
{
    for (int i = 0; i < 6; ++i)
    {
        setSz(w("[P]SS" + std::to_string(i)).c_str(), w("item" + std::to_string(i)));
    }
    setSz(u"[P]SS9", repeatW(u'y', 300)); // too large to be listed
    CPersistStubStringArray array;
    ASSERT_EQ(array.Add(u"already"), 4);
    EXPECT_EQ(store.readStringArray(array, u"P"), 1);
    EXPECT_EQ(stringsOf(array), (std::vector<std::string>{"already", "item5", "item0", "item1",
                                                          "item2", "item3", "item4"}));
}

TEST_F(readWriteSettingsToRegistryListsTest, StringArrayWriteSkipsNullItemsAndTheirNumbers)
{
    stubString a(u"alpha");
    stubString b(u"");
    CVector<stubString*> array;
    ASSERT_EQ(array.Add(&a), 4);
    ASSERT_EQ(array.Add(nullptr), 4);
    ASSERT_EQ(array.Add(&b), 4);
    EXPECT_EQ(store.writeStringArray(nullptr, array, u"P"), 1);
    EXPECT_EQ(raw(u"[P]SS0").bytes, wideBytes(u"alpha"));
    EXPECT_FALSE(exists(u"[P]SS1"));
    EXPECT_EQ(raw(u"[P]SS2").type, REG_SZ);
    EXPECT_EQ(raw(u"[P]SS2").bytes, wideBytes(u""));

    CVector<stubString*> empty;
    EXPECT_EQ(store.writeStringArray(nullptr, empty, u"P"), 1);
    readWriteSettingsToRegistry noKey;
    EXPECT_EQ(noKey.writeStringArray(nullptr, empty, u"P"), 1);
    EXPECT_EQ(noKey.writeStringArray(nullptr, array, u"P"), 0);
    store.setKey(readOnlyKey());
    EXPECT_EQ(store.writeStringArray(nullptr, array, u"P"), 0);
}

// Item 10 of this prefix needs 261 characters; cut to 260 it would land on item 1.
TEST_F(readWriteSettingsToRegistryListsTest, ItemNamesTooLongAreNeitherWrittenNorCut)
{
    std::u16string stem = u"[";
    stem += repeatW(u'p', 255);
    stem += u"]SS";
    stubString first(u"first");
    stubString last(u"last");
    CVector<stubString*> array;
    for (int i = 0; i < 10; ++i)
    {
        ASSERT_EQ(array.Add(&first), 4);
    }
    ASSERT_EQ(array.Add(&last), 4);
    EXPECT_EQ(store.writeStringArray(nullptr, array, repeatW(u'p', 255).c_str()), 0);
    EXPECT_EQ(raw((stem + u"1").c_str()).bytes, wideBytes(u"first"));
    EXPECT_TRUE(exists((stem + u"9").c_str()));
}

TEST_F(readWriteSettingsToRegistryListsTest, DeletionsRemoveOnlyTheNumberedItemsBelowCount)
{
    for (const char* stem : {"SS", "S", "I"})
    {
        for (int n = 0; n < 4; ++n)
        {
            setDword(w(std::string("[P]") + stem + std::to_string(n)).c_str(), 1);
            setDword(w(std::string("[Q]") + stem + std::to_string(n)).c_str(), 1);
        }
    }
    EXPECT_EQ(store.deleteAllItems(u"P", 3), 1);
    for (const char* stem : {"SS", "S", "I"})
    {
        EXPECT_FALSE(exists(w(std::string("[P]") + stem + "2").c_str())) << stem;
        EXPECT_TRUE(exists(w(std::string("[P]") + stem + "3").c_str())) << stem;
    }
    EXPECT_EQ(store.deleteStringArray(u"Q", 1), 1);
    EXPECT_EQ(store.deletePairNames(u"Q", 2), 1);
    EXPECT_EQ(store.deleteIntegerArray(nullptr, u"Q", 3), 1);
    EXPECT_FALSE(exists(u"[Q]SS0"));
    EXPECT_TRUE(exists(u"[Q]SS1"));
    EXPECT_FALSE(exists(u"[Q]S1"));
    EXPECT_TRUE(exists(u"[Q]S2"));
    EXPECT_FALSE(exists(u"[Q]I2"));
    EXPECT_TRUE(exists(u"[Q]I3"));
    EXPECT_EQ(store.deletePairValues(u"Q", 10), 1);
    EXPECT_FALSE(exists(u"[Q]I3"));

    readWriteSettingsToRegistry noKey;
    EXPECT_EQ(noKey.deleteAllItems(u"P", 5), 1);
    EXPECT_TRUE(exists(u"[P]I3"));
}

TEST_F(readWriteSettingsToRegistryListsTest, DllMapIsStoredAsNumberedNameValuePairs)
{
    settingsPairMap pairs;
    pairs[u"A"] = 5;
    pairs[u"B"] = 7;
    EXPECT_EQ(store.writeDllMap(nullptr, pairs), 1);
    // "A" and "B" hash to buckets 14 and 15: A is visited first.
    EXPECT_EQ(raw(u"[dll]S0").bytes, wideBytes(u"A"));
    EXPECT_EQ(raw(u"[dll]I0").type, REG_DWORD);
    const DWORD five = 5;
    EXPECT_EQ(raw(u"[dll]I0").bytes, bytesOf(&five, 4));
    EXPECT_EQ(raw(u"[dll]S1").bytes, wideBytes(u"B"));

    settingsPairMap back;
    back[u"stale"] = 1;
    EXPECT_EQ(store.readDllMap(back), 1);
    EXPECT_EQ(pairsOf(back), (std::map<std::string, DWORD>{{"A", 5}, {"B", 7}}));
}

TEST_F(readWriteSettingsToRegistryListsTest, DllMapWriteClearsZeroToNinetyNineOnly)
{
    settingsPairMap many;
    for (int i = 0; i < 150; ++i)
    {
        many[w("mod" + std::to_string(i)).c_str()] = static_cast<DWORD>(i);
    }
    EXPECT_EQ(store.writeDllMap(nullptr, many), 1);
    EXPECT_TRUE(exists(u"[dll]S149"));
    EXPECT_TRUE(exists(u"[dll]I149"));
    EXPECT_FALSE(exists(u"[dll]S150"));

    settingsPairMap three;
    three[u"x"] = 1;
    three[u"y"] = 2;
    three[u"z"] = 3;
    EXPECT_EQ(store.writeDllMap(nullptr, three), 1);
    EXPECT_TRUE(exists(u"[dll]S2"));
    for (const WCHAR* gone : {u"[dll]S3", u"[dll]I3", u"[dll]S4", u"[dll]I4", u"[dll]I99"})
    {
        EXPECT_FALSE(exists(gone)) << wideText::toUtf8(gone);
    }
    EXPECT_TRUE(exists(u"[dll]S100")) << "only items 0 to 99 are cleared";
    EXPECT_TRUE(exists(u"[dll]I149"));
}

TEST_F(readWriteSettingsToRegistryListsTest, DllMapWriteNumbersOnlyPairsThatWereStored)
{
    settingsPairMap pairs;
    pairs[u"A"] = 1;
    pairs[u"B"] = 2;
    store.setKey(readOnlyKey());
    const std::u16string log = logPath();
    {
        const loggingOn logging;
        EXPECT_EQ(store.writeDllMap(log.c_str(), pairs), 1);
    }
    const std::string text = logText();
    // Both entries tried number 0, and neither got as far as its value.
    EXPECT_NE(text.find(" : set string value : [dll]S0"), std::string::npos) << text;
    EXPECT_EQ(text.find("[dll]S1"), std::string::npos) << text;
    EXPECT_EQ(text.find("set dword value"), std::string::npos) << text;
}

TEST_F(readWriteSettingsToRegistryListsTest, DllMapReadCountsEveryValueOfTheKey)
{
    for (int i = 0; i < 3; ++i)
    {
        const std::string n = std::to_string(i);
        setSz(w(std::string("[dll]S").append(n)).c_str(), w(std::string("m").append(n)));
        setDword(w(std::string("[dll]I").append(n)).c_str(), static_cast<DWORD>(10 + i));
    }
    setSz(u"[dll]S3", u"m3");
    setDword(u"[dll]I3", 13);
    // Three pairs' worth of counted values plus one string: pairs 0 to 2 are read.
    RegDeleteValueW(key(), u"[dll]I3");
    settingsPairMap pairs;
    EXPECT_EQ(store.readDllMap(pairs), 1);
    EXPECT_EQ(pairsOf(pairs), (std::map<std::string, DWORD>{{"m0", 10}, {"m1", 11}, {"m2", 12}}));

    // Two further values make four pairs: pair 3 lacks its number and is skipped.
    setSz(u"other", u"x");
    EXPECT_EQ(store.readDllMap(pairs), 1);
    EXPECT_EQ(pairs.GetCount(), 3);

    // A value that is not a 4-byte REG_DWORD or a REG_SZ is not counted.
    setSz(u"[dll]S3", u"m3");
    setDword(u"[dll]I3", 13);
    RegDeleteValueW(key(), u"other");
    const BYTE blob[4] = {1, 2, 3, 4};
    setRaw(u"[dll]I2", REG_BINARY, blob, 4);
    EXPECT_EQ(store.readDllMap(pairs), 1);
    // Seven counted values: pairs 0 to 2, the third read from its binary number.
    EXPECT_EQ(pairsOf(pairs),
              (std::map<std::string, DWORD>{{"m0", 10}, {"m1", 11}, {"m2", 0x04030201}}));
}

// The counting enumerates with larger buffers than the listing: names up to 519 characters
// and data up to 1040 bytes are counted, and they decide how many pairs are tried.
TEST_F(readWriteSettingsToRegistryListsTest, DllMapCountingHasItsOwnBufferLimits)
{
    setSz(u"[dll]S0", u"m0");
    setDword(u"[dll]I0", 10);
    setSz(u"[dll]S1", u"m1");
    const DWORD eleven = 11;
    setRaw(u"[dll]I1", REG_BINARY, &eleven, 4); // read by readDword, never counted
    settingsPairMap pairs;
    ASSERT_EQ(store.readDllMap(pairs), 1);
    ASSERT_EQ(pairsOf(pairs), (std::map<std::string, DWORD>{{"m0", 10}}))
        << "three counted values: one pair";

    const struct
    {
        std::u16string name;
        std::u16string text;
        bool counted;
    } extras[] = {
        {repeatW(u'n', 519), u"x", true},
        {repeatW(u'n', 520), u"x", false},
        {u"bigData", repeatW(u'd', 519), true},   // 1040 bytes
        {u"hugeData", repeatW(u'd', 520), false}, // 1042 bytes
    };
    for (const auto& extra : extras)
    {
        setSz(extra.name.c_str(), extra.text);
        EXPECT_EQ(store.readDllMap(pairs), 1);
        EXPECT_EQ(pairs.GetCount(), extra.counted ? 2 : 1)
            << extra.name.size() << " characters, " << extra.text.size() << " of data";
        RegDeleteValueW(key(), extra.name.c_str());
    }
}

// With no key the list writes still try every item, and each failed set is reported.
TEST_F(readWriteSettingsToRegistryListsTest, ListWritesWithoutAKeyTryAndReportEachItem)
{
    readWriteSettingsToRegistry noKey;
    settingsIntegerArray array;
    ASSERT_EQ(array.Add(1), 4);
    ASSERT_EQ(array.Add(2), 4);
    settingsPairMap pairs;
    pairs[u"A"] = 1;
    pairs[u"B"] = 2;
    const std::u16string log = logPath();
    {
        const loggingOn logging;
        EXPECT_EQ(noKey.writeIntegerArray(log.c_str(), array, u"P"), 1);
        EXPECT_EQ(noKey.writeDllMap(log.c_str(), pairs), 1);
    }
    const std::string text = logText();
    EXPECT_NE(text.find(" : set value : [P]I0"), std::string::npos) << text;
    EXPECT_NE(text.find(" : set value : [P]I1"), std::string::npos) << text;
    const std::size_t first = text.find(" : set string value : [dll]S0");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find(" : set string value : [dll]S0", first + 1), std::string::npos)
        << "the second entry tries number 0 again\n"
        << text;

    settingsIntegerArray read;
    EXPECT_EQ(noKey.readIntegerArray(read, u"P"), 1);
    EXPECT_EQ(read.GetCount(), 0u);
    CPersistStubStringArray strings;
    EXPECT_EQ(noKey.readStringArray(strings, u"P"), 1);
    EXPECT_EQ(strings.GetCount(), 0u);
}

TEST_F(readWriteSettingsToRegistryListsTest, DllMapReadKeepsTheLastValueOfARepeatedName)
{
    setSz(u"[dll]S0", u"same");
    setDword(u"[dll]I0", 1);
    setSz(u"[dll]S1", u"same");
    setDword(u"[dll]I1", 2);
    settingsPairMap pairs;
    EXPECT_EQ(store.readDllMap(pairs), 1);
    EXPECT_EQ(pairsOf(pairs), (std::map<std::string, DWORD>{{"same", 2}}));

    readWriteSettingsToRegistry noKey;
    EXPECT_EQ(noKey.readDllMap(pairs), 1);
    EXPECT_EQ(pairs.GetCount(), 0);
}
} // namespace
