// rzreg export and import as a user runs them: exported files byte for byte, every type and odd
// size through a round trip, and damaged files refused with nothing written.

#include "platform/wideText.h"
#include "tests/rzreg/rzregProcess.h"
#include "tests/testsupport/testSandbox.h"
#include <reZevavEvadurov/registry.h>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace
{

using rzregTest::run;
using rzregTest::utf16;
using namespace std::string_literals;

const std::string K = "HKCU\\Software\\Corvane\\Tarnwickx64";
const std::string FULL = "HKEY_CURRENT_USER\\Software\\Corvane\\Tarnwickx64";
const std::u16string KEY16 = u"Software\\Corvane\\Tarnwickx64";
const std::string OK = "The operation completed successfully.\n";

struct storedValue
{
    std::u16string name;
    DWORD type;
    std::vector<BYTE> data;
    bool operator==(const storedValue&) const = default;
};

std::vector<BYTE> bytes(std::initializer_list<int> list)
{
    return std::vector<BYTE>(list.begin(), list.end());
}

void setAll(const std::vector<storedValue>& values)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, KEY16.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              0);
    for (const storedValue& v : values)
    {
        EXPECT_EQ(RegSetValueExW(key, v.name.c_str(), 0, v.type, v.data.data(),
                                 static_cast<DWORD>(v.data.size())),
                  0);
    }
    RegCloseKey(key);
}

std::vector<storedValue> readAll()
{
    std::vector<storedValue> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, KEY16.c_str(), 0, KEY_READ, &key) != 0)
    {
        return values;
    }
    for (DWORD i = 0;; ++i)
    {
        WCHAR name[256];
        DWORD chars = 256;
        storedValue v{};
        std::vector<BYTE> data(4096);
        DWORD size = static_cast<DWORD>(data.size());
        if (RegEnumValueW(key, i, name, &chars, nullptr, &v.type, data.data(), &size) != 0)
        {
            break;
        }
        v.name.assign(name, chars);
        v.data.assign(data.begin(), data.begin() + size);
        values.push_back(v);
    }
    RegCloseKey(key);
    return values;
}

std::string inSandbox(const char* name)
{
    return (testsupport::sandboxRoot() / name).string();
}

// "00,01,...": the bytes first..last as .reg hex pairs.
std::string hexRun(int first, int last)
{
    std::string text;
    char pair[4];
    for (int b = first; b <= last; ++b)
    {
        std::snprintf(pair, sizeof pair, "%02x", b);
        text += b == first ? "" : ",";
        text += pair;
    }
    return text;
}

