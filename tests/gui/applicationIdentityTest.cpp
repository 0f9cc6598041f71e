// How the program presents itself: desktop id, icon, and the files installed under that id.

#include "app/applicationIdentity.h"
#include "app/CAboutDlg.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <gtest/gtest.h>

namespace
{

QString sourceFile(const char* relative)
{
    QFile file(QStringLiteral(RZ_SOURCE_DIR "/") + QLatin1String(relative));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

TEST(applicationIdentityTest, SetsTheDesktopIdAndTheIconEveryWindowShows)
{
    applicationIdentity::apply();
    EXPECT_EQ(QGuiApplication::desktopFileName(), QLatin1String(applicationIdentity::desktopId));
    EXPECT_EQ(QApplication::applicationVersion(), QStringLiteral("1.0.0"));
    const QIcon icon = QApplication::windowIcon();
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}, {48, 48}, {64, 64}}));

    CAboutDlg about;
    about.Create();
    const QImage expected = icon.pixmap(32, 32).toImage();
    bool aboutShowsIt = false;
    for (const QLabel* label : about.findChildren<QLabel*>())
    {
        aboutShowsIt = aboutShowsIt || label->pixmap().toImage() == expected;
    }
    EXPECT_TRUE(aboutShowsIt);
}

TEST(applicationIdentityTest, DesktopEntryMetainfoAndIconShareTheId)
{
    const QString id = QLatin1String(applicationIdentity::desktopId);
    EXPECT_TRUE(sourceFile("data/org.corvane.rezevavevadurov.desktop")
                    .contains(QStringLiteral("\nIcon=") + id + QLatin1Char('\n')));
    const QString metainfo = sourceFile("data/org.corvane.rezevavevadurov.metainfo.xml");
    EXPECT_TRUE(metainfo.contains(QStringLiteral("<id>") + id + QStringLiteral("</id>")));
    EXPECT_TRUE(
        metainfo.contains(QStringLiteral("desktop-id\">") + id + QStringLiteral(".desktop<")));
    EXPECT_TRUE(
        QFile::exists(QStringLiteral(RZ_SOURCE_DIR "/data/icons/") + id + QStringLiteral(".svg")));
}

} // namespace
