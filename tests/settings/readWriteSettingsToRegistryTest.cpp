#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include "support/logFile.h"
#include "tests/settings/registryStoreFixture.h"
#include <reZevavEvadurov/lastError.h>
#include <reZevavEvadurov/stubString.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace
{
using readWriteSettingsToRegistryTest = registryStoreFixture;

std::u16string str(const stubString& s)
{
    return s.str();
}

TEST_F(readWriteSettingsToRegistryTest, MissingValuesFailAndKeepTheCallersDefaults)
{
    DWORD dword = 77;
    EXPECT_EQ(store.readDword(u"absent", dword), 0);
    EXPECT_EQ(dword, 77u);
    ULONGLONG big = 5;
    EXPECT_EQ(store.readUInt64(u"absent", big), 0);
    EXPECT_EQ(big, 5u);
    stubString text(u"default");
    EXPECT_EQ(store.readString(u"absent", text), 0);
    EXPECT_EQ(str(text), u"default");
    EXPECT_EQ(store.readStringA("absent", text), 0);
    EXPECT_EQ(str(text), u"default");
    char c = 'x';
    EXPECT_EQ(store.readChar(u"absent", c), 0);
    EXPECT_EQ(c, 'x');
}

TEST_F(readWriteSettingsToRegistryTest, EachWriteStoresItsTypeAndExactBytes)
{
    const DWORD dword = 0x11223344;
    const unsigned int uint = 0xCAFEF00D;
    const int negative = -5;
    const double real = 1.5;
    const WCHAR wide = u'\x263A';
    const unsigned char uchar = 0xFE;
    const char ch = 'q';
    const time_t when = 0x0102030405060708;
    const ULONGLONG u64 = 0x8877665544332211;
    const WORD word = 0x1234;
    ASSERT_EQ(store.writeDword(nullptr, u"dword", dword), 1);
    ASSERT_EQ(store.writeUInt(nullptr, u"uint", uint), 1);
    ASSERT_EQ(store.writeInt(nullptr, u"int", negative), 1);
    ASSERT_EQ(store.writeDouble(nullptr, u"double", real), 1);
    ASSERT_EQ(store.writeWChar(nullptr, u"wchar", wide), 1);
    ASSERT_EQ(store.writeUChar(nullptr, u"uchar", uchar), 1);
    ASSERT_EQ(store.writeChar(nullptr, u"char", ch), 1);
    ASSERT_EQ(store.writeTime(nullptr, u"time", when), 1);
    ASSERT_EQ(store.writeUInt64(nullptr, u"u64", u64), 1);
    ASSERT_EQ(store.writeULongLong(nullptr, u"ull", u64), 1);
    ASSERT_EQ(store.writeWord(nullptr, u"word", word), 1);

    struct expected
    {
        const WCHAR* name;
        DWORD type;
        std::vector<BYTE> bytes;
    };
    const expected table[] = {
        {u"dword", REG_DWORD, {0x44, 0x33, 0x22, 0x11}},
        {u"uint", REG_DWORD, {0x0D, 0xF0, 0xFE, 0xCA}},
        {u"int", REG_DWORD, {0xFB, 0xFF, 0xFF, 0xFF}},
        {u"double", REG_BINARY, bytesOf(&real, 8)},
        {u"wchar", REG_BINARY, {0x3A, 0x26}},
        {u"uchar", REG_BINARY, {0xFE}},
        {u"char", REG_BINARY, {'q'}},
        {u"time", REG_DWORD, {8, 7, 6, 5, 4, 3, 2, 1}},
        {u"u64", REG_DWORD, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
        {u"ull", REG_DWORD, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}},
        {u"word", REG_DWORD, {0x34, 0x12}},
    };
    for (const expected& row : table)
    {
        const rawValue value = raw(row.name);
        EXPECT_EQ(value.type, row.type) << wideText::toUtf8(row.name);
        EXPECT_EQ(value.bytes, row.bytes) << wideText::toUtf8(row.name);
    }

    DWORD dwordBack = 0;
    unsigned int uintBack = 0;
    int intBack = 0;
    double realBack = 0;
    WCHAR wideBack = 0;
    unsigned char ucharBack = 0;
    char chBack = 0;
    time_t whenBack = 0;
    ULONGLONG u64Back = 0;
    ULONGLONG ullBack = 0;
    WORD wordBack = 0;
    EXPECT_EQ(store.readDword(u"dword", dwordBack), 1);
    EXPECT_EQ(store.readUInt(u"uint", uintBack), 1);
    EXPECT_EQ(store.readInt(u"int", intBack), 1);
    EXPECT_EQ(store.readDouble(u"double", realBack), 1);
    EXPECT_EQ(store.readWChar(u"wchar", wideBack), 1);
    EXPECT_EQ(store.readUChar(u"uchar", ucharBack), 1);
    EXPECT_EQ(store.readChar(u"char", chBack), 1);
    EXPECT_EQ(store.readTime(u"time", whenBack), 1);
    EXPECT_EQ(store.readUInt64(u"u64", u64Back), 1);
    EXPECT_EQ(store.readULongLong(u"ull", ullBack), 1);
    EXPECT_EQ(store.readWord(u"word", wordBack), 1);
    EXPECT_EQ(dwordBack, dword);
    EXPECT_EQ(uintBack, uint);
    EXPECT_EQ(intBack, negative);
    EXPECT_EQ(realBack, real);
    EXPECT_EQ(wideBack, wide);
    EXPECT_EQ(ucharBack, uchar);
    EXPECT_EQ(chBack, ch);
    EXPECT_EQ(whenBack, when);
    EXPECT_EQ(u64Back, u64);
    EXPECT_EQ(ullBack, u64);
    EXPECT_EQ(wordBack, word);
}

TEST_F(readWriteSettingsToRegistryTest, ShorterStoredValuesFillOnlyTheLowBytesLongerOnesFail)
{
    ASSERT_EQ(store.writeChar(nullptr, u"c", 1), 1);
    DWORD value = 0xAABBCCDD;
    EXPECT_EQ(store.readDword(u"c", value), 1);
    EXPECT_EQ(value, 0xAABBCC01u);

    ASSERT_EQ(store.writeWord(nullptr, u"w", WORD{0x1234}), 1);
    value = 0xAABBCCDD;
    EXPECT_EQ(store.readDword(u"w", value), 1);
    EXPECT_EQ(value, 0xAABB1234u);

    ASSERT_EQ(store.writeUInt64(nullptr, u"q", ULONGLONG{0x0102030405060708}), 1);
    value = 0xAABBCCDD;
    EXPECT_EQ(store.readDword(u"q", value), 0);
    char c = 0;
    EXPECT_EQ(store.readChar(u"w", c), 0);
    double real = 0;
    EXPECT_EQ(store.readDouble(u"q", real), 1) << "the store ignores the stored type";
}

TEST_F(readWriteSettingsToRegistryTest, StringsStoreTheirTerminatorAndReadBackAtAnyLength)
{
    ASSERT_EQ(store.writeString(nullptr, u"empty", stubString()), 1);
    EXPECT_EQ(raw(u"empty").type, REG_SZ);
    EXPECT_EQ(raw(u"empty").bytes, (std::vector<BYTE>{0, 0}));

    // 260 characters fill the first buffer exactly; 261 and 300 need the second.
    for (const std::size_t length : {1u, 259u, 260u, 261u, 300u, 5000u})
    {
        const std::u16string text = repeatW(u'\x00E9', length - 1) + u"z";
        ASSERT_EQ(store.writeString(nullptr, u"s", stubString(text.c_str())), 1);
        EXPECT_EQ(raw(u"s").bytes, wideBytes(text));
        stubString back(u"old");
        EXPECT_EQ(store.readString(u"s", back), 1) << length;
        EXPECT_EQ(str(back), text) << length;
    }
}

TEST_F(readWriteSettingsToRegistryTest, EightBitStringOperationsConvertNamesAndText)
{
    const stubString text("gr\xC3\xBC\xC3\x9F"
                          "e");
    ASSERT_EQ(store.writeStringA(nullptr, "n\xC3\xA4me", text), 1);
    EXPECT_EQ(raw(u"n\x00E4me").bytes, wideBytes(u"gr\x00FC\x00DF"
                                                 "e"));
    stubString back;
    EXPECT_EQ(store.readStringA("n\xC3\xA4me", back), 1);
    EXPECT_EQ(str(back), u"gr\x00FC\x00DF"
                         "e");
    EXPECT_EQ(store.readString(u"N\x00C4ME", back), 1) << "names ignore case";

    const std::string longText = repeat('a', 400);
    ASSERT_EQ(store.writeTextA(nullptr, "longA", longText.c_str()), 1);
    EXPECT_EQ(raw(u"longA").type, REG_SZ);
    EXPECT_EQ(store.readStringA("longA", back), 1);
    EXPECT_EQ(wideText::toUtf8(back.c_str()), longText);

    char buffer[8];
    ASSERT_EQ(store.writeTextA(nullptr, "shortA", "abc"), 1);
    EXPECT_EQ(store.readTextA("shortA", buffer, sizeof buffer), 1);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(store.readTextA("longA", buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
}

TEST_F(readWriteSettingsToRegistryTest, ReadTextFailsEmptyWhenTheBufferIsTooSmall)
{
    const std::u16string forty = repeatW(u'x', 40);
    ASSERT_EQ(store.writeText(nullptr, u"t", forty.c_str(), 41), 1);
    EXPECT_EQ(raw(u"t").bytes.size(), 82u);

    WCHAR small[10] = {u'k', u'e', u'e', u'p', 0};
    EXPECT_EQ(store.readText(u"t", small, 10), 0);
    EXPECT_EQ(small[0], 0);

    WCHAR exact[41];
    EXPECT_EQ(store.readText(u"t", exact, 41), 1);
    EXPECT_EQ(std::u16string(exact), forty);

    // A stored text without its terminator that fills the whole array has no room for one.
    ASSERT_EQ(store.writeText(nullptr, u"bare", forty.c_str(), 40), 1);
    EXPECT_EQ(raw(u"bare").bytes.size(), 80u);
    EXPECT_EQ(store.readText(u"bare", exact, 40), 0);
    EXPECT_EQ(exact[0], 0);
    EXPECT_EQ(store.readText(u"bare", exact, 41), 1);
    EXPECT_EQ(std::u16string(exact), forty);

    WCHAR untouched[4] = {u'a', u'b', u'c', 0};
    EXPECT_EQ(store.readText(u"absent", untouched, 4), 0);
    EXPECT_EQ(untouched[0], 0) << "a failed read empties the array";
}

TEST_F(readWriteSettingsToRegistryTest, TextReadsWithoutRoomFailWithoutTouchingTheBuffer)
{
    ASSERT_EQ(store.writeString(nullptr, u"t", stubString(u"abc")), 1);
    WCHAR wide[2] = {u'k', u'k'};
    EXPECT_EQ(store.readText(u"t", wide, 0), 0);
    EXPECT_EQ(store.readText(u"t", wide, -3), 0);
    EXPECT_EQ(store.readText(u"t", nullptr, 8), 0);
    EXPECT_EQ(wide[0], u'k');
    char narrow[2] = {'k', 'k'};
    EXPECT_EQ(store.readTextA("t", narrow, 0), 0);
    EXPECT_EQ(store.readTextA("t", narrow, -1), 0);
    EXPECT_EQ(store.readTextA("t", nullptr, 8), 0);
    EXPECT_EQ(narrow[0], 'k');
}

TEST_F(readWriteSettingsToRegistryTest, WriteTextStoresExactlyTheGivenLength)
{
    ASSERT_EQ(store.writeText(nullptr, u"t", u"abcdef", 3), 1);
    EXPECT_EQ(raw(u"t").type, REG_SZ);
    EXPECT_EQ(raw(u"t").bytes, (std::vector<BYTE>{'a', 0, 'b', 0, 'c', 0}));
    ASSERT_EQ(store.writeText(nullptr, u"none", nullptr, 0), 1);
    EXPECT_TRUE(raw(u"none").bytes.empty());

    EXPECT_EQ(store.writeText(nullptr, u"bad", u"abc", -1), 0);
    EXPECT_EQ(store.writeText(nullptr, u"bad", nullptr, 5), 0);
    EXPECT_FALSE(exists(u"bad"));
}

// Strings stored by other programs need not end in NUL or have an even size.
TEST_F(readWriteSettingsToRegistryTest, StringReadsStopAtTheDataEndOrTheFirstNul)
{
    const std::u16string abc = u"abc";
    setRaw(u"noNul", REG_SZ, abc.data(), 6);
    setRaw(u"odd", REG_SZ, u"abcd", 7);
    setRaw(u"embedded", REG_SZ, u"ab\0cd", 10);
    setRaw(u"emptyData", REG_SZ, nullptr, 0);
    const std::u16string longText = repeatW(u'L', 300);
    setRaw(u"longNoNul", REG_SZ, longText.data(), 601);

    const struct
    {
        const WCHAR* name;
        std::u16string text;
    } cases[] = {{u"noNul", u"abc"},
                 {u"odd", u"abc"},
                 {u"embedded", u"ab"},
                 {u"emptyData", u""},
                 {u"longNoNul", longText}};
    for (const auto& c : cases)
    {
        stubString s(u"old");
        EXPECT_EQ(store.readString(c.name, s), 1) << wideText::toUtf8(c.name);
        EXPECT_EQ(str(s), c.text) << wideText::toUtf8(c.name);
        stubString a(u"old");
        EXPECT_EQ(store.readStringA(wideText::toUtf8(c.name).c_str(), a), 1);
        EXPECT_EQ(str(a), c.text) << wideText::toUtf8(c.name);
        WCHAR buffer[400];
        EXPECT_EQ(store.readText(c.name, buffer, 400), 1);
        EXPECT_EQ(std::u16string(buffer), c.text) << wideText::toUtf8(c.name);
        char narrow[400];
        EXPECT_EQ(store.readTextA(wideText::toUtf8(c.name).c_str(), narrow, 400), 1);
        EXPECT_EQ(wideText::fromUtf8(narrow), c.text) << wideText::toUtf8(c.name);
    }
}

// Whatever a hive holds under a name, the reads answer without reading past a buffer.
TEST_F(readWriteSettingsToRegistryTest, AnyStoredTypeOrSizeIsReadSafely)
{
    std::vector<BYTE> noise(3001);
    for (std::size_t i = 0; i < noise.size(); ++i)
    {
        noise[i] = static_cast<BYTE>(i * 37 + 11);
    }
    for (const DWORD type : {REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ,
                             REG_QWORD, DWORD{0x12345}})
    {
        for (const DWORD size : {0u, 1u, 3u, 521u, 522u, 523u, 3001u})
        {
            setRaw(u"v", type, noise.data(), size);
            stubString s;
            EXPECT_EQ(store.readString(u"v", s), 1);
            EXPECT_EQ(store.readStringA("v", s), 1);
            WCHAR wide[300];
            store.readText(u"v", wide, 300);
            EXPECT_LT(std::char_traits<char16_t>::length(wide), 300u);
            char narrow[300];
            store.readTextA("v", narrow, 300);
            EXPECT_LT(std::strlen(narrow), 300u);
            ULONGLONG q = 0;
            EXPECT_EQ(store.readUInt64(u"v", q), size <= 8 ? 1 : 0);
        }
    }
}

TEST_F(readWriteSettingsToRegistryTest, WithoutAKeyEverythingFailsAndNothingIsLogged)
{
    const loggingOn logging;
    readWriteSettingsToRegistry empty;
    const std::u16string log = logPath();
    DWORD value = 3;
    EXPECT_EQ(empty.readDword(u"x", value), 0);
    EXPECT_EQ(value, 3u);
    stubString s(u"keep");
    EXPECT_EQ(empty.readString(u"x", s), 0);
    EXPECT_EQ(str(s), u"keep");
    WCHAR buffer[4] = {u'k', 0};
    EXPECT_EQ(empty.readText(u"x", buffer, 4), 0);
    EXPECT_EQ(buffer[0], u'k') << "with no key the array is left alone";
    EXPECT_EQ(empty.writeDword(log.c_str(), u"x", value), 0);
    EXPECT_EQ(empty.writeString(log.c_str(), u"x", s), 0);
    EXPECT_EQ(empty.writeStringA(log.c_str(), "x", s), 0);
    EXPECT_EQ(empty.writeTextA(log.c_str(), "x", "t"), 0);
    EXPECT_EQ(empty.writeText(log.c_str(), u"x", u"t", -1), 0);
    EXPECT_EQ(logText(), "");
}

TEST_F(readWriteSettingsToRegistryTest, FailedWritesAreReportedWithTheirContextAndName)
{
    const loggingOn logging;
    const std::u16string log = logPath();
    store.setKey(readOnlyKey());
    EXPECT_EQ(store.writeInt(log.c_str(), u"debugHeap", 1), 0);
    EXPECT_FALSE(exists(u"debugHeap"));
    std::string text = logText();
    EXPECT_NE(text.find(" : setting int value : debugHeap"), std::string::npos) << text;

    const struct
    {
        int (*write)(readWriteSettingsToRegistry&, const WCHAR*);
        const char* expected;
    } writes[] = {
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeDword(l, u"vDword", 1); },
         " : setting dword value : vDword"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeWord(l, u"vWord", WORD{1}); },
         " : setting dword value : vWord"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeUInt64(l, u"vU64", ULONGLONG{1}); },
         " : setting unsigned __int64 value : vU64"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeULongLong(l, u"vUll", ULONGLONG{1}); },
         " : setting unsigned __int64 value : vUll"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeDouble(l, u"vDouble", 1.0); },
         " : setting double value : vDouble"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeUInt(l, u"vUInt", 1u); },
         " : setting unsigned int value : vUInt"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeWChar(l, u"vWChar", u'a'); },
         " : setting wchar_t value : vWChar"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeUChar(l, u"vUChar", static_cast<unsigned char>(1)); },
         " : setting unsigned char value : vUChar"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeChar(l, u"vChar", 'a'); },
         " : setting char value : vChar"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeTime(l, u"vTime", time_t{1}); },
         " : setting unsigned time_t value : vTime"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeString(l, u"vString", stubString(u"x")); },
         " : setting string value : vString"},
        {[](readWriteSettingsToRegistry& s, const WCHAR* l)
         { return s.writeText(l, u"vText", u"x", 1); },
         " : setting string value : vText"},
    };
    for (const auto& w : writes)
    {
        EXPECT_EQ(w.write(store, log.c_str()), 0) << w.expected;
        text = logText();
        EXPECT_NE(text.find(w.expected), std::string::npos) << w.expected << "\n" << text;
    }

    // The two writes with 8-bit names report in 8-bit text.
    const std::u16string logA = logPath("storeLogA.txt");
    EXPECT_EQ(store.writeStringA(logA.c_str(), "vStringA", stubString(u"x")), 0);
    EXPECT_EQ(store.writeTextA(logA.c_str(), "vTextA\xC3\xA9", "x"), 0);
    text = logText("storeLogA.txt", false);
    EXPECT_NE(text.find(" : setting string value : vStringA"), std::string::npos) << text;
    EXPECT_NE(text.find(" : setting string value : vTextA\xC3\xA9"), std::string::npos) << text;
    EXPECT_EQ(text.find('\0'), std::string::npos) << "no wide text in the 8-bit reports";
}

