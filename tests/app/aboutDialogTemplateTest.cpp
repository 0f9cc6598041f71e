#include "app/aboutDialogTemplate.h"

#include "tests/app/dialogTemplateChecks.h"

#include <gtest/gtest.h>

#include <string_view>

namespace
{
using namespace templateChecks;
using enum dialogControlKind;

TEST(aboutDialogTemplate, IsDialog100OfItsSizeTitleAndFont)
{
    const dialogTemplate& t = aboutDialogTemplate();
    EXPECT_EQ(t.resourceId, 100);
    EXPECT_EQ(std::u16string_view(t.title), u"About reZevavEvadurov");
    EXPECT_EQ(t.cx, 235);
    EXPECT_EQ(t.cy, 71);
    EXPECT_EQ(std::u16string_view(t.fontFace), u"MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    for (const std::string& problem : layoutProblems(t))
    {
        ADD_FAILURE() << problem;
    }
}

TEST(aboutDialogTemplate, ShowsIconVersionThreeLinesAndOkAtTheTopRight)
{
    const dialogTemplate& t = aboutDialogTemplate();
    const dialogControl* icon = nullptr;
    const dialogControl* version = nullptr;
    int lines = 0;
    for (const dialogControl& c : t.controls)
    {
        if (c.kind == Icon)
        {
            icon = &c;
        }
        if (c.kind == StaticText)
        {
            ASSERT_NE(c.caption, nullptr);
            ASSERT_FALSE(std::u16string_view(c.caption).empty());
            if (std::u16string_view(c.caption) == u"reZevavEvadurov Version 1.0")
            {
                version = &c;
            }
            else
            {
                ++lines;
                ASSERT_NE(version, nullptr) << "lines come below the version";
                EXPECT_GT(c.y, version->y) << describe(c);
            }
        }
    }
    ASSERT_NE(icon, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(lines, 3);
    EXPECT_LT(icon->x + icon->cx, version->x);

    const dialogControl* ok = single(t, 1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->kind, DefaultPushButton);
    EXPECT_EQ(std::u16string_view(ok->caption), u"OK");
    EXPECT_GT(ok->x, version->x + version->cx - 1);
    EXPECT_LT(ok->y, version->y + version->cy);
}
} // namespace
