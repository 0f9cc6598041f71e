#include "settings/settingsFileFormat.h"

#include "settings/settingsFileHeap.h"
#include "settings/settingsFileImage.h"
#include "tests/settings/settingsFileTestSupport.h"

#include <algorithm>
#include <climits>
#include <gtest/gtest.h>

using namespace settingsFileTest;

namespace
{

settingsEntryMap parsed(const bytes& image, bool expectedResult = true)
{
    // An exact-size copy, so that a read past the end is caught by the sanitizer.
    const bytes exact(image.begin(), image.end());
    settingsEntryMap entries;
    EXPECT_EQ(settingsFileFormat::parse(exact.data(), exact.size(), entries), expectedResult);
    return entries;
}

bytes serialized(const settingsEntryMap& entries)
{
    settingsFileHeap heap;
    settingsFileImage image(heap);
    EXPECT_TRUE(settingsFileFormat::serialize(entries, image));
    return bytes(image.data(), image.data() + image.size());
}

std::vector<std::u16string> namesOf(const settingsEntryMap& entries)
{
    std::vector<std::u16string> names;
    for (const auto& [key, entry] : entries)
    {
        EXPECT_EQ(key, entry.name());
        names.emplace_back(key);
    }
    return names;
}

DWORD numberOf(const settingsEntryMap& entries, const std::u16string& name)
{
    DWORD value = 0;
    const auto found = entries.find(name);
    EXPECT_NE(found, entries.end()) << "missing entry";
    if (found != entries.end())
    {
        EXPECT_TRUE(found->second.readNumber(&value, sizeof value));
    }
    return value;
}

const bytes oneUIntA = {0x01, 0, 0, 0, 0x04, 0, 0, 0, 0x41, 0, 0, 0,
                        0x04, 0, 0, 0, 0x04, 0, 0, 0, 0x05, 0, 0, 0};

} // namespace

TEST(settingsFileFormat, readsAndWritesTheDocumentedExampleByteForByte)
{
    const settingsEntryMap entries = parsed(oneUIntA);
    ASSERT_EQ(namesOf(entries), std::vector<std::u16string>{u"A"});
    const settingsEntry& entry = entries.at(u"A");
    EXPECT_EQ(entry.typeTag(), 4);
    EXPECT_EQ(entry.dataSize(), 4u);
    EXPECT_EQ(numberOf(entries, u"A"), 5u);
    EXPECT_EQ(serialized(entries), oneUIntA);
}

TEST(settingsFileFormat, emptyStoreIsFourZeroBytes)
{
    EXPECT_EQ(serialized({}), (bytes{0, 0, 0, 0}));
    EXPECT_TRUE(parsed({0, 0, 0, 0}).empty());
}

TEST(settingsFileFormat, fewerThanFourBytesFail)
{
    settingsEntryMap entries;
    EXPECT_FALSE(settingsFileFormat::parse(nullptr, 0, entries));
    parsed({1}, false);
    parsed({1, 0, 0}, false);
}

TEST(settingsFileFormat, zeroOrNegativeCountReadsNoEntry)
{
    EXPECT_TRUE(parsed(imageBuilder().u32(0).number(u"A", 1).get()).empty());
    EXPECT_TRUE(parsed(imageBuilder().u32(0x80000000u).number(u"A", 1).get()).empty());
    EXPECT_TRUE(parsed(imageBuilder().u32(0xFFFFFFFFu).number(u"A", 1).get()).empty());
}

TEST(settingsFileFormat, entriesAreWrittenInCodeUnitOrderNotCaseOrLocaleOrder)
{
    // U+00E9 and U+FF21 sort after every ASCII letter; lower case after upper case; a name
    // that begins another comes first.
    const bytes unsorted = imageBuilder()
                               .u32(7)
                               .number(u"\uFF21", 1)
                               .number(u"b", 2)
                               .number(u"B", 3)
                               .number(u"\u00E9", 4)
                               .number(u"AB", 5)
                               .number(u"a", 6)
                               .number(u"A", 7)
                               .get();
    const settingsEntryMap entries = parsed(unsorted);
    const std::vector<std::u16string> expected = {u"A", u"AB",     u"B",     u"a",
                                                  u"b", u"\u00E9", u"\uFF21"};
    EXPECT_EQ(namesOf(entries), expected);
    const bytes sorted = imageBuilder()
                             .u32(7)
                             .number(u"A", 7)
                             .number(u"AB", 5)
                             .number(u"B", 3)
                             .number(u"a", 6)
                             .number(u"b", 2)
                             .number(u"\u00E9", 4)
                             .number(u"\uFF21", 1)
                             .get();
    EXPECT_EQ(serialized(entries), sorted);
}