TEST_F(readWriteSettingsToRegistryTest, SuccessfulOrUnloggedWritesLeaveTheLogAlone)
{
    const loggingOn logging;
    const std::u16string log = logPath();
    EXPECT_EQ(store.writeInt(log.c_str(), u"ok", 1), 1);
    EXPECT_EQ(store.writeStringA(log.c_str(), "okA", stubString(u"x")), 1);
    EXPECT_EQ(logText(), "") << "a zero result is not reported";

    store.setKey(readOnlyKey());
    EXPECT_EQ(store.writeInt(nullptr, u"refused", 1), 0);
    EXPECT_EQ(store.writeTextA(nullptr, "refusedA", "x"), 0);
    EXPECT_EQ(logText(), "");
}

TEST_F(readWriteSettingsToRegistryTest, OperationsKeepTheCallersLastError)
{
    SetLastError(1234);
    DWORD value = 0;
    store.readDword(u"absent", value);
    stubString s;
    store.readString(u"absent", s);
    store.writeDword(nullptr, u"present", 1);
    store.setKey(readOnlyKey());
    store.writeDword(nullptr, u"refused", 1);
    EXPECT_EQ(GetLastError(), 1234u);
}

TEST_F(readWriteSettingsToRegistryTest, StoresShareAKeyAndNeverCloseIt)
{
    {
        readWriteSettingsToRegistry other;
        other.setKey(key());
        ASSERT_EQ(other.writeDword(nullptr, u"shared", 9), 1);
    }
    DWORD value = 0;
    EXPECT_EQ(store.readDword(u"shared", value), 1) << "the key outlived the other store";
    EXPECT_EQ(value, 9u);
    EXPECT_EQ(store.save(), 1);
}
} // namespace
