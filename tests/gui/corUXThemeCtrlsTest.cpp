#include "controls/corUXThemeCtrls.h"

#include "framework/controlId.h"

#include <QFrame>
#include <QLabel>
#include <gtest/gtest.h>

namespace
{

TEST(corUXThemeCtrlsTest, TitlesTurnBoldAndTheirRuleStartsAfterTheText)
{
    QWidget dialog;
    auto* const title = new QLabel(QStringLiteral("Stub Debug"), &dialog);
    title->setGeometry(10, 100, 80, 13);
    setControlId(*title, 1093);
    auto* const rule = new QFrame(&dialog);
    rule->setGeometry(20, 106, 400, 1);
    setControlId(*rule, 1094);

    corUXThemeCtrls theme;
    EXPECT_TRUE(theme.addTitle(&dialog, 1093, 1094));
    EXPECT_TRUE(title->font().bold());
    EXPECT_GT(rule->x(), 10 + QFontMetrics(title->font()).horizontalAdvance(title->text()));
    EXPECT_EQ(rule->geometry().right(), 419);

    EXPECT_FALSE(theme.addTitle(&dialog, 5000, 0));
    EXPECT_TRUE(theme.addTitle(&dialog, 1093, 0));
    EXPECT_EQ(theme.titles(), (std::vector<std::pair<int, int>>{{1093, 1094}, {1093, 0}}));
}

} // namespace
