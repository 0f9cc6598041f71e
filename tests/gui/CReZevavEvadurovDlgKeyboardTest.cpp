#include "tests/gui/mainDialogFixture.h"

#include "app/CAboutDlg.h"
#include "controls/corUXThemeColours.h"
#include "framework/controlId.h"
#include "framework/dialogUnits.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <QWheelEvent>
#include <QWindow>
#include <filesystem>
#include <functional>
#include <tuple>

namespace
{

// The dialog as a person drives it: keys go to whatever has the focus.
class keyboardTest : public mainDialogFixture
{
protected:
    CReZevavEvadurovDlg& openActive()
    {
        CReZevavEvadurovDlg& dlg = open();
        dlg.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dlg));
        return dlg;
    }

    static QWidget* focused() { return QApplication::focusWidget(); }

    static void key(int keyCode, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), static_cast<Qt::Key>(keyCode), modifiers);
    }

    // Replaces a list's text as a typist does: click into it, select all, erase, type.
    void typeIntoList(int id, const QString& text)
    {
        QTest::mouseClick(qobject_cast<QComboBox*>(dialog->GetDlgItem(id))->lineEdit(),
                          Qt::LeftButton);
        ASSERT_EQ(focused(), dialog->GetDlgItem(id));
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_Backspace);
        QTest::keyClicks(focused(), text);
    }
};

TEST_F(keyboardTest, ListTextSelectsItsItemAtOnceAndTextNamingNoItemIsRefused)
{
    enum finish
    {
        altA, // the Apply mnemonic: the focus stays in the list
        tabThenAltA,
        clickApply,
        enterForOk,
        groupButtonThenApply,
    };
    struct listCase
    {
        int list;
        DWORD stored;
        const char* typed;
        finish how;
        const char* shown;
        DWORD written;
    };
    const listCase cases[] = {
        {1003, 0, "7", altA, "7", 7},
        {1003, 0, "28", clickApply, "28", 28},
        {1003, 7, "30", altA, "7", 7}, // not "3", selected on the way
        {1003, 0, "30", tabThenAltA, "0", 0},
        {1003, 0, "30", clickApply, "0", 0},
        {1003, 0, "07", altA, "0", 0},
        {1003, 5, "", altA, "5", 5},
        {1003, 0, "12", enterForOk, "12", 12},
        {1003, 0, "x", enterForOk, "0", 0},
        {1003, 0, "30", groupButtonThenApply, "0", 0},
        {1004, 0, "1", altA, "1", 1},
        {1004, 0, "2", tabThenAltA, "0", 0},
    };
    for (const listCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.list));
        const WCHAR* const name = c.list == 1003 ? u"debugStartupOrder" : u"debugHookControl";
        storeDword(name, c.stored);
        shell.beeps = 0;
        CReZevavEvadurovDlg& dlg = openActive();
        typeIntoList(c.list, QString::fromUtf8(c.typed));
        const int refusals = QString::fromUtf8(c.shown) == c.typed ? 0 : 1;
        if (c.how == tabThenAltA)
        {
            key(Qt::Key_Tab);
            EXPECT_EQ(shell.beeps, refusals); // refused as the focus leaves
        }
        if (c.how == groupButtonThenApply)
        {
            dlg.GetDlgItem(1028)->setFocus(); // as Alt+S would, without its ambiguity
            key(Qt::Key_Space);
            EXPECT_EQ(dlg.IsDlgButtonChecked(1034), 1u);
        }
        if (c.how == altA || c.how == tabThenAltA)
        {
            key(Qt::Key_A, Qt::AltModifier);
            QTest::qWait(250); // the button's click animation
        }
        if (c.how == clickApply || c.how == groupButtonThenApply)
        {
            click(3);
        }
        if (c.how == enterForOk)
        {
            key(Qt::Key_Return);
            EXPECT_FALSE(dlg.isVisible());
        }
        EXPECT_EQ(dlg.GetDlgItemText(c.list), QString::fromUtf8(c.shown));
        EXPECT_EQ(storedDword(name), c.written);
        EXPECT_EQ(shell.beeps, refusals);
    }
}