TEST(settingsFileFormat, nonAsciiNameIsUtf16LittleEndian)
{
    const bytes image = imageBuilder().u32(1).number(u"\u0141\u00E9", 9).get();
    const bytes expectedName = {0x06, 0, 0, 0, 0x41, 0x01, 0xE9, 0x00, 0, 0};
    EXPECT_TRUE(std::equal(expectedName.begin(), expectedName.end(), image.begin() + 4));
    const settingsEntryMap entries = parsed(image);
    EXPECT_EQ(namesOf(entries), std::vector<std::u16string>{u"\u0141\u00E9"});
    EXPECT_EQ(serialized(entries), image);
}

TEST(settingsFileFormat, laterDuplicateWinsAndIsCountedOnce)
{
    const settingsEntryMap entries =
        parsed(imageBuilder().u32(3).number(u"X", 1).number(u"Y", 2).number(u"X", 3).get());
    EXPECT_EQ(namesOf(entries), (std::vector<std::u16string>{u"X", u"Y"}));
    EXPECT_EQ(numberOf(entries, u"X"), 3u);
    EXPECT_EQ(serialized(entries), imageBuilder().u32(2).number(u"X", 3).number(u"Y", 2).get());
}

TEST(settingsFileFormat, countLargerThanTheEntriesLoadsEveryWholeEntry)
{
    const settingsEntryMap entries =
        parsed(imageBuilder().u32(5).number(u"A", 1).number(u"B", 2).get());
    EXPECT_EQ(namesOf(entries), (std::vector<std::u16string>{u"A", u"B"}));
    // The largest count stops as soon as nothing is left instead of counting on.
    EXPECT_EQ(parsed(imageBuilder().u32(INT_MAX).number(u"A", 1).get()).size(), 1u);
}

TEST(settingsFileFormat, zeroDataSizeDropsOnlyThatEntry)
{
    const bytes image = imageBuilder()
                            .u32(3)
                            .number(u"A", 1)
                            .u32(4)
                            .name(u"Z")
                            .u32(4)
                            .u32(0) // D = 0: the next entry starts right here
                            .number(u"C", 3)
                            .get();
    const settingsEntryMap entries = parsed(image);
    EXPECT_EQ(namesOf(entries), (std::vector<std::u16string>{u"A", u"C"}));
    EXPECT_EQ(numberOf(entries, u"C"), 3u);
}

TEST(settingsFileFormat, zeroNameLengthDropsTheEntryAndResumesAfterTheLength)
{
    const bytes image = imageBuilder().u32(2).u32(0).number(u"B", 2).get();
    const settingsEntryMap entries = parsed(image);
    EXPECT_EQ(namesOf(entries), std::vector<std::u16string>{u"B"});
}

TEST(settingsFileFormat, failedFieldResumesRightAfterTheLastWholeField)
{
    // A name length beyond the image: the next entry starts right after that length field.
    const bytes badName = imageBuilder().u32(2).u32(1000).number(u"B", 2).get();
    EXPECT_EQ(namesOf(parsed(badName)), std::vector<std::u16string>{u"B"});

    // A data size beyond the image: the next entry starts right after the size field, not
    // after the bytes it claimed and not at the end.
    const bytes badData =
        imageBuilder().u32(2).u32(4).name(u"Z").u32(4).u32(1000).number(u"C", 3).get();
    const settingsEntryMap entries = parsed(badData);
    EXPECT_EQ(namesOf(entries), std::vector<std::u16string>{u"C"});
    EXPECT_EQ(numberOf(entries, u"C"), 3u);

    // A count that runs past the dropped entries still stops at the count: the third whole
    // entry is not read when the count is 2.
    const bytes counted = imageBuilder().u32(2).u32(0).number(u"B", 2).number(u"C", 3).get();
    EXPECT_EQ(namesOf(parsed(counted)), std::vector<std::u16string>{u"B"});
}