TEST(rzregFileTest, ExportWritesTheWindowsFileByteForByte)
{
    std::vector<BYTE> sixty;
    for (int b = 0; b < 60; ++b)
    {
        sixty.push_back(static_cast<BYTE>(b));
    }
    setAll({{u"debugHeap", REG_DWORD, bytes({1, 0, 0, 0})},
            {u"dir", REG_SZ, bytes({'C', 0, ':', 0, '\\', 0, '"', 0, 0, 0})},
            {u"", REG_SZ, bytes({'d', 0, 0, 0})},
            {u"short", REG_DWORD, bytes({1, 0})},
            {u"q", REG_QWORD, bytes({1, 2, 3, 4, 5, 6, 7, 8})},
            {u"m", REG_MULTI_SZ, bytes({'a', 0, 0, 0, 0, 0})},
            {u"e", REG_EXPAND_SZ, bytes({'%', 0, 0, 0})},
            {u"n", REG_NONE, {}},
            {u"long", REG_BINARY, sixty}});
    ASSERT_EQ(run({"add", K + "\\Sub", "/v", "x", "/t", "REG_DWORD", "/d", "0xdeadbeef"}).out, OK);

    const std::string file = inSandbox("out.reg");
    ASSERT_EQ(run({"export", "hkcu\\software\\corvane", file}).out, OK);
    EXPECT_EQ(rzregTest::readFile(file),
              utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                    "[HKEY_CURRENT_USER\\software\\corvane]\r\n\r\n"
                    "[HKEY_CURRENT_USER\\software\\corvane\\Tarnwickx64]\r\n"
                    "\"debugHeap\"=dword:00000001\r\n"
                    "\"dir\"=\"C:\\\\\\\"\"\r\n"
                    "@=\"d\"\r\n"
                    "\"short\"=hex(4):01,00\r\n"
                    "\"q\"=hex(b):01,02,03,04,05,06,07,08\r\n"
                    "\"m\"=hex(7):61,00,00,00,00,00\r\n"
                    "\"e\"=hex(2):25,00,00,00\r\n"
                    "\"n\"=hex(0):\r\n"
                    "\"long\"=hex:" +
                    hexRun(0, 21) + ",\\\r\n  " + hexRun(22, 46) + ",\\\r\n  " + hexRun(47, 59) +
                    "\r\n\r\n"
                    "[HKEY_CURRENT_USER\\software\\corvane\\Tarnwickx64\\Sub]\r\n"
                    "\"x\"=dword:deadbeef\r\n\r\n"));

    // An existing file is kept unless the user agrees or passed /y.
    EXPECT_EQ(run({"export", K, file}, "n\n").out,
              "File " + file +
                  " already exists. Overwrite (Yes/No)? The operation was canceled by the user.\n");
    EXPECT_EQ(run({"export", K + "\\Sub", file, "/y"}).out, OK);
    EXPECT_EQ(rzregTest::readFile(file), utf16("Windows Registry Editor Version 5.00\r\n\r\n[" +
                                               FULL + "\\Sub]\r\n\"x\"=dword:deadbeef\r\n\r\n"));
}