TEST_F(keyboardTest, TheWheelChangesAListOnlyWhileItHasTheFocus)
{
    CReZevavEvadurovDlg& dlg = openActive();
    auto* const list = qobject_cast<QComboBox*>(dlg.GetDlgItem(1003));
    for (const bool withFocus : {false, true})
    {
        (withFocus ? static_cast<QWidget*>(list) : dlg.GetDlgItem(1006))->setFocus();
        const QPointF at(10, 10);
        QWheelEvent wheel(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
        EXPECT_EQ(list->currentIndex(), withFocus ? 1 : 0);
        EXPECT_EQ(list->hasFocus(), withFocus);
    }
}

// Records the colour requests the program makes, and answers them as the dialog does.
class colourRequestRecorder final : public CReZevavEvadurovDlg
{
public:
    using CReZevavEvadurovDlg::CReZevavEvadurovDlg;
    bool OnCtlColor(QPalette& palette, QWidget* child, UINT kind) const override
    {
        requests.emplace_back(child, kind);
        return CReZevavEvadurovDlg::OnCtlColor(palette, child, kind);
    }
    mutable std::vector<std::pair<QWidget*, UINT>> requests;
};

TEST_F(keyboardTest, TheFieldColourComesThroughTheDialogOnTypingAndWithinATick)
{
    storeDword(u"debugCreateMinidumpsOnException", 1); // the field is enabled with its box
    colourRequestRecorder dlg(shell);
    dlg.Create();
    dlg.show();
    auto* const field = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1101));
    const COLORREF failure = corUXThemeColours::getParsedEditFailureColour();
    const auto red = [&]
    {
        return field->palette().color(QPalette::Active, QPalette::Text) ==
               QColor(failure & 0xFF, (failure >> 8) & 0xFF, (failure >> 16) & 0xFF);
    };
    EXPECT_FALSE(red());
    dlg.requests.clear();
    QTest::keyClicks(field, QStringLiteral("/later"));
    EXPECT_TRUE(red());
    ASSERT_FALSE(dlg.requests.empty());
    EXPECT_EQ(dlg.requests.back(), std::make_pair(static_cast<QWidget*>(field), CTLCOLOR_EDIT));

    // The folder appears, then vanishes: each shows within a tick, without any typing.
    const std::filesystem::path folder = field->text().toStdString();
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !red(); }, 2000));
    std::filesystem::remove(folder);
    EXPECT_TRUE(QTest::qWaitFor(red, 2000));
    dlg.KillTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    dlg.requests.clear();
    dlg.repaint(); // a paint asks nothing
    EXPECT_TRUE(dlg.requests.empty());
}

TEST_F(keyboardTest, EnterGivesOkAndEscapeCloseFromEveryControlThatLeavesThemAlone)
{
    struct keyCase
    {
        int focus;
        Qt::Key pressed;
        int result;    // 0: the dialog stays open
        DWORD written; // debugHeap afterwards; the box ticked with the mouse makes it 1
    };
    const keyCase cases[] = {
        {1006, Qt::Key_Return, IDOK, 1},
        {1006, Qt::Key_Enter, IDOK, 1},
        {1101, Qt::Key_Return, IDOK, 1},
        {1003, Qt::Key_Return, IDOK, 1},
        {1004, Qt::Key_Enter, IDOK, 1},
        {1002, Qt::Key_Return, IDOK, 1},
        {1006, Qt::Key_Escape, IDCANCEL, 0},
        {1101, Qt::Key_Escape, IDCANCEL, 0},
        {1003, Qt::Key_Escape, IDCANCEL, 0},
        {3, Qt::Key_Escape, IDCANCEL, 0},
        // Buttons take Enter for themselves.
        {2, Qt::Key_Return, IDCANCEL, 0},
        {3, Qt::Key_Return, 0, 1},
        {1087, Qt::Key_Return, 0, 0},
    };
    for (const keyCase& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.focus) + " " + std::to_string(c.pressed));
        storeDword(u"debugHeap", 0);
        CReZevavEvadurovDlg& dlg = openActive();
        click(1006);
        dlg.GetDlgItem(1101)->setEnabled(true);
        dlg.GetDlgItem(c.focus)->setFocus(Qt::TabFocusReason);
        key(c.pressed);
        EXPECT_EQ(dlg.isVisible(), c.result == 0);
        EXPECT_EQ(dlg.result(), c.result);
        EXPECT_EQ(storedDword(u"debugHeap"), c.written);
    }
    EXPECT_EQ(storedDword(u"debugHeap", HKEY_USERS, kDefaultProductPath), 1u);
}

