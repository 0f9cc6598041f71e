#include "support/boundedText.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using supportText::boundedText;

TEST(boundedTextTest, ComposesNumbersAndText)
{
    boundedText<char, 64> text;
    text.append("id ").appendDecimal(4294967295u).append(' ').appendHex(0xBEEF, 8, false);
    text.append(static_cast<const char*>(nullptr)).append(" ").appendHex(0xAB, 4, true);
    EXPECT_EQ(std::string(text.c_str()), "id 4294967295 0000beef 00AB");
    EXPECT_EQ(text.length(), 27u);
}

TEST(boundedTextTest, CutsToTheCapacityAndStaysTerminated)
{
    boundedText<char16_t, 5> text;
    text.append("abc").append(u"defgh").appendDecimal(12345);
    EXPECT_EQ(std::u16string(text.c_str()), u"abcd");
    EXPECT_EQ(text.length(), 4u);
}

TEST(boundedTextTest, WidensEightBitTextByteForByte)
{
    boundedText<char16_t, 8> text;
    text.append("\xE9\xFF");
    EXPECT_EQ(std::u16string(text.c_str()), u"\u00e9\u00ff");
}

} // namespace
