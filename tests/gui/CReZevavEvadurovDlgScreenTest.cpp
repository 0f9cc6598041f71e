// The main dialog on small and scaled screens, to screen readers, with long paths and dark
// themes.

#include "app/CLogFileBrowserDialog.h"
#include "controls/corUXThemeColours.h"
#include "tests/gui/mainDialogFixture.h"

#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QTextLayout>
#include <cmath>
#include <set>

namespace
{

using mainDialogScreenTest = mainDialogFixture;

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
            EXPECT_TRUE(names.insert(name).second) << name.toStdString();
        }
    }
}

TEST_F(mainDialogScreenTest, SmallScreensScrollAndEveryControlHasItsOwnName)
{
    // Where the window is clicked and seen is the desktop test's part (installedDesktopTest).
    for (const QSize area : {QSize(1008, 720), QSize(944, 492)})
    {
        CReZevavEvadurovDlg& dlg = open();
        dlg.FitToArea(area);
        EXPECT_TRUE(dlg.IsScrolling());
        EXPECT_EQ(dlg.size(), dlg.size().boundedTo(area));
        EXPECT_EQ(dlg.windowFlags() &
                      (Qt::WindowMaximizeButtonHint | Qt::MSWindowsFixedSizeDialogHint),
                  Qt::MSWindowsFixedSizeDialogHint);
        expectDistinctNames(dlg);
    }
    EXPECT_EQ(dialog->GetDlgItem(1003)->accessibleName(), QStringLiteral("Startup code (25):"));
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
    for (const QPalette& palette : {QPalette(Qt::white), QPalette(QColor(0x35, 0x35, 0x35))})
    {
        CReZevavEvadurovDlg& dlg = open();
        dlg.setPalette(palette);
        click(1084);
        dlg.SetDlgItemText(1101, QStringLiteral("/no/such/folder"));
        const QWidget& field = *dlg.GetDlgItem(1101);
        const QPalette& colours = field.palette();
        EXPECT_GE(corUXThemeColours::contrast(colours.color(QPalette::Active, QPalette::Text),
                                              colours.color(QPalette::Active, QPalette::Base)),
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
    const std::size_t bytes = (directory.size() + 1) * 2;
    EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory").bytes.size(), bytes);
    EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory", HKEY_USERS, kDefaultProductPath)
                  .bytes.size(),
              bytes);
}

} // namespace
