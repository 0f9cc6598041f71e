#include "app/logViewerDialogTemplate.h"

#include "tests/app/dialogTemplateChecks.h"

#include <gtest/gtest.h>

#include <string_view>

namespace
{
using namespace templateChecks;
using enum dialogControlKind;

TEST(logViewerDialogTemplate, IsDialog129WithTextPaneAndClose)
{
    const dialogTemplate& t = logViewerDialogTemplate();
    EXPECT_EQ(t.resourceId, 129);
    EXPECT_EQ(std::u16string_view(t.title), u"Log File");
    EXPECT_EQ(t.cx, 337);
    EXPECT_EQ(t.cy, 255);
    EXPECT_EQ(std::u16string_view(t.fontFace), u"MS Sans Serif");
    EXPECT_EQ(t.pointSize, 8);
    ASSERT_EQ(t.controls.size(), 2u);

    const dialogControl* pane = single(t, 1084);
    ASSERT_NE(pane, nullptr);
    EXPECT_EQ(pane->kind, ReadOnlyMultiLineEdit);
    EXPECT_EQ(pane->cx, 325);
    EXPECT_EQ(pane->cy, 225);

    const dialogControl* close = single(t, 2);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->kind, DefaultPushButton);
    EXPECT_EQ(std::u16string_view(close->caption), u"Close");
    EXPECT_GE(close->y, pane->y + pane->cy);

    for (const std::string& problem : layoutProblems(t))
    {
        ADD_FAILURE() << problem;
    }
}
} // namespace
