#include "platform/wideText.h"

#include <gtest/gtest.h>

namespace
{
TEST(wideText, LengthAndCompareHandleNullAndCodeUnitOrder)
{
    EXPECT_EQ(wideText::length(nullptr), 0u);
    EXPECT_EQ(wideText::length(u""), 0u);
    EXPECT_EQ(wideText::length(u"abc"), 3u);
    EXPECT_EQ(wideText::compare(nullptr, nullptr), 0);
    EXPECT_LT(wideText::compare(nullptr, u""), 0);
    EXPECT_LT(wideText::compare(u"A", u"AB"), 0);
    EXPECT_LT(wideText::compare(u"AB", u"B"), 0);
    EXPECT_LT(wideText::compare(u"Z", u"a"), 0);           // by code unit, not by case
    EXPECT_LT(wideText::compare(u"a", u"\u00e9"), 0);      // unsigned comparison
    EXPECT_LT(wideText::compare(u"\u00e9", u"\xD800"), 0); // surrogates above the BMP letters
    EXPECT_EQ(wideText::compareN(u"[P]I12", u"[P]I", 4), 0);
    EXPECT_NE(wideText::compareN(u"[p]I1", u"[P]I", 4), 0);
}

TEST(wideText, FoldIsLocaleIndependentUpperCase)
{
    EXPECT_EQ(wideText::foldChar(u'a'), u'A');
    EXPECT_EQ(wideText::foldChar(u'Z'), u'Z');
    EXPECT_EQ(wideText::foldChar(u'\u00e9'), u'\u00c9');
    EXPECT_EQ(wideText::foldChar(u'\u00f7'), u'\u00f7'); // division sign has no case
    EXPECT_EQ(wideText::foldChar(u'\u00ff'), u'\u0178');
    EXPECT_EQ(wideText::foldChar(u'\u0101'), u'\u0100');
    EXPECT_EQ(wideText::foldChar(u'\u013a'), u'\u0139');
    EXPECT_EQ(wideText::foldChar(u'\u03c9'), u'\u03a9');
    EXPECT_EQ(wideText::foldChar(u'\u03c2'), u'\u03a3'); // final sigma
    EXPECT_EQ(wideText::foldChar(u'\u0436'), u'\u0416');
    EXPECT_EQ(wideText::foldChar(u'\u0451'), u'\u0401');
    EXPECT_EQ(wideText::foldChar(u'1'), u'1');
    EXPECT_EQ(wideText::compareNoCase(u"debugHeap", u"DEBUGHEAP"), 0);
    EXPECT_EQ(wideText::compareNoCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_NE(wideText::compareNoCase(u"debugHeap", u"debugHeaps"), 0);
}

TEST(wideText, BoundedCopyAndAppendNeverOverrun)
{
    WCHAR buffer[6] = {u'x', u'x', u'x', u'x', u'x', u'x'};
    EXPECT_TRUE(wideText::copy(buffer, 4, u"abc"));
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_FALSE(wideText::copy(buffer, 4, u"abcd")); // needs 5 with the terminator
    EXPECT_EQ(std::u16string(buffer), u"abc");
    EXPECT_TRUE(wideText::append(buffer, 6, u"de"));
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    EXPECT_FALSE(wideText::append(buffer, 6, u"f"));
    EXPECT_EQ(std::u16string(buffer), u"abcde");
    EXPECT_FALSE(wideText::copy(nullptr, 4, u"a"));
    EXPECT_FALSE(wideText::copy(buffer, 0, u"a"));
    WCHAR unterminated[3] = {u'a', u'b', u'c'};
    EXPECT_FALSE(wideText::append(unterminated, 3, u"d"));
}

TEST(wideText, Utf8RoundTripsEveryKindOfCodeUnit)
{
    const std::u16string text = u"Tarnwick x64 \u00e9\u03a9\u20ac \U0001F600";
    EXPECT_EQ(wideText::fromUtf8(wideText::toUtf8(text)), text);
    EXPECT_EQ(wideText::toUtf8(u"\u00e9"), "\xc3\xa9");
    EXPECT_EQ(wideText::toUtf8(static_cast<const WCHAR*>(nullptr)), "");
    // A lone surrogate survives the trip through a path.
    const std::u16string lone = u"a\xD800z";
    EXPECT_EQ(wideText::toUtf8(lone), "a\xed\xa0\x80z");
    // Invalid bytes and truncated or overlong sequences become U+FFFD, one per bad byte.
    EXPECT_EQ(wideText::fromUtf8("a\xff"
                                 "b"),
              u"a\uFFFDb");
    EXPECT_EQ(wideText::fromUtf8("\xe2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(wideText::fromUtf8("\xc0\xaf"), u"\uFFFD\uFFFD");
    EXPECT_EQ(wideText::fromUtf8("\xf4\x90\x80\x80").size(), 4u); // above U+10FFFF
}

TEST(wideText, DecimalFormatting)
{
    EXPECT_EQ(wideText::fromUnsigned(0), u"0");
    EXPECT_EQ(wideText::fromUnsigned(10), u"10");
    EXPECT_EQ(wideText::fromUnsigned(4294967295ull), u"4294967295");
}
} // namespace
