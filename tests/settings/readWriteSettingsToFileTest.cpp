#include <reZevavEvadurov/readWriteSettingsToFile.h>

#include "settings/settingsFileFormat.h"
#include "support/hashMap.h"
#include "support/stubHeap.h"
#include "tests/settings/settingsFileTestSupport.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/stubString.h>

#include <cstring>
#include <functional>
#include <gtest/gtest.h>

using namespace settingsFileTest;

namespace
{

class readWriteSettingsToFileTest : public fileStoreFixture
{
};

// One typed number operation pair, by the width it reads and writes.
struct numberKind
{
    const char* label;
    std::size_t width;
    std::function<int(readWriteSettings&, const WCHAR*)> write;
    std::function<int(readWriteSettings&, const WCHAR*)> read; // 1 and the variable changed
};

template <class T, class W, class R> numberKind kind(const char* label, W write, R read)
{
    return {label, sizeof(T),
            [write](readWriteSettings& store, const WCHAR* name)
            {
                T value;
                std::memset(&value, 0x5A, sizeof value);
                return (store.*write)(nullptr, name, value);
            },
            [read](readWriteSettings& store, const WCHAR* name)
            {
                T value;
                std::memset(&value, 0x11, sizeof value);
                const int result = (store.*read)(name, value);
                T untouched;
                std::memset(&untouched, 0x11, sizeof untouched);
                const bool changed = std::memcmp(&value, &untouched, sizeof value) != 0;
                EXPECT_EQ(result == 1, changed) << "a failed read must leave the variable";
                return result;
            }};
}

std::vector<numberKind> numberKinds()
{
    using S = readWriteSettings;
    return {
        kind<char>("char", &S::writeChar, &S::readChar),
        kind<unsigned char>("uchar", &S::writeUChar, &S::readUChar),
        kind<WORD>("word", &S::writeWord, &S::readWord),
        kind<WCHAR>("wchar", &S::writeWChar, &S::readWChar),
        kind<DWORD>("dword", &S::writeDword, &S::readDword),
        kind<unsigned int>("uint", &S::writeUInt, &S::readUInt),
        kind<int>("int", &S::writeInt, &S::readInt),
        kind<ULONGLONG>("uint64", &S::writeUInt64, &S::readUInt64),
        kind<ULONGLONG>("ulonglong", &S::writeULongLong, &S::readULongLong),
        kind<double>("double", &S::writeDouble, &S::readDouble),
        kind<time_t>("time", &S::writeTime, &S::readTime),
    };
}

} // namespace

TEST_F(readWriteSettingsToFileTest, savesTheDocumentedExampleByteForByte)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeUInt(nullptr, u"A", 5u), 1);
    ASSERT_EQ(store.saveFile(wideFilePath().c_str()), 1);
    const bytes expected = {0x01, 0, 0, 0, 0x04, 0, 0, 0, 0x41, 0, 0, 0,
                            0x04, 0, 0, 0, 0x04, 0, 0, 0, 0x05, 0, 0, 0};
    EXPECT_EQ(readBytes(filePath()), expected);
}

TEST_F(readWriteSettingsToFileTest, emptyStoreSavesFourZeroBytesAndLoadsBack)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.saveFile(wideFilePath().c_str()), 1);
    EXPECT_EQ(readBytes(filePath()), (bytes{0, 0, 0, 0}));

    readWriteSettingsToFile loaded;
    ASSERT_EQ(loaded.writeInt(nullptr, u"stale", 1), 1);
    EXPECT_EQ(loaded.loadFile(wideFilePath().c_str()), 1);
    EXPECT_TRUE(loaded.entries().empty());
}

