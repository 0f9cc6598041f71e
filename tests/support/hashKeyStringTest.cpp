#include "support/hashKeyString.h"

#include <gtest/gtest.h>

namespace
{

TEST(hashKeyString, MultipliesBy33AndAddsEachCodeUnit)
{
    EXPECT_EQ(hashKeyString(u"ab"), 3299u);
    EXPECT_EQ(hashKeyString(u"ab") % 17, 1u);
    EXPECT_EQ(hashKeyString(u""), 0u);
    EXPECT_EQ(hashKeyString(nullptr), 0u);
    EXPECT_EQ(hashKeyString(u"\uFFFF"), 0xFFFFu); // code units are unsigned
    // Wraps modulo 2^32.
    EXPECT_EQ(hashKeyString(u"[P]SS0"), 3659629758u);
    EXPECT_EQ(hashKeyString(u"writeToLog_uiAlloc"), 3208711160u);
}

TEST(hashKeyString, NarrowTwinTakesBytesAsSigned)
{
    EXPECT_EQ(hashKeyStringA("ab"), 3299u);
    EXPECT_EQ(hashKeyStringA("[P]SS0"), hashKeyString(u"[P]SS0"));
    EXPECT_EQ(hashKeyStringA(nullptr), 0u);
    EXPECT_EQ(hashKeyStringA("\x80"), 0xFFFFFF80u); // 0x80 - 256
    EXPECT_EQ(hashKeyStringA("a\xFF"), 97u * 33u - 1u);
}

} // namespace
