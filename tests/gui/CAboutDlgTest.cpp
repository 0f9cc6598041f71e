#include "app/CAboutDlg.h"

#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

TEST(CAboutDlgTest, ShowsTheVersionAndEndsWithOk)
{
    CAboutDlg about;
    QTimer::singleShot(0, &about,
                       [&about] { QTest::mouseClick(about.GetDlgItem(IDOK), Qt::LeftButton); });
    EXPECT_EQ(about.DoModal(), IDOK);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About reZevavEvadurov"));
    bool sawVersion = false;
    for (const QLabel* label : about.findChildren<QLabel*>())
    {
        sawVersion = sawVersion || label->text() == QStringLiteral("reZevavEvadurov Version 1.0");
    }
    EXPECT_TRUE(sawVersion);
}

} // namespace