TEST_F(readWriteSettingsToFileTest, loadFailuresLeaveTheStoreEmpty)
{
    readWriteSettingsToFile store;
    const auto refill = [&store] { ASSERT_EQ(store.writeInt(nullptr, u"stale", 1), 1); };

    writeBytes(filePath("empty.bin"), {});
    refill();
    EXPECT_EQ(store.loadFile(wideFilePath("empty.bin").c_str()), 0);
    EXPECT_TRUE(store.entries().empty());

    writeBytes(filePath("short.bin"), {1, 0, 0});
    refill();
    EXPECT_EQ(store.loadFile(wideFilePath("short.bin").c_str()), 0);
    EXPECT_TRUE(store.entries().empty());

    refill();
    EXPECT_EQ(store.loadFile(wideFilePath("missing.bin").c_str()), 0);
    EXPECT_TRUE(store.entries().empty());

    refill();
    EXPECT_EQ(store.loadFile(widePath(testsupport::sandboxRoot()).c_str()), 0);
    EXPECT_TRUE(store.entries().empty());

    // Larger than a 32-bit size can say: refused before anything is allocated (sparse file).
    {
        std::ofstream create(filePath("huge.bin"));
    }
    std::filesystem::resize_file(filePath("huge.bin"), 0x100000000ull);
    refill();
    EXPECT_EQ(store.loadFile(wideFilePath("huge.bin").c_str()), 0);
    EXPECT_TRUE(store.entries().empty());
}

TEST_F(readWriteSettingsToFileTest, loadAndSaveKeepTheCallersLastErrorAndUnregisterTheirHeaps)
{
    const int heaps = corHeaps::count();
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeInt(nullptr, u"x", 1), 1);
    SetLastError(4321);
    EXPECT_EQ(store.loadFile(wideFilePath("missing.bin").c_str()), 0);
    EXPECT_EQ(GetLastError(), 4321u);
    EXPECT_EQ(store.saveFile(widePath(testsupport::sandboxRoot() / "no-folder" / "x.bin").c_str()),
              0);
    EXPECT_EQ(GetLastError(), 4321u);
    EXPECT_EQ(store.saveFile(wideFilePath().c_str()), 1);
    EXPECT_EQ(store.loadFile(wideFilePath().c_str()), 1);
    EXPECT_EQ(GetLastError(), 4321u);
    EXPECT_EQ(corHeaps::count(), heaps);
}

TEST_F(readWriteSettingsToFileTest, numberReadsNeedTheTagAndTheExactWidth)
{
    const std::vector<numberKind> kinds = numberKinds();
    for (const numberKind& writer : kinds)
    {
        readWriteSettingsToFile store;
        ASSERT_EQ(writer.write(store, u"v"), 1) << writer.label;
        for (const numberKind& reader : kinds)
        {
            EXPECT_EQ(reader.read(store, u"v"), reader.width == writer.width ? 1 : 0)
                << writer.label << " read as " << reader.label;
        }
        stubString text(u"default");
        EXPECT_EQ(store.readString(u"v", text), 0) << writer.label;
        EXPECT_TRUE(text == u"default");
        WCHAR buffer[4] = {u'x', u'x', u'x', u'x'};
        EXPECT_EQ(store.readText(u"v", buffer, 4), 0);
        EXPECT_EQ(buffer[0], u'x');
    }
}

TEST_F(readWriteSettingsToFileTest, valuesComeBackBitForBit)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeChar(nullptr, u"c", static_cast<char>(0xF0)), 1);
    unsigned char uc = 0;
    ASSERT_EQ(store.readUChar(u"c", uc), 1);
    EXPECT_EQ(uc, 0xF0);

    ASSERT_EQ(store.writeUInt(nullptr, u"u", 0xFFFFFFFEu), 1);
    int asInt = 0;
    ASSERT_EQ(store.readInt(u"u", asInt), 1);
    EXPECT_EQ(asInt, -2);

    ASSERT_EQ(store.writeDouble(nullptr, u"d", -0.1), 1);
    ULONGLONG bits = 0;
    ASSERT_EQ(store.readUInt64(u"d", bits), 1);
    EXPECT_EQ(bits, 0xBFB999999999999Aull);

    ASSERT_EQ(store.writeTime(nullptr, u"t", time_t{-1}), 1);
    const settingsEntry& time = store.entries().at(u"t");
    EXPECT_EQ(time.typeTag(), 4);
    EXPECT_EQ(bytes(time.data(), time.data() + time.dataSize()), bytes(8, 0xFF));
}

