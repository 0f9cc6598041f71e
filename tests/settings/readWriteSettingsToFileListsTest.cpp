#include <reZevavEvadurov/readWriteSettingsToFile.h>

#include "settings/settingsFileFormat.h"
#include "support/CPersistStubStringArray.h"
#include "support/CVector.h"
#include "support/hashMap.h"
#include "tests/settings/settingsFileTestSupport.h"
#include <reZevavEvadurov/stubString.h>

#include <gtest/gtest.h>

using namespace settingsFileTest;

namespace
{

class readWriteSettingsToFileListsTest : public fileStoreFixture
{
protected:
    std::vector<std::u16string> names() const
    {
        std::vector<std::u16string> all;
        for (const auto& [name, entry] : m_store.entries())
        {
            all.emplace_back(name);
        }
        return all;
    }

    unsigned int uintAt(const std::u16string& name)
    {
        unsigned int value = 0;
        EXPECT_EQ(m_store.readUInt(name.c_str(), value), 1) << "missing";
        return value;
    }

    readWriteSettingsToFile m_store;
};

} // namespace

TEST_F(readWriteSettingsToFileListsTest, integerArrayItemsAreNumberedFromZero)
{
    settingsIntegerArray array;
    for (DWORD value = 100; value <= 110; ++value)
    {
        ASSERT_EQ(array.Add(value), settingsIntegerArray::addSucceeded);
    }
    ASSERT_EQ(m_store.writeIntegerArray(nullptr, array, u"P"), 1);
    EXPECT_EQ(m_store.entries().size(), 11u);
    EXPECT_EQ(uintAt(u"[P]I0"), 100u);
    EXPECT_EQ(uintAt(u"[P]I10"), 110u);

    settingsIntegerArray read;
    ASSERT_EQ(read.Add(7u), settingsIntegerArray::addSucceeded);
    ASSERT_EQ(m_store.readIntegerArray(read, u"P"), 1);
    ASSERT_EQ(read.GetCount(), 12u) << "appended, not emptied first";
    EXPECT_EQ(read.GetAt(0), 7u);
    EXPECT_EQ(read.GetAt(11), 110u);
}

TEST_F(readWriteSettingsToFileListsTest, integerArrayReadStopsAtTheFirstUnreadableItem)
{
    ASSERT_EQ(m_store.writeUInt(nullptr, u"[P]I0", 1u), 1);
    ASSERT_EQ(m_store.writeWord(nullptr, u"[P]I1", WORD{2}), 1); // wrong width
    ASSERT_EQ(m_store.writeUInt(nullptr, u"[P]I2", 3u), 1);
    settingsIntegerArray read;
    ASSERT_EQ(m_store.readIntegerArray(read, u"P"), 1);
    EXPECT_EQ(read.GetCount(), 1u);

    settingsIntegerArray none;
    ASSERT_EQ(m_store.readIntegerArray(none, u"Q"), 1);
    EXPECT_EQ(none.GetCount(), 0u);
}

TEST_F(readWriteSettingsToFileListsTest, listReadsFailWhenTheContainerCannotGrow)
{
    ASSERT_EQ(m_store.writeUInt(nullptr, u"[P]I0", 1u), 1);
    ASSERT_EQ(m_store.writeString(nullptr, u"[P]SS0", stubString(u"a")), 1);
    settingsIntegerArray integers;
    CPersistStubStringArray strings;
    failAfter(0);
    EXPECT_EQ(m_store.readIntegerArray(integers, u"P"), 0);
    EXPECT_EQ(m_store.readStringArray(strings, u"P"), 0);
    failAfter(-1);
    EXPECT_EQ(integers.GetCount(), 0u);
    EXPECT_EQ(strings.GetCount(), 0u);
}

