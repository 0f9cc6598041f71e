// The main dialog on small and scaled screens, to screen readers, with long paths and dark
// themes.

#include "app/CAboutDlg.h"
#include "app/CLogFileBrowserDialog.h"
#include "controls/corUXThemeColours.h"
#include "framework/dialogUnits.h"
#include "tests/gui/mainDialogFixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTextLayout>
#include <cmath>
#include <set>

namespace
{

using mainDialogScreenTest = mainDialogFixture;

QPalette darkPalette()
{
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Base, QColor(0x2a, 0x2a, 0x2a));
    dark.setColor(QPalette::Text, Qt::white);
    return dark;
}

// Every control that takes the focus has a name, and no two share one.
void expectDistinctNames(QWidget& dialog)
{
    std::set<QString> names;
    for (QWidget* const w : dialog.findChildren<QWidget*>())
    {
        if ((w->focusPolicy() & Qt::TabFocus) && w->focusProxy() == nullptr &&
            w->window() == &dialog && qobject_cast<QComboBox*>(w->parentWidget()) == nullptr)
        {
            const QString name = QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
            EXPECT_FALSE(name.isEmpty()) << w->metaObject()->className();
            EXPECT_TRUE(names.insert(name).second)
                << name.toStdString() << w->metaObject()->className();
        }
    }
}

TEST_F(mainDialogScreenTest, SmallScreensScrollWithTheCommandButtonsInView)
{
    for (const QSize area : {QSize(2000, 1200), QSize(1008, 720), QSize(944, 492)})
    {
        CReZevavEvadurovDlg& dlg = open();
        dlg.FitToArea(area);
        const QSize content = dlg.GetContent()->size();
        const bool fits = content.width() <= area.width() && content.height() <= area.height();
        EXPECT_EQ(dlg.IsScrolling(), !fits);
        EXPECT_EQ(dlg.size(), fits ? content : dlg.size().boundedTo(area));
        EXPECT_FALSE(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
        EXPECT_TRUE(dlg.windowFlags() & Qt::MSWindowsFixedSizeDialogHint);
        for (const int id : {1, 3, 2, 1087})
        {
            const QWidget& button = *dlg.GetDlgItem(id);
            // As far from the window's right edge as from the template's.
            const QPoint at = button.mapTo(&dlg, QPoint(0, 0));
            EXPECT_EQ(dlg.width() - at.x(),
                      content.width() - dialogUnits::ofFont(dlg.font()).toPixelsX(655));
            EXPECT_TRUE(dlg.rect().contains(QRect(at, button.size())));
            EXPECT_FALSE(button.visibleRegion().isEmpty()) << id;
        }
        expectDistinctNames(dlg);
        click(1006);
        click(3);
        EXPECT_EQ(storedDword(u"debugHeap", HKEY_USERS, kDefaultProductPath), 1u);
        storeDword(u"debugHeap", 0);
    }
    EXPECT_EQ(dialog->GetDlgItem(1003)->accessibleName(), QStringLiteral("Startup code (25):"));
    CAboutDlg about;
    about.Create();
    expectDistinctNames(about);
    CLogFileBrowserDialog viewer;
    viewer.Create();
    expectDistinctNames(viewer);
}

TEST_F(mainDialogScreenTest, LogPathsKeepTheirFileNameInView)
{
    const std::string root = testsupport::sandboxDataHome().string();
    for (const std::string& folder : {std::string(150, 'd'), std::string("日志/ログ/😀/x")})
    {
        setenv("XDG_DATA_HOME", (root + "/" + folder).c_str(), 1);
        resetProductDataPathsForTests();
        auto& label = *qobject_cast<QLabel*>(open().GetDlgItem(productPaths::uiLogLabel));
        const QString path = QString::fromUtf16(productPaths::uiLogFile());
        ASSERT_FALSE(path.isEmpty());
        EXPECT_TRUE(label.text().endsWith(QStringLiteral("twLogUI_x64.txt")));
        EXPECT_LE(label.fontMetrics().horizontalAdvance(label.text()), label.width());
        EXPECT_EQ(label.toolTip(), path);
        EXPECT_TRUE(label.accessibleName().contains(path));
        QTextLayout layout(label.text(), label.font());
        layout.beginLayout();
        const int needed = static_cast<int>(std::ceil(layout.createLine().height()));
        layout.endLayout();
        EXPECT_GE(label.height(), needed);
    }
}

TEST_F(mainDialogScreenTest, AMissingFolderIsSaidInReadableRedAndInWords)
{
    for (const QPalette& palette : {QPalette(Qt::white), darkPalette()})
    {
        CReZevavEvadurovDlg& dlg = open();
        dlg.setPalette(palette);
        click(1084);
        dlg.SetDlgItemText(1101, QStringLiteral("/no/such/folder"));
        const QWidget& field = *dlg.GetDlgItem(1101);
        EXPECT_GE(corUXThemeColours::contrast(field.palette().color(QPalette::Text),
                                              field.palette().color(QPalette::Base)),
                  4.5);
        EXPECT_EQ(field.toolTip(), QStringLiteral("This folder does not exist"));
        EXPECT_EQ(field.accessibleDescription(), field.toolTip());
        click(3);
        EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory").bytes.size(), 32u);
    }
}

TEST_F(mainDialogScreenTest, ALongStoredDirectoryIsWrittenBackWhole)
{
    const std::u16string directory = u"/" + std::u16string(40000, u'd');
    storeString(u"debugCreateMinidumpsOnExceptionDirectory", directory);
    open();
    click(1);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_USERS})
    {
        EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory", root,
                         root == HKEY_USERS ? kDefaultProductPath : kUserProductPath)
                      .bytes.size(),
                  (directory.size() + 1) * 2);
    }
}

} // namespace