TEST_F(readWriteSettingsToFileTest, missingNamesFailAndNamesAreCaseSensitive)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeDword(nullptr, u"Name", 1u), 1);
    ASSERT_EQ(store.writeDword(nullptr, u"name", 2u), 1);
    EXPECT_EQ(store.entries().size(), 2u);
    DWORD value = 99;
    EXPECT_EQ(store.readDword(u"NAME", value), 0);
    EXPECT_EQ(value, 99u);
    ASSERT_EQ(store.readDword(u"name", value), 1);
    EXPECT_EQ(value, 2u);
    EXPECT_EQ(store.readDword(nullptr, value), 0);
    EXPECT_EQ(store.writeDword(nullptr, nullptr, value), 0);
    EXPECT_EQ(store.entries().size(), 2u);
}

TEST_F(readWriteSettingsToFileTest, writingANameAgainReplacesKindAndWidth)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeUInt(nullptr, u"v", 7u), 1);
    ASSERT_EQ(store.writeWord(nullptr, u"v", WORD{3}), 1);
    unsigned int asUInt = 0;
    EXPECT_EQ(store.readUInt(u"v", asUInt), 0);
    WORD asWord = 0;
    ASSERT_EQ(store.readWord(u"v", asWord), 1);
    EXPECT_EQ(asWord, 3);

    ASSERT_EQ(store.writeString(nullptr, u"v", stubString(u"text")), 1);
    EXPECT_EQ(store.readWord(u"v", asWord), 0);
    ASSERT_EQ(store.saveFile(wideFilePath().c_str()), 1);
    const bytes saved = readBytes(filePath());
    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(saved[0], 1) << "the entry is counted once";
}

TEST_F(readWriteSettingsToFileTest, stringsStoreTheirTerminatorAndReadUpToTheFirstZero)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeString(nullptr, u"s", stubString(u"ab")), 1);
    const settingsEntry& s = store.entries().at(u"s");
    EXPECT_EQ(s.typeTag(), 1);
    EXPECT_EQ(bytes(s.data(), s.data() + s.dataSize()), (bytes{0x61, 0, 0x62, 0, 0, 0}));

    ASSERT_EQ(store.writeString(nullptr, u"empty", stubString()), 1);
    EXPECT_EQ(store.entries().at(u"empty").dataSize(), 2u);

    const WCHAR withZero[] = {u'a', 0, u'b'};
    ASSERT_EQ(store.writeText(nullptr, u"t", withZero, 3), 1);
    EXPECT_EQ(store.entries().at(u"t").dataSize(), 8u);
    stubString read(u"x");
    ASSERT_EQ(store.readString(u"t", read), 1);
    EXPECT_TRUE(read == u"a");

    ASSERT_EQ(store.writeText(nullptr, u"cut", u"abcdef", 3), 1);
    ASSERT_EQ(store.readString(u"cut", read), 1);
    EXPECT_TRUE(read == u"abc");
    ASSERT_EQ(store.writeText(nullptr, u"none", nullptr, 0), 1);
    EXPECT_EQ(store.entries().at(u"none").dataSize(), 2u);
    EXPECT_EQ(store.writeText(nullptr, u"bad", nullptr, 2), 0);
    EXPECT_EQ(store.writeText(nullptr, u"bad", u"abc", -1), 0);
    EXPECT_EQ(store.entries().count(u"bad"), 0u);
}

