#include "tests/support/stubHeapFixture.h"

#include "support/hashTableString.h"

namespace
{

using hashTableStringTest = stubHeapFixture;

TEST_F(hashTableStringTest, KeepsItsOwnCopyOfEachKey)
{
    hashTableString table(4);
    WCHAR name[] = u"twLog_x64.txt";
    int payload = 0;
    ASSERT_TRUE(table.SetAt(name, &payload));
    name[0] = u'X';

    const WCHAR* stored = nullptr;
    ASSERT_TRUE(table.LookupKey(u"twLog_x64.txt", stored));
    EXPECT_NE(stored, name);
    EXPECT_EQ(std::u16string(stored), u"twLog_x64.txt");
    const WCHAR* untouched = name;
    EXPECT_FALSE(table.LookupKey(name, untouched));
    EXPECT_EQ(untouched, name);

    void* value = nullptr;
    ASSERT_TRUE(table.Lookup(u"twLog_x64.txt", value));
    EXPECT_EQ(value, &payload);
    EXPECT_FALSE(table.Lookup(u"TWLOG_X64.TXT", value));
}

} // namespace
