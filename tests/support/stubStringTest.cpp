#include "tests/support/stubHeapFixture.h"

#include <reZevavEvadurov/stubString.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

namespace
{

std::u16string text(const stubString& s)
{
    return std::u16string(s.c_str());
}

TEST(stubStringConstruction, FromWideNarrowNullAndCopy)
{
    EXPECT_EQ(text(stubString()), u"");
    EXPECT_EQ(text(stubString(u"Heap")), u"Heap");
    EXPECT_EQ(text(stubString(static_cast<const WCHAR*>(nullptr))), u"");
    EXPECT_EQ(text(stubString(static_cast<const char*>(nullptr))), u"");

    const stubString original(u"callstacks");
    stubString copy(original);
    copy += u'!';
    EXPECT_EQ(text(original), u"callstacks");
    EXPECT_EQ(text(copy), u"callstacks!");
}

TEST(stubStringConstruction, NarrowTextIsUtf8WithStrayBytesAsLatin1)
{
    struct narrow
    {
        const char* bytes;
        std::u16string wide;
    };
    const narrow cases[] = {
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9D\x84\x9E", u"\xD834\xDD1E"}, // outside the BMP: a surrogate pair
        {"\xE9", u"\u00E9"},                   // a lone Latin-1 byte
        {"\xC3\xA9\xE9", u"\u00E9\u00E9"},
        {"a\xFF"
         "b\xC3",
         u"a\u00FFb\u00C3"},           // an invalid byte, a truncated sequence
        {"\xC0\xAF", u"\u00C0\u00AF"}, // overlong
        {"\xE2\x82", u"\u00E2\u0082"}, // truncated
    };
    for (const narrow& c : cases)
    {
        EXPECT_EQ(text(stubString(c.bytes)), c.wide) << c.bytes;
        stubString assigned(u"old");
        assigned = c.bytes;
        EXPECT_EQ(text(assigned), c.wide) << c.bytes;
    }
}

// One conversion: a byte appended alone reads as the one-byte string of it.
TEST(stubStringConstruction, AnAppendedByteReadsAsTheOneByteString)
{
    for (int b = 1; b < 256; ++b)
    {
        const char bytes[] = {static_cast<char>(b), 0};
        stubString appended(u"x");
        appended += bytes[0];
        stubString expected(u"x");
        expected += stubString(bytes);
        EXPECT_EQ(text(appended), text(expected)) << b;
        EXPECT_EQ(appended.GetLength(), 2) << b;
    }
}

TEST(stubStringAssignment, ReplacesTextIncludingFromItsOwnBuffer)
{
    stubString s(u"first");
    s = u"second";
    EXPECT_EQ(text(s), u"second");
    s = "\xC3\xBC"
        "ber";
    EXPECT_EQ(text(s), u"\u00FCber");
    s = static_cast<const WCHAR*>(nullptr);
    EXPECT_TRUE(s.IsEmpty());

    s = u"prefix-suffix";
    s = s.c_str() + 7; // the source lives inside the target
    EXPECT_EQ(text(s), u"suffix");

    const stubString other(u"other");
    s = other;
    EXPECT_EQ(text(s), u"other");
}

TEST(stubStringAppend, CharactersAndStrings)
{
    stubString s;
    s += u'a';
    s += 'b';
    s += '\xE9'; // a single 8-bit character is its byte value
    s += u"cd";
    s += static_cast<const WCHAR*>(nullptr);
    s += stubString(u"ef");
    EXPECT_EQ(text(s), u"ab\u00E9cdef");

    s += u'\0'; // a terminator is never stored inside the length
    s += '\0';
    EXPECT_EQ(s.GetLength(), 7);

    stubString twice(u"xy");
    twice += twice.c_str();
    twice += twice;
    EXPECT_EQ(text(twice), u"xyxyxyxy");

    twice.Empty();
    EXPECT_EQ(twice.GetLength(), 0);
    EXPECT_EQ(text(twice), u"");
}

TEST(stubStringAccess, LengthIsSigned32BitAndThePointerReadsTheText)
{
    static_assert(std::is_same_v<decltype(stubString().GetLength()), std::int32_t>);
    stubString s(u"dll");
    const WCHAR* p = s; // the implicit read-only conversion
    EXPECT_EQ(std::u16string(p), u"dll");
    EXPECT_EQ(p[s.GetLength()], u'\0');
    s += u"Name";
    p = s;
    EXPECT_EQ(std::u16string(p), u"dllName");
    s.Empty();
    p = s;
    EXPECT_EQ(p[0], u'\0');
}

TEST(stubStringCompare, CompareNoCaseFoldsBeyondAscii)
{
    EXPECT_EQ(stubString(u"debugHeap").CompareNoCase(u"DEBUGHEAP"), 0);
    EXPECT_EQ(stubString(u"\u00E9t\u00E9").CompareNoCase(u"\u00C9T\u00C9"), 0);
    EXPECT_EQ(stubString(u"\u0434\u0430").CompareNoCase(u"\u0414\u0410"), 0);
    EXPECT_LT(stubString(u"abc").CompareNoCase(u"ABD"), 0);
    EXPECT_GT(stubString(u"abcd").CompareNoCase(u"ABC"), 0);
    EXPECT_EQ(stubString().CompareNoCase(nullptr), 0);
    EXPECT_GT(stubString(u"a").CompareNoCase(nullptr), 0);
}

TEST(stubStringCompare, EqualityIsExact)
{
    const stubString s(u"Heap");
    EXPECT_TRUE(s == u"Heap");
    EXPECT_FALSE(s == u"heap");
    EXPECT_FALSE(s == u"Hea");
    EXPECT_FALSE(s == static_cast<const WCHAR*>(nullptr));
    EXPECT_TRUE(stubString() == static_cast<const WCHAR*>(nullptr));
    EXPECT_TRUE(s == stubString(u"Heap"));
}

using stubStringHeapTest = stubHeapFixture;

TEST_F(stubStringHeapTest, ObjectsComeFromThePrivateHeap)
{
    auto* const s = new stubString(u"a string long enough to need its own buffer");
    EXPECT_EQ(liveBlocks(), 1u);
    EXPECT_EQ(HeapSize(getStubHeap(), 0, s), sizeof(stubString));
    delete s;
    EXPECT_EQ(liveBlocks(), 0u);
}

TEST_F(stubStringHeapTest, RefusedHeapThrowsOrGivesNull)
{
    failAfter(0);
    EXPECT_THROW(static_cast<void>(new stubString(u"x")), std::bad_alloc);
    EXPECT_EQ(new (std::nothrow) stubString(u"x"), nullptr);
    failAfter(-1);
    const std::unique_ptr<stubString> s(new (std::nothrow) stubString(u"x"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(text(*s), u"x");
}

} // namespace