TEST_F(readWriteSettingsToFileTest, textReadsGoByTheTagAloneAndStopAtTheFirstZero)
{
    writeBytes(filePath(), imageBuilder()
                               .u32(4)
                               .entry(u"inner", 1, {0x61, 0, 0, 0, 0x62, 0, 0, 0})
                               .entry(u"loose", 1, {0x78, 0, 0x79, 0}) // no terminator
                               .entry(u"odd", 1, {0x71, 0, 0x72})
                               .entry(u"number", 4, {0x61, 0, 0, 0})
                               .get());
    readWriteSettingsToFile store;
    ASSERT_EQ(store.loadFile(wideFilePath().c_str()), 1);
    stubString text;
    ASSERT_EQ(store.readString(u"inner", text), 1);
    EXPECT_TRUE(text == u"a");
    ASSERT_EQ(store.readString(u"loose", text), 1);
    EXPECT_TRUE(text == u"xy");
    ASSERT_EQ(store.readStringA("odd", text), 1);
    EXPECT_TRUE(text == u"q");
    EXPECT_EQ(store.readString(u"number", text), 0) << "a text's size is no number's";
    EXPECT_TRUE(text == u"q");

    WCHAR wide[4] = {u'#', u'#', u'#', u'#'};
    ASSERT_EQ(store.readText(u"loose", wide, 4), 1);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"xy\0\0", 4));
    char narrow[4] = {'#', '#', '#', '#'};
    ASSERT_EQ(store.readTextA("inner", narrow, 2), 1);
    EXPECT_EQ(std::string(narrow, 3), std::string("a\0#", 3));
}

TEST_F(readWriteSettingsToFileTest, readTextCopiesAsWcsncpy)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeString(nullptr, u"s", stubString(u"abc")), 1);

    WCHAR wide[8];
    std::fill(std::begin(wide), std::end(wide), u'#');
    ASSERT_EQ(store.readText(u"s", wide, 6), 1);
    EXPECT_EQ(std::u16string(wide, 8), std::u16string(u"abc\0\0\0##", 8));

    std::fill(std::begin(wide), std::end(wide), u'#');
    ASSERT_EQ(store.readText(u"s", wide, 2), 1);
    EXPECT_EQ(std::u16string(wide, 3), u"ab#") << "no terminator when the text fills it";

    std::fill(std::begin(wide), std::end(wide), u'#');
    EXPECT_EQ(store.readText(u"s", wide, 0), 1);
    EXPECT_EQ(wide[0], u'#');
    EXPECT_EQ(store.readText(u"s", wide, -1), 0);
    EXPECT_EQ(store.readText(u"s", nullptr, 3), 0);
    EXPECT_EQ(store.readText(u"missing", wide, 8), 0);
    EXPECT_EQ(wide[0], u'#');
}

TEST_F(readWriteSettingsToFileTest, readTextACopiesLowBytesOnlyWhenTheTextFits)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeText(nullptr, u"s", u"a\u0142c", 3), 1);
    char narrow[8];
    std::fill(std::begin(narrow), std::end(narrow), '#');
    ASSERT_EQ(store.readTextA("s", narrow, 4), 1);
    EXPECT_EQ(std::string(narrow, 5), std::string("aBc\0#", 5));

    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(store.readTextA("s", narrow, 3), 0);
    EXPECT_EQ(std::string(narrow, 2), std::string("\0#", 2))
        << "an empty string when it does not fit";
    std::fill(std::begin(narrow), std::end(narrow), '#');
    EXPECT_EQ(store.readTextA("s", narrow, 0), 0);
    EXPECT_EQ(narrow[0], '#');
    EXPECT_EQ(store.readTextA("missing", narrow, 8), 0);
    ASSERT_EQ(store.writeInt(nullptr, u"n", 1), 1);
    EXPECT_EQ(store.readTextA("n", narrow, 8), 0);
}

TEST_F(readWriteSettingsToFileTest, eightBitTextAndNamesWidenWithSignExtension)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeTextA(nullptr, "n\xE9", "\xE9z"), 1);
    const auto entry = store.entries().find(u"n\uFFE9");
    ASSERT_NE(entry, store.entries().end());
    EXPECT_EQ(entry->second.name(), u"n\uFFE9");
    EXPECT_EQ(bytes(entry->second.data(), entry->second.data() + entry->second.dataSize()),
              (bytes{0xE9, 0xFF, 0x7A, 0x00, 0, 0}));
    char narrow[4] = {};
    ASSERT_EQ(store.readTextA("n\xE9", narrow, 4), 1);
    EXPECT_STREQ(narrow, "\xE9z");
    EXPECT_EQ(store.writeTextA(nullptr, "x", nullptr), 0);
}

