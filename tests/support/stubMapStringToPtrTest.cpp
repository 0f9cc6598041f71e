#include "support/stubMapStringToPtr.h"

#include <gtest/gtest.h>

namespace
{

TEST(stubMapStringToPtr, InsertsReplacesAndLooksUpCaseSensitively)
{
    stubMapStringToPtr map(10);
    int one = 1;
    int two = 2;
    map.SetAt(u"OnInitDialog", &one);
    map.SetAt(u"onInitDialog", &two);
    map.SetAt(u"OnInitDialog", &two);
    map.SetAt(nullptr, &one);
    EXPECT_EQ(map.GetCount(), 2);

    void* value = nullptr;
    ASSERT_TRUE(map.Lookup(u"OnInitDialog", value));
    EXPECT_EQ(value, &two);

    void* untouched = &one;
    EXPECT_FALSE(map.Lookup(u"ONINITDIALOG", untouched));
    EXPECT_FALSE(map.Lookup(nullptr, untouched));
    EXPECT_EQ(untouched, &one);

    map.RemoveAll();
    EXPECT_EQ(map.GetCount(), 0);
    EXPECT_FALSE(map.Lookup(u"OnInitDialog", value));
}

} // namespace