TEST(rzregFileTest, EveryTypeAndOddSizeRoundTripsThroughExportAndImport)
{
    const std::vector<storedValue> values{
        {u"text", REG_SZ, bytes({'h', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE, 0, 0})},
        {u"noTerminator", REG_SZ, bytes({'a', 0, 'b', 0})},
        {u"oddSize", REG_SZ, bytes({'a', 0, 'b'})},
        {u"emptyString", REG_SZ, {}},
        {u"innerNul", REG_SZ, bytes({'a', 0, 0, 0, 'b', 0, 0, 0})},
        {u"lineBreak", REG_SZ, bytes({'a', 0, '\n', 0, 0, 0})},
        {u"expand", REG_EXPAND_SZ, bytes({'%', 0, 'A', 0, '%', 0, 0, 0})},
        {u"multi", REG_MULTI_SZ, bytes({'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0})},
        {u"dword", REG_DWORD, bytes({0x78, 0x56, 0x34, 0x12})},
        {u"bigEndianDword", 5, bytes({0x12, 0x34, 0x56, 0x78})},
        {u"twoByteDword", REG_DWORD, bytes({1, 0})},
        {u"emptyDword", REG_DWORD, {}},
        {u"qword", REG_QWORD, bytes({1, 2, 3, 4, 5, 6, 7, 8})},
        {u"threeByteQword", REG_QWORD, bytes({1, 2, 3})},
        {u"binary", REG_BINARY, bytes({0, 0xFF, 0x80})},
        {u"emptyBinary", REG_BINARY, {}},
        {u"none", REG_NONE, bytes({9})},
        {u"ownType", 0x1234, bytes({1})},
        {u"quote\"and\\slash", REG_SZ, bytes({'"', 0, '\\', 0, 0, 0})},
        {u"", REG_SZ, bytes({'d', 0, 0, 0})},
        {u"Gr\u00FC\u00DFe \u4E2D", REG_DWORD, bytes({0, 0, 0, 0})},
    };
    setAll(values);
    const std::string file = inSandbox("all.reg");
    ASSERT_EQ(run({"export", K, file}).out, OK);
    const std::string exported = rzregTest::readFile(file);
    ASSERT_EQ(run({"delete", K, "/f"}).out, OK);
    ASSERT_TRUE(readAll().empty());

    const rzregTest::result imported = run({"import", file});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out + imported.err, OK);
    EXPECT_EQ(readAll(), values);
    ASSERT_EQ(run({"export", K, file, "/y"}).out, OK);
    EXPECT_EQ(rzregTest::readFile(file), exported);
}

TEST(rzregFileTest, ImportReadsUtf8AndRegedit4FilesWithDeletionsAndComments)
{
    setAll({{u"old", REG_SZ, bytes({'o', 0, 0, 0})}, {u"stay", REG_DWORD, bytes({7, 0, 0, 0})}});
    ASSERT_EQ(run({"add", K + "\\Gone\\Deep", "/v", "x", "/d", "1"}).out, OK);
    const std::string utf8 = inSandbox("utf8.reg");
    rzregTest::writeFile(utf8, "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n"
                               "; a comment\n"
                               "[-" +
                                   FULL +
                                   "\\Gone]\n"
                                   "[-" +
                                   FULL +
                                   "\\NeverThere]\n"
                                   "[" +
                                   FULL +
                                   "]\n"
                                   "\"old\"=-\n"
                                   "\"missing\"=-\n"
                                   "\"caf\xC3\xA9\" = \"\xE2\x82\xAC\"\n"
                                   "\"hex\"=hex(2):41,00,\\\n"
                                   "    00,00\n");
    EXPECT_EQ(run({"import", utf8}).err, OK);
    const std::string ansi = inSandbox("regedit4.reg");
    rzregTest::writeFile(ansi, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Corvane\\Tarnwickx64]"
                               "\r\n\"eight\"=hex(2):41,42,00\r\n\"dw\"=dword:0000002a\r\n");
    EXPECT_EQ(run({"import", ansi}).err, OK);
    EXPECT_EQ(readAll(), (std::vector<storedValue>{
                             {u"stay", REG_DWORD, bytes({7, 0, 0, 0})},
                             {u"caf\u00E9", REG_SZ, bytes({0xAC, 0x20, 0, 0})},
                             {u"hex", REG_EXPAND_SZ, bytes({0x41, 0, 0, 0})},
                             {u"eight", REG_EXPAND_SZ, bytes({'A', 0, 'B', 0, 0, 0})},
                             {u"dw", REG_DWORD, bytes({42, 0, 0, 0})},
                         }));
    EXPECT_EQ(run({"query", K + "\\Gone"}).status, 1);
}

TEST(rzregFileTest, AnImportRefusedPartWayChangesNothingInEitherHive)
{
    ASSERT_EQ(run({"add", K, "/v", "keep", "/t", "REG_DWORD", "/d", "1"}).out, OK);
    const std::string file = inSandbox("partway.reg");
    // The file is sound; deleting the standard key Software is refused only after the keys
    // below it are gone and the values above are set.
    rzregTest::writeFile(file,
                         "Windows Registry Editor Version 5.00\r\n\r\n[" + FULL +
                             "]\r\n\"new\"=\"x\"\r\n\r\n[HKEY_USERS\\.DEFAULT\\Software\\"
                             "Corvane]\r\n\"u\"=\"y\"\r\n\r\n[-HKEY_CURRENT_USER\\Software]\r\n");
    const rzregTest::result r = run({"import", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "ERROR: " + file + ", line 9: Access is denied. Nothing was imported.\n");
    EXPECT_EQ(readAll(), (std::vector<storedValue>{{u"keep", REG_DWORD, bytes({1, 0, 0, 0})}}));
    EXPECT_EQ(run({"query", "HKU\\.DEFAULT\\Software\\Corvane"}).status, 1);
}

TEST(rzregFileTest, AnImportKilledAtAnyMomentLeavesAllOrNothing)
{
    ASSERT_EQ(run({"add", K, "/v", "keep", "/t", "REG_DWORD", "/d", "1"}).out, OK);
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n[" + FULL + "]\r\n";
    constexpr int count = 400;
    for (int i = 0; i < count; ++i)
    {
        text += "\"v" + std::to_string(i) + "\"=dword:00000001\r\n";
    }
    const std::string file = inSandbox("many.reg");
    rzregTest::writeFile(file, text);
    int killed = 0;
    for (unsigned delay = 0; delay < 60000; delay += 4000)
    {
        ASSERT_EQ(run({"delete", K, "/f"}).out, OK);
        ASSERT_EQ(run({"add", K, "/v", "keep", "/t", "REG_DWORD", "/d", "1"}).out, OK);
        killed += rzregTest::runKilledAfter({"import", file}, delay) ? 1 : 0;
        const std::size_t found = readAll().size();
        EXPECT_TRUE(found == 1 || found == count + 1) << found << " values after " << delay;
    }
    EXPECT_GT(killed, 0) << "every import ended before its kill";
}

struct damagedFile
{
    const char* name;
    std::string bytes;
    std::string reason; // what follows "ERROR: <file>, "
};

class rzregDamagedImportTest : public ::testing::TestWithParam<damagedFile>
{
};

const std::string HEAD = "Windows Registry Editor Version 5.00\r\n\r\n[" + FULL +
                         "]\r\n\"keep\"=dword:00000002\r\n\"new\"=\"x\"\r\n";

TEST_P(rzregDamagedImportTest, IsRefusedWithNothingWritten)
{
    ASSERT_EQ(run({"add", K, "/v", "keep", "/t", "REG_DWORD", "/d", "1"}).out, OK);
    const std::string file = inSandbox("damaged.reg");
    rzregTest::writeFile(file, GetParam().bytes);
    const rzregTest::result r = run({"import", file});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "ERROR: " + file + GetParam().reason + ". Nothing was imported.\n");
    EXPECT_EQ(readAll(), (std::vector<storedValue>{{u"keep", REG_DWORD, bytes({1, 0, 0, 0})}}));
    EXPECT_EQ(run({"query", "HKCU\\Software\\Other"}).status, 1);
}

INSTANTIATE_TEST_SUITE_P(
    rzreg, rzregDamagedImportTest,
    ::testing::Values(
        damagedFile{"Empty", "", ", line 1: not a registry file (bad header)"},
        damagedFile{"BadHeader", "Windows Registry Editor Version 4.00\r\n[" + FULL + "]\r\n",
                    ", line 1: not a registry file (bad header)"},
        damagedFile{"BadHex", HEAD + "\"b\"=hex:01,zz\r\n", ", line 6: bad hex data"},
        damagedFile{"LongHexPair", HEAD + "\"b\"=hex:123\r\n", ", line 6: bad hex data"},
        damagedFile{"BadType", HEAD + "\"b\"=hex(q):01\r\n", ", line 6: bad value type"},
        damagedFile{"BadDword", HEAD + "\"b\"=dword:123456789\r\n", ", line 6: bad dword data"},
        damagedFile{"UnterminatedString", HEAD + "\"b\"=\"abc\r\n",
                    ", line 6: unterminated string"},
        damagedFile{"UnterminatedName", HEAD + "\"b=\"abc\"\r\n",
                    ", line 6: expected \"=\" after the value name"},
        damagedFile{"UnknownRoot", HEAD + "[HKEY_LOCAL_MACHINE\\Software\\Other]\r\n",
                    ", line 6: unknown root key or bad key name"},
        damagedFile{"UnterminatedKey", HEAD + "[HKEY_CURRENT_USER\\Software\\Other\r\n",
                    ", line 6: unterminated key name"},
        damagedFile{"ContinuedPastTheEnd", HEAD + "\"b\"=hex:01,\\",
                    ", line 6: hex data continued past its end"},
        damagedFile{"ContinuedOntoAValue", HEAD + "\"b\"=hex:01,\\\r\n\r\n\"c\"=\"x\"\r\n",
                    ", line 6: bad hex data"},
        damagedFile{"HeaderAfterABlankLine", "\r\n" + HEAD,
                    ", line 1: not a registry file (bad header)"},
        damagedFile{"NulInDeletedKeyName", HEAD + "[-" + FULL + "\0Gone]\r\n"s,
                    ", line 6: NUL character in the key name"},
        damagedFile{"NulInValueName", HEAD + "\"keep\0x\"=dword:00000009\r\n"s,
                    ", line 6: NUL character in the value name"},
        damagedFile{"LoneUtf16Surrogate", utf16(HEAD + "\"b\"=\"") + "\x00\xD8\"\x00"s,
                    ", line 6: lone UTF-16 surrogate"},
        damagedFile{"Utf8EncodedSurrogate", HEAD + "\"b\"=\"\xED\xA0\x80\"\r\n",
                    ", line 6: the file is neither UTF-16 with a byte-order mark nor UTF-8"},
        damagedFile{"ValueOutsideAKey",
                    "Windows Registry Editor Version 5.00\r\n\"b\"=\"x\"\r\n" + HEAD.substr(40),
                    ", line 2: value outside a key"},
        damagedFile{"Garbage", HEAD + "[HKEY_CURRENT_USER\\Software\\Other]\r\nnonsense\r\n",
                    ", line 7: neither a key nor a value"},
        damagedFile{"RootDeletion", HEAD + "[-HKEY_CURRENT_USER]\r\n",
                    ", line 6: a root key cannot be deleted"},
        damagedFile{"OddSizeUtf16", utf16(HEAD) + "x",
                    ": the file is not whole UTF-16 text (odd size)"},
        damagedFile{"NotUtf8", HEAD + "\"b\"=\"\xFF\"\r\n",
                    ", line 6: the file is neither UTF-16 with a byte-order mark nor UTF-8"}),
    [](const auto& info) { return std::string(info.param.name); });

// Files that Windows takes; REGEDIT3 imports nothing, with success.
struct acceptedFile
{
    const char* name;
    std::string bytes;
    std::vector<storedValue> stored;
};

class rzregAcceptedImportTest : public ::testing::TestWithParam<acceptedFile>
{
};

const std::string KEYHEAD = "Windows Registry Editor Version 5.00\r\n\r\n[" + FULL + "]\r\n";
const storedValue KEEP{u"keep", REG_DWORD, bytes({1, 0, 0, 0})};
const storedValue DWORD2{u"b", REG_DWORD, bytes({2, 0, 0, 0})};
const storedValue BINARY12{u"b", REG_BINARY, bytes({1, 2})};

TEST_P(rzregAcceptedImportTest, IsImported)
{
    setAll({KEEP});
    const std::string file = inSandbox("accepted.reg");
    rzregTest::writeFile(file, GetParam().bytes);
    const rzregTest::result r = run({"import", file});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, OK);
    EXPECT_EQ(readAll(), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(
    rzreg, rzregAcceptedImportTest,
    ::testing::Values(
        acceptedFile{
            "CommentAfterAValue", KEYHEAD + "\"b\"=dword:00000002 ;note\r\n", {KEEP, DWORD2}},
        acceptedFile{"HashLine", KEYHEAD + "# note\r\n\"b\"=dword:00000002\r\n", {KEEP, DWORD2}},
        acceptedFile{
            "BlankLineInHexData", KEYHEAD + "\"b\"=hex:01,\\\r\n\r\n  02\r\n", {KEEP, BINARY12}},
        acceptedFile{"CommentAfterAContinuation",
                     KEYHEAD + "\"b\"=hex:01,\\ ;more\r\n  02\r\n",
                     {KEEP, BINARY12}},
        acceptedFile{"KeyEndingInTwoBackslashes",
                     "REGEDIT4\r\n\r\n[" + FULL + "\\\\]\r\n\"b\"=dword:00000002\r\n",
                     {KEEP, DWORD2}},
        acceptedFile{
            "Regedit3", "REGEDIT3\r\n\r\n[" + FULL + "]\r\n\"b\"=dword:00000002\r\n", {KEEP}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(rzregFileTest, WhatIsNotAFileIsRefusedWithoutBeingRead)
{
    const std::string fifo = inSandbox("fifo.reg");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {fifo, inSandbox(""), "/dev/zero"s})
    {
        const rzregTest::result r = run({"import", path});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, "ERROR: " + path + ": not a regular file. Nothing was imported.\n");
    }
}

} // namespace