TEST_F(readWriteSettingsToFileTest, stringANamesGoThroughStubStringButRecordTheWidenedBytes)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeStringA(nullptr, "plain", stubString(u"v")), 1);
    stubString read;
    ASSERT_EQ(store.readString(u"plain", read), 1);
    EXPECT_TRUE(read == u"v");

    // UTF-8 "é": keyed by U+00E9, recorded inside the entry as two sign-extended bytes.
    ASSERT_EQ(store.writeStringA(nullptr, "\xC3\xA9", stubString(u"w")), 1);
    const auto entry = store.entries().find(u"\u00E9");
    ASSERT_NE(entry, store.entries().end());
    EXPECT_EQ(entry->second.name(), u"\uFFC3\uFFA9");
    ASSERT_EQ(store.readStringA("\xC3\xA9", read), 1);
    EXPECT_TRUE(read == u"w");

    ASSERT_EQ(store.saveFile(wideFilePath().c_str()), 1);
    readWriteSettingsToFile loaded;
    ASSERT_EQ(loaded.loadFile(wideFilePath().c_str()), 1);
    EXPECT_EQ(loaded.entries().count(u"\uFFC3\uFFA9"), 1u) << "the file carries the entry's name";
}

TEST_F(readWriteSettingsToFileTest, getValueNamesIsNotSupported)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeInt(nullptr, u"a", 1), 1);
    settingsNameSet names;
    EXPECT_EQ(store.getValueNames(u"", names), 0);
    EXPECT_EQ(store.getValueNames(nullptr, names), 0);
    EXPECT_EQ(names.GetCount(), 0);
}

TEST_F(readWriteSettingsToFileTest, compareReportsTheFirstDifference)
{
    readWriteSettingsToFile a;
    readWriteSettingsToFile b;
    EXPECT_EQ(a.compare(b), 0);
    ASSERT_EQ(a.writeInt(nullptr, u"1", 1), 1);
    ASSERT_EQ(a.writeInt(nullptr, u"2", 2), 1);
    ASSERT_EQ(a.writeInt(nullptr, u"3", 3), 1);
    ASSERT_EQ(b.writeInt(nullptr, u"1", 1), 1);
    EXPECT_EQ(a.compare(b), 2);
    EXPECT_EQ(b.compare(a), -2);

    ASSERT_EQ(b.writeInt(nullptr, u"2", 2), 1);
    ASSERT_EQ(b.writeInt(nullptr, u"4", 3), 1);
    EXPECT_EQ(a.compare(b), -1) << "b lacks 3";

    readWriteSettingsToFile c;
    ASSERT_EQ(c.writeInt(nullptr, u"1", 1), 1);
    ASSERT_EQ(c.writeInt(nullptr, u"2", 2), 1);
    ASSERT_EQ(c.writeInt(nullptr, u"3", 3), 1);
    EXPECT_EQ(a.compare(c), 0);

    ASSERT_EQ(c.writeString(nullptr, u"2", stubString(u"x")), 1); // tag 1 against tag 4
    EXPECT_EQ(a.compare(c), 3);
    ASSERT_EQ(c.writeWord(nullptr, u"2", WORD{2}), 1); // 2 bytes against 4
    EXPECT_EQ(a.compare(c), 2);
    ASSERT_EQ(c.writeInt(nullptr, u"2", 0x10), 1); // first data byte 0x02 against 0x10
    EXPECT_EQ(a.compare(c), 2 - 0x10);
    EXPECT_EQ(c.compare(a), 0x10 - 2);

    readWriteSettingsToFile d;
    readWriteSettingsToFile e;
    ASSERT_EQ(d.writeStringA(nullptr, "\xC3\xA9", stubString(u"v")), 1);
    ASSERT_EQ(e.writeString(nullptr, u"\u00E9", stubString(u"v")), 1);
    EXPECT_GT(d.compare(e), 0) << "the names inside the entries differ";
}