TEST(settingsFileFormat, oddNameLengthUsesWholeCodeUnitsOnly)
{
    const bytes image = imageBuilder()
                            .u32(1)
                            .u32(3)
                            .raw({0x41, 0x00, 0x42}) // "A" and half a code unit
                            .u32(4)
                            .u32(1)
                            .raw({7})
                            .get();
    const settingsEntryMap entries = parsed(image);
    ASSERT_EQ(namesOf(entries), std::vector<std::u16string>{u"A"});
    EXPECT_EQ(entries.at(u"A").dataSize(), 1u);
}

TEST(settingsFileFormat, nameEndsAtItsFirstZeroOrAtItsLength)
{
    const bytes image = imageBuilder()
                            .u32(2)
                            .u32(6)
                            .raw({0x41, 0, 0, 0, 0x42, 0}) // "A", zero, "B"
                            .u32(4)
                            .u32(1)
                            .raw({1})
                            .u32(2)
                            .raw({0x43, 0}) // "C" without a terminator
                            .u32(4)
                            .u32(1)
                            .raw({2})
                            .get();
    EXPECT_EQ(namesOf(parsed(image)), (std::vector<std::u16string>{u"A", u"C"}));
}

TEST(settingsFileFormat, lengthsBeyondTheImageNeverReadPastIt)
{
    for (const std::uint32_t length : {0x7FFFFFFFu, 0xFFFFFFF0u, 0xFFFFFFFEu, 0xFFFFFFFFu, 100u})
    {
        // As a name length, then as a data size; the whole entry before survives.
        const bytes badName = imageBuilder().u32(3).number(u"A", 1).u32(length).raw({1, 0}).get();
        EXPECT_EQ(namesOf(parsed(badName)), std::vector<std::u16string>{u"A"}) << length;

        const bytes badData = imageBuilder()
                                  .u32(2)
                                  .number(u"A", 1)
                                  .u32(4)
                                  .name(u"B")
                                  .u32(4)
                                  .u32(length)
                                  .raw({9})
                                  .get();
        EXPECT_EQ(namesOf(parsed(badData)), std::vector<std::u16string>{u"A"}) << length;
    }
}

TEST(settingsFileFormat, everyTruncationKeepsTheEntriesThatAreWhole)
{
    const bytes whole = imageBuilder()
                            .u32(3)
                            .number(u"first", 1)
                            .entry(u"second", 1, {0x61, 0, 0x62, 0, 0, 0})
                            .number(u"third", 3)
                            .get();
    const std::size_t first = imageBuilder().number(u"first", 1).get().size();
    const std::size_t second =
        imageBuilder().entry(u"second", 1, {0x61, 0, 0x62, 0, 0, 0}).get().size();
    const std::size_t ends[] = {4 + first, 4 + first + second, whole.size()};
    for (std::size_t cut = 0; cut <= whole.size(); ++cut)
    {
        const bytes part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
        settingsEntryMap entries;
        const bool loaded = settingsFileFormat::parse(part.data(), part.size(), entries);
        EXPECT_EQ(loaded, cut >= 4) << cut;
        const auto wholeEntries = static_cast<std::size_t>(std::count_if(
            std::begin(ends), std::end(ends), [cut](std::size_t end) { return end <= cut; }));
        EXPECT_EQ(entries.size(), wholeEntries) << cut;
    }
}

TEST(settingsFileFormat, unknownTagsAndOddTextSizesSurviveARoundTrip)
{
    const bytes image = imageBuilder()
                            .u32(2)
                            .entry(u"odd", 1, {0x61, 0x00, 0x62}) // text without terminator
                            .entry(u"tag", 7, {1, 2, 3})
                            .get();
    const settingsEntryMap entries = parsed(image);
    EXPECT_EQ(entries.at(u"odd").textValue(), u"a");
    EXPECT_EQ(entries.at(u"tag").typeTag(), 7);
    EXPECT_EQ(serialized(entries), image);
}