TEST_F(keyboardTest, TheAboutBoxOpensFromTheKeyboardCentredAsTheDialogsChild)
{
    const auto throughMenu = [](Qt::Key opener, Qt::KeyboardModifiers modifiers)
    {
        return [=]
        {
            key(opener, modifiers);
            auto* const menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QTest::keyClick(menu, Qt::Key_Return);
        };
    };
    const std::function<void()> routes[] = {[] { key(Qt::Key_F1); },
                                            throughMenu(Qt::Key_F10, Qt::ShiftModifier),
                                            throughMenu(Qt::Key_Menu, Qt::NoModifier)};
    for (const int focus : {1006, 1101, 1003})
    {
        for (const auto& route : routes)
        {
            CReZevavEvadurovDlg& dlg = openActive();
            dlg.GetDlgItem(1101)->setEnabled(true);
            dlg.GetDlgItem(focus)->setFocus(Qt::TabFocusReason);
            CAboutDlg* about = nullptr;
            QTimer::singleShot(
                0,
                [&]
                {
                    about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
                    if (about == nullptr)
                    {
                        return;
                    }
                    EXPECT_EQ(about->parentWidget(), &dlg);
                    EXPECT_EQ(about->windowHandle()->transientParent(), dlg.windowHandle());
                    const QPoint offset =
                        about->frameGeometry().center() - dlg.frameGeometry().center();
                    EXPECT_LE(offset.manhattanLength(), 4);
                    // The box asks for the keyboard itself, as no window manager runs here.
                    EXPECT_TRUE(QTest::qWaitFor(
                        [&] { return QApplication::activeWindow() == about; }, 2000));
                    QWidget* const target = QApplication::focusWidget();
                    EXPECT_EQ(target->window(), about);
                    QTest::keyClick(target->window() == about ? target : about, Qt::Key_Escape);
                });
            route();
            EXPECT_NE(about, nullptr) << focus;
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        }
    }
}

TEST_F(keyboardTest, ClickingAFieldsLabelFocusesTheField)
{
    const std::pair<const char*, int> labels[] = {
        {"Startup code (25):", 1003}, {"Hook control:", 1004}, {"Minidump directory:", 1101}};
    CReZevavEvadurovDlg& dlg = openActive();
    click(1084); // the directory row is enabled with its box
    for (const auto& [caption, field] : labels)
    {
        for (QLabel* const label : dlg.findChildren<QLabel*>())
        {
            if (label->text() == QString::fromUtf8(caption))
            {
                dlg.GetDlgItem(1006)->setFocus();
                QTest::mouseClick(label, Qt::LeftButton);
                EXPECT_EQ(focused(), dlg.GetDlgItem(field)) << caption;
                QTest::keyClicks(focused(), QStringLiteral("1")); // replaces the whole text
                EXPECT_EQ(dlg.GetDlgItemText(field), QStringLiteral("1")) << caption;
            }
        }
    }
}

TEST_F(keyboardTest, TabFollowsTheLayoutAreaByAreaEachColumnTopToBottom)
{
    CReZevavEvadurovDlg& dlg = openActive();
    dlg.KillTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    std::size_t focusable = 0;
    for (QWidget* const child : dlg.findChildren<QWidget*>())
    {
        child->setEnabled(true);
        focusable += controlIdOf(*child) != -1 && (child->focusPolicy() & Qt::TabFocus) != 0;
    }
    // The layout's areas in dialog units (left, top, right, bottom), in the order Tab visits.
    const QRect areas[] = {
        QRect(QPoint(0, 20), QPoint(649, 60)),     // User Interface boxes
        QRect(QPoint(650, 0), QPoint(724, 80)),    // OK, Apply, Close, Reset to Defaults
        QRect(QPoint(0, 62), QPoint(649, 80)),     // User Interface group buttons
        QRect(QPoint(0, 82), QPoint(724, 100)),    // UI log file
        QRect(QPoint(0, 120), QPoint(724, 145)),   // Stub Startup Control
        QRect(QPoint(0, 160), QPoint(364, 245)),   // Stub Data Collection grid
        QRect(QPoint(365, 160), QPoint(724, 250)), // Stub Debug grid
        QRect(QPoint(0, 250), QPoint(724, 300)),   // exceptions and the minidump row
        QRect(QPoint(0, 305), QPoint(724, 325)),   // the grids' group buttons, two boxes
        QRect(QPoint(0, 328), QPoint(724, 350)),   // main log file
    };
    const dialogUnits units = dialogUnits::ofFont(dlg.font());
    const auto placeOf = [&](const QWidget& control)
    {
        const QPoint at = control.geometry().topLeft();
        const QPoint inUnits(at.x() * 4 / units.baseX(), at.y() * 8 / units.baseY());
        int area = 0;
        while (area < static_cast<int>(std::size(areas)) && !areas[area].contains(inUnits))
        {
            ++area;
        }
        return std::make_tuple(area, at.x(), at.y()); // a column top to bottom, then the next
    };
    QWidget* const first = dlg.GetDlgItem(1034);
    first->setFocus(Qt::TabFocusReason);
    std::size_t visited = 0;
    do
    {
        ASSERT_LT(++visited, 200u) << "the chain does not come back";
        const auto before = placeOf(*focused());
        const int id = controlIdOf(*focused());
        key(Qt::Key_Tab);
        EXPECT_TRUE(focused() == first || before < placeOf(*focused()))
            << id << " then " << controlIdOf(*focused());
    } while (focused() != first);
    EXPECT_EQ(visited, focusable);
}

} // namespace