TEST_F(readWriteSettingsToFileListsTest, nullStringArrayElementLeavesAGapThatEndsTheRead)
{
    stubString first(u"one");
    stubString third(u"three");
    CVector<stubString*> array;
    ASSERT_EQ(array.Add(&first), 4);
    ASSERT_EQ(array.Add(nullptr), 4);
    ASSERT_EQ(array.Add(&third), 4);
    ASSERT_EQ(m_store.writeStringArray(nullptr, array, u"P"), 1);
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"[P]SS0", u"[P]SS2"}));

    ASSERT_EQ(m_store.saveFile(wideFilePath().c_str()), 1);
    readWriteSettingsToFile loaded;
    ASSERT_EQ(loaded.loadFile(wideFilePath().c_str()), 1);
    CPersistStubStringArray read;
    ASSERT_EQ(loaded.readStringArray(read, u"P"), 1);
    ASSERT_EQ(read.GetCount(), 1u);
    EXPECT_TRUE(*read.GetAt(0) == u"one");
}

TEST_F(readWriteSettingsToFileListsTest, deletionsRemoveExactlyTheNumberedItemsBelowTheCount)
{
    for (const char16_t* name :
         {u"[P]I0", u"[P]I1", u"[P]I2", u"[P]I01", u"[P]Ix", u"[P]I", u"[P]I4294967296", u"[PQ]I0",
          u"[P]S0", u"[P]S1", u"[P]SS0", u"[P]SS1", u"[P]SS2"})
    {
        ASSERT_EQ(m_store.writeUInt(nullptr, name, 1u), 1);
    }
    EXPECT_EQ(m_store.deleteIntegerArray(nullptr, u"P", 2), 1);
    EXPECT_EQ(m_store.entries().count(u"[P]I1"), 0u);
    EXPECT_EQ(m_store.entries().count(u"[P]I2"), 1u);

    EXPECT_EQ(m_store.deleteStringArray(u"P", 1), 1);
    EXPECT_EQ(m_store.entries().count(u"[P]SS0"), 0u);
    EXPECT_EQ(m_store.entries().count(u"[P]S0"), 1u) << "S items are not string items";

    EXPECT_EQ(m_store.deletePairNames(u"P", 0), 1);
    EXPECT_EQ(m_store.entries().count(u"[P]S0"), 1u);
    EXPECT_EQ(m_store.deletePairNames(u"P", 1), 1);
    EXPECT_EQ(m_store.entries().count(u"[P]S0"), 0u);
    EXPECT_EQ(m_store.entries().count(u"[P]SS1"), 1u) << "SS items are not pair names";

    EXPECT_EQ(m_store.deleteAllItems(u"P", 0xFFFFFFFFu), 1);
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"[PQ]I0", u"[P]I", u"[P]I01",
                                                    u"[P]I4294967296", u"[P]Ix"}));
    EXPECT_EQ(m_store.deletePairValues(u"P", 5), 1) << "deleting what is missing succeeds";
}

TEST_F(readWriteSettingsToFileListsTest, dllMapRoundTripsThroughTheNumberedPairs)
{
    settingsPairMap pairs;
    ASSERT_TRUE(pairs.SetAt(u"A", 5u));
    ASSERT_TRUE(pairs.SetAt(u"B", 7u));
    ASSERT_EQ(m_store.writeDllMap(nullptr, pairs), 1);
    EXPECT_EQ(names(),
              (std::vector<std::u16string>{u"[dll]I0", u"[dll]I1", u"[dll]S0", u"[dll]S1"}));
    stubString first;
    ASSERT_EQ(m_store.readString(u"[dll]S0", first), 1);
    EXPECT_EQ(uintAt(u"[dll]I0"), first == u"A" ? 5u : 7u);

    settingsPairMap read;
    ASSERT_TRUE(read.SetAt(u"stale", 1u));
    ASSERT_EQ(m_store.readDllMap(read), 1);
    EXPECT_EQ(read.GetCount(), 2);
    DWORD value = 0;
    EXPECT_TRUE(read.Lookup(u"A", value));
    EXPECT_EQ(value, 5u);
    EXPECT_TRUE(read.Lookup(u"B", value));
    EXPECT_EQ(value, 7u);
    EXPECT_FALSE(read.Lookup(u"stale", value));
}