TEST_F(readWriteSettingsToFileTest, saveWritesOnlyWithAFileNameAndTheDestructorSaves)
{
    {
        readWriteSettingsToFile store;
        ASSERT_EQ(store.writeUInt(nullptr, u"A", 5u), 1);
        EXPECT_EQ(store.save(), 1);
        EXPECT_EQ(store.getFileName(), nullptr);
    }

    {
        readWriteSettingsToFile store;
        ASSERT_EQ(store.setFileName(wideFilePath().c_str()), 1);
        ASSERT_EQ(store.writeUInt(nullptr, u"A", 5u), 1);
        ASSERT_EQ(store.save(), 1);
        EXPECT_EQ(readBytes(filePath()).size(), 24u);
        ASSERT_EQ(store.writeUInt(nullptr, u"B", 6u), 1);
    }
    EXPECT_EQ(readBytes(filePath()).size(), 44u) << "the destructor saves";

    {
        readWriteSettingsToFile store;
        ASSERT_EQ(store.loadFile(wideFilePath().c_str()), 1);
        EXPECT_EQ(store.getFileName(), nullptr) << "loading does not set the file name";
        ASSERT_EQ(store.setFileName(wideFilePath().c_str()), 1);
        ASSERT_EQ(store.setFileName(nullptr), 1);
        ASSERT_EQ(store.writeUInt(nullptr, u"C", 7u), 1);
    }
    EXPECT_EQ(readBytes(filePath()).size(), 44u) << "an unset name saves nothing";
}

