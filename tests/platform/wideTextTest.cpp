#include "platform/wideText.h"

#include <gtest/gtest.h>
#include <utility>

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

TEST(wideText, FoldIsTheSimpleUpperCaseOfTheWholePlane)
{
    const std::pair<WCHAR, WCHAR> folds[] = {
        {u'a', u'A'},           {u'Z', u'Z'},           {u'1', u'1'},
        {u'\u00e9', u'\u00c9'}, {u'\u00f7', u'\u00f7'}, // division sign has no case
        {u'\u00ff', u'\u0178'}, {u'\u00b5', u'\u039c'}, // micro sign to capital mu
        {u'\u00df', u'\u00df'},                         // no one-letter upper case
        {u'\u0101', u'\u0100'}, {u'\u013a', u'\u0139'}, {u'\u0131', u'I'},      // dotless i
        {u'\u0130', u'\u0130'}, {u'\u017f', u'S'},                              // long s
        {u'\u01c6', u'\u01c4'}, {u'\u01c5', u'\u01c4'}, {u'\u01c4', u'\u01c4'}, // dz digraphs
        {u'\u0180', u'\u0243'}, {u'\u0250', u'\u2c6f'}, // Latin Extended-B and IPA
        {u'\u03c9', u'\u03a9'}, {u'\u03c2', u'\u03a3'}, // final sigma
        {u'\u0436', u'\u0416'}, {u'\u0451', u'\u0401'}, {u'\u0561', u'\u0531'}, // Armenian
        {u'\u10d0', u'\u1c90'}, {u'\u13f8', u'\u13f0'}, // Georgian, Cherokee
        {u'\u1e01', u'\u1e00'}, {u'\u1f00', u'\u1f08'}, // Latin and Greek Extended
        {u'\u2170', u'\u2160'}, {u'\u24d0', u'\u24b6'}, // Roman numerals, circled letters
        {u'\u2c30', u'\u2c00'}, {u'\u2d00', u'\u10a0'}, // Glagolitic, Georgian
        {u'\ua641', u'\ua640'}, {u'\uab70', u'\u13a0'}, // Cyrillic Extended-B, Cherokee
        {u'\uff41', u'\uff21'}, {u'\uff3a', u'\uff3a'}, // full-width forms
        {u'\u212a', u'\u212a'}, {u'\u4e00', u'\u4e00'}, // Kelvin sign, ideograph
        {u'\xD801', u'\xD801'}, {u'\xDC28', u'\xDC28'}, // surrogates stay code units
        {u'\uffff', u'\uffff'}, {u'\0', u'\0'},
    };
    for (const auto& [from, to] : folds)
    {
        EXPECT_EQ(static_cast<unsigned>(wideText::foldChar(from)), static_cast<unsigned>(to))
            << std::hex << static_cast<unsigned>(from);
    }
    EXPECT_EQ(wideText::compareNoCase(u"debugHeap", u"DEBUGHEAP"), 0);
    EXPECT_EQ(wideText::compareNoCase(u"\u00e9t\u00e9", u"\u00c9T\u00c9"), 0);
    EXPECT_EQ(wideText::compareNoCase(u"\uff41\u0561", u"\uff21\u0531"), 0);
    EXPECT_NE(wideText::compareNoCase(u"debugHeap", u"debugHeaps"), 0);
}

TEST(wideText, FoldingIsIdempotentOverThePlane)
{
    for (unsigned c = 0; c <= 0xFFFF; ++c)
    {
        const WCHAR once = wideText::foldChar(static_cast<WCHAR>(c));
        ASSERT_EQ(wideText::foldChar(once), once) << std::hex << c;
    }
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