TEST_F(readWriteSettingsToFileListsTest, dllMapReadStopsWhenEitherHalfOfAPairIsMissing)
{
    ASSERT_EQ(m_store.writeString(nullptr, u"[dll]S0", stubString(u"a")), 1);
    ASSERT_EQ(m_store.writeUInt(nullptr, u"[dll]I0", 1u), 1);
    ASSERT_EQ(m_store.writeString(nullptr, u"[dll]S1", stubString(u"b")), 1);
    ASSERT_EQ(m_store.writeString(nullptr, u"[dll]S2", stubString(u"c")), 1);
    ASSERT_EQ(m_store.writeUInt(nullptr, u"[dll]I2", 3u), 1);
    settingsPairMap read;
    ASSERT_EQ(m_store.readDllMap(read), 1);
    EXPECT_EQ(read.GetCount(), 1);
}

TEST_F(readWriteSettingsToFileListsTest, dllMapWriteClearsOnlyTheFirstThousandPairs)
{
    for (unsigned int n = 0; n < 1002; ++n)
    {
        const std::u16string number = wideText::fromUnsigned(n);
        ASSERT_EQ(m_store.writeString(nullptr, (u"[dll]S" + number).c_str(), stubString(u"x")), 1);
        ASSERT_EQ(m_store.writeUInt(nullptr, (u"[dll]I" + number).c_str(), n), 1);
    }
    settingsPairMap pairs;
    ASSERT_TRUE(pairs.SetAt(u"only", 9u));
    ASSERT_EQ(m_store.writeDllMap(nullptr, pairs), 1);
    EXPECT_EQ(names(), (std::vector<std::u16string>{u"[dll]I0", u"[dll]I1000", u"[dll]I1001",
                                                    u"[dll]S0", u"[dll]S1000", u"[dll]S1001"}));
    EXPECT_EQ(uintAt(u"[dll]I1001"), 1001u);

    settingsPairMap read;
    ASSERT_EQ(m_store.readDllMap(read), 1);
    EXPECT_EQ(read.GetCount(), 1);
}

TEST_F(readWriteSettingsToFileListsTest, listsSurviveSaveAndReload)
{
    settingsIntegerArray integers;
    ASSERT_EQ(integers.Add(1u), 4);
    ASSERT_EQ(integers.Add(2u), 4);
    stubString text(u"s");
    CVector<stubString*> strings;
    ASSERT_EQ(strings.Add(&text), 4);
    settingsPairMap pairs;
    ASSERT_TRUE(pairs.SetAt(u"k", 3u));
    ASSERT_EQ(m_store.writeIntegerArray(nullptr, integers, u"ints"), 1);
    ASSERT_EQ(m_store.writeStringArray(nullptr, strings, u"strs"), 1);
    ASSERT_EQ(m_store.writeDllMap(nullptr, pairs), 1);
    ASSERT_EQ(m_store.saveFile(wideFilePath().c_str()), 1);

    readWriteSettingsToFile loaded;
    ASSERT_EQ(loaded.loadFile(wideFilePath().c_str()), 1);
    EXPECT_EQ(loaded.compare(m_store), 0);
    settingsIntegerArray readIntegers;
    ASSERT_EQ(loaded.readIntegerArray(readIntegers, u"ints"), 1);
    ASSERT_EQ(readIntegers.GetCount(), 2u);
    EXPECT_EQ(readIntegers.GetAt(1), 2u);
    CPersistStubStringArray readStrings;
    ASSERT_EQ(loaded.readStringArray(readStrings, u"strs"), 1);
    ASSERT_EQ(readStrings.GetCount(), 1u);
    EXPECT_TRUE(*readStrings.GetAt(0) == u"s");
    settingsPairMap readPairs;
    ASSERT_EQ(loaded.readDllMap(readPairs), 1);
    DWORD value = 0;
    EXPECT_TRUE(readPairs.Lookup(u"k", value));
    EXPECT_EQ(value, 3u);
}