TEST_F(readWriteSettingsToFileTest, failedSaveKeepsTheOldFileAndTheEntries)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeUInt(nullptr, u"A", 5u), 1);
    const std::u16string missingFolder =
        widePath(testsupport::sandboxRoot() / "missing" / "settings.bin");
    EXPECT_EQ(store.saveFile(missingFolder.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(testsupport::sandboxRoot() / "missing"));
    EXPECT_EQ(store.saveFile(widePath(testsupport::sandboxRoot()).c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_directory(testsupport::sandboxRoot()));
    EXPECT_EQ(store.saveFile(nullptr), 0);
    ASSERT_EQ(store.setFileName(missingFolder.c_str()), 1);
    EXPECT_EQ(store.save(), 0);
    ASSERT_EQ(store.setFileName(nullptr), 1);
    unsigned int value = 0;
    ASSERT_EQ(store.readUInt(u"A", value), 1);
    EXPECT_EQ(value, 5u);
}

TEST_F(readWriteSettingsToFileTest, readOnlyFileIsNotReplaced)
{
    readWriteSettingsToFile store;
    ASSERT_EQ(store.writeUInt(nullptr, u"A", 5u), 1);
    const bytes old = {0, 0, 0, 0};
    writeBytes(filePath(), old);
    std::filesystem::permissions(filePath(), std::filesystem::perms::owner_read |
                                                 std::filesystem::perms::group_read);
    EXPECT_EQ(store.saveFile(wideFilePath().c_str()), 0);
    EXPECT_EQ(readBytes(filePath()), old);
    int files = 0;
    for (const auto& item : std::filesystem::directory_iterator(testsupport::sandboxRoot()))
    {
        files += item.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1) << "no temporary file is left";
    EXPECT_EQ(store.entries().size(), 1u);
}

TEST_F(readWriteSettingsToFileTest, everyOperationSurvivesSaveAndReload)
{
    const std::u16string path = wideFilePath();
    {
        readWriteSettingsToFile store;
        ASSERT_EQ(store.writeString(nullptr, u"string", stubString(u"\u00E9t\u00E9")), 1);
        ASSERT_EQ(store.writeStringA(nullptr, "stringA", stubString(u"sa")), 1);
        ASSERT_EQ(store.writeTextA(nullptr, "textA", "narrow"), 1);
        ASSERT_EQ(store.writeUInt64(nullptr, u"uint64", 0x0102030405060708ull), 1);
        ASSERT_EQ(store.writeULongLong(nullptr, u"ulonglong", 0xFFFFFFFFFFFFFFFFull), 1);
        ASSERT_EQ(store.writeDword(nullptr, u"dword", 0xDEADBEEFu), 1);
        ASSERT_EQ(store.writeDouble(nullptr, u"double", 3.25), 1);
        ASSERT_EQ(store.writeWord(nullptr, u"word", WORD{0xBEEF}), 1);
        ASSERT_EQ(store.writeUInt(nullptr, u"uint", 42u), 1);
        ASSERT_EQ(store.writeInt(nullptr, u"int", -42), 1);
        ASSERT_EQ(store.writeWChar(nullptr, u"wchar", WCHAR{0x20AC}), 1);
        ASSERT_EQ(store.writeUChar(nullptr, u"uchar", static_cast<unsigned char>(200)), 1);
        ASSERT_EQ(store.writeChar(nullptr, u"char", 'q'), 1);
        ASSERT_EQ(store.writeText(nullptr, u"text", u"wide text", 4), 1);
        ASSERT_EQ(store.writeTime(nullptr, u"time", time_t{1700000000}), 1);
        ASSERT_EQ(store.setFileName(path.c_str()), 1);
    }
    const bytes firstSave = readBytes(filePath());

    readWriteSettingsToFile store;
    ASSERT_EQ(store.loadFile(path.c_str()), 1);
    EXPECT_EQ(store.entries().size(), 15u);
    stubString s;
    ASSERT_EQ(store.readString(u"string", s), 1);
    EXPECT_TRUE(s == u"\u00E9t\u00E9");
    ASSERT_EQ(store.readStringA("stringA", s), 1);
    EXPECT_TRUE(s == u"sa");
    char narrow[16] = {};
    ASSERT_EQ(store.readTextA("textA", narrow, 16), 1);
    EXPECT_STREQ(narrow, "narrow");
    ULONGLONG u64 = 0;
    ASSERT_EQ(store.readUInt64(u"uint64", u64), 1);
    EXPECT_EQ(u64, 0x0102030405060708ull);
    ASSERT_EQ(store.readULongLong(u"ulonglong", u64), 1);
    EXPECT_EQ(u64, 0xFFFFFFFFFFFFFFFFull);
    DWORD dw = 0;
    ASSERT_EQ(store.readDword(u"dword", dw), 1);
    EXPECT_EQ(dw, 0xDEADBEEFu);
    double d = 0;
    ASSERT_EQ(store.readDouble(u"double", d), 1);
    EXPECT_EQ(d, 3.25);
    WORD w = 0;
    ASSERT_EQ(store.readWord(u"word", w), 1);
    EXPECT_EQ(w, 0xBEEF);
    unsigned int ui = 0;
    ASSERT_EQ(store.readUInt(u"uint", ui), 1);
    EXPECT_EQ(ui, 42u);
    int i = 0;
    ASSERT_EQ(store.readInt(u"int", i), 1);
    EXPECT_EQ(i, -42);
    WCHAR wc = 0;
    ASSERT_EQ(store.readWChar(u"wchar", wc), 1);
    EXPECT_EQ(wc, 0x20AC);
    unsigned char uc = 0;
    ASSERT_EQ(store.readUChar(u"uchar", uc), 1);
    EXPECT_EQ(uc, 200);
    char c = 0;
    ASSERT_EQ(store.readChar(u"char", c), 1);
    EXPECT_EQ(c, 'q');
    WCHAR wide[8] = {};
    ASSERT_EQ(store.readText(u"text", wide, 8), 1);
    EXPECT_EQ(std::u16string(wide), u"wide");
    time_t t = 0;
    ASSERT_EQ(store.readTime(u"time", t), 1);
    EXPECT_EQ(t, time_t{1700000000});

    ASSERT_EQ(store.saveFile(wideFilePath("second.bin").c_str()), 1);
    EXPECT_EQ(readBytes(filePath("second.bin")), firstSave);
    readWriteSettingsToFile again;
    ASSERT_EQ(again.loadFile(wideFilePath("second.bin").c_str()), 1);
    EXPECT_EQ(store.compare(again), 0);
}
