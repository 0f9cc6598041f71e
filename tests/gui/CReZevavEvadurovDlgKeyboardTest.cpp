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

    // Alt+A: the "&Apply" mnemonic, which clicks the button after its short animation.
    static void altA()
    {
        key(Qt::Key_A, Qt::AltModifier);
        QTest::qWait(250);
    }

    void focusList(int id)
    {
        auto* const combo = qobject_cast<QComboBox*>(dialog->GetDlgItem(id));
        ASSERT_NE(combo, nullptr);
        QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        ASSERT_EQ(focused(), combo);
    }

    // Replaces the list's text as a typist does: select all, erase, type.
    void typeIntoList(int id, const QString& text)
    {
        focusList(id);
        key(Qt::Key_A, Qt::ControlModifier);
        key(Qt::Key_Backspace);
        QTest::keyClicks(focused(), text);
    }

    // Runs `inModal` on the modal window that `open` brings up, then returns.
    static void whileModal(const std::function<void()>& open,
                           const std::function<void(QWidget&)>& inModal)
    {
        bool seen = false;
        QTimer::singleShot(0,
                           [&]
                           {
                               QWidget* const modal = QApplication::activeModalWidget();
                               seen = modal != nullptr;
                               if (modal != nullptr)
                               {
                                   inModal(*modal);
                                   if (modal->isVisible()) // never leave a test hanging
                                   {
                                       ADD_FAILURE() << "the modal window stayed open";
                                       modal->close();
                                   }
                               }
                           });
        open();
        EXPECT_TRUE(seen);
    }
};

// ---- Lists: what they show is what Apply writes ----------------------------------------------

TEST_F(keyboardTest, ListTextSelectsItsItemAtOnceAndTextNamingNoItemIsRefused)
{
    enum class finish
    {
        altA,        // the Apply mnemonic, focus stays in the list
        tabThenAltA, // leave the list first
        clickApply,
        enterForOk,
        groupButtonThenApply,
    };
    struct listCase
    {
        int list;
        const char* typed;
        finish how;
        const char* shown;
        DWORD written;
        int beeps;
    };
    const listCase cases[] = {
        {1003, "7", finish::altA, "7", 7, 0},
        {1003, "28", finish::clickApply, "28", 28, 0},
        {1003, "30", finish::altA, "0", 0, 1},
        {1003, "30", finish::tabThenAltA, "0", 0, 1},
        {1003, "30", finish::clickApply, "0", 0, 1},
        {1003, "07", finish::altA, "0", 0, 1},
        {1003, "", finish::altA, "0", 0, 1},
        {1003, "12", finish::enterForOk, "12", 12, 0},
        {1003, "x", finish::enterForOk, "0", 0, 1},
        {1003, "30", finish::groupButtonThenApply, "0", 0, 1},
        {1004, "1", finish::altA, "1", 1, 0},
        {1004, "2", finish::tabThenAltA, "0", 0, 1},
    };
    for (const listCase& c : cases)
    {
        SCOPED_TRACE(std::string(c.typed) + " in " + std::to_string(c.list));
        shell.beeps = 0;
        storeDword(u"debugStartupOrder", 0);
        storeDword(u"debugHookControl", 0);
        CReZevavEvadurovDlg& dlg = openActive();
        typeIntoList(c.list, QString::fromUtf8(c.typed));
        switch (c.how)
        {
        case finish::altA:
            altA();
            break;
        case finish::tabThenAltA:
            key(Qt::Key_Tab);
            EXPECT_EQ(shell.beeps, c.beeps); // refused as the focus leaves
            altA();
            break;
        case finish::clickApply:
            click(3);
            break;
        case finish::enterForOk:
            key(Qt::Key_Return);
            EXPECT_FALSE(dlg.isVisible());
            break;
        case finish::groupButtonThenApply:
            dlg.GetDlgItem(1028)->setFocus(); // as Alt+S would, without its ambiguity
            key(Qt::Key_Space);
            EXPECT_EQ(dlg.IsDlgButtonChecked(1034), 1u);
            click(3);
            break;
        }
        EXPECT_EQ(dlg.GetDlgItemText(c.list), QString::fromUtf8(c.shown));
        EXPECT_EQ(storedDword(c.list == 1003 ? u"debugStartupOrder" : u"debugHookControl"),
                  c.written);
        EXPECT_EQ(shell.beeps, c.beeps);
    }
}

TEST_F(keyboardTest, RefusedTextFallsBackToTheItemLastSelected)
{
    CReZevavEvadurovDlg& dlg = openActive();
    typeIntoList(1003, QStringLiteral("7"));
    altA();
    typeIntoList(1003, QStringLiteral("30"));
    altA();
    EXPECT_EQ(dlg.GetDlgItemText(1003), QStringLiteral("7"));
    EXPECT_EQ(storedDword(u"debugStartupOrder"), 7u);
    EXPECT_EQ(storedDword(u"debugStartupOrder", HKEY_USERS, kDefaultProductPath), 7u);
    EXPECT_EQ(shell.beeps, 1);
}

TEST_F(keyboardTest, TheWheelChangesAListOnlyWhileItHasTheFocus)
{
    CReZevavEvadurovDlg& dlg = openActive();
    auto* const list = qobject_cast<QComboBox*>(dlg.GetDlgItem(1003));
    const auto turn = [list]
    {
        const QPointF at(list->width() / 2.0, list->height() / 2.0);
        QWheelEvent wheel(at, list->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &wheel);
    };
    dlg.GetDlgItem(1006)->setFocus();
    turn();
    EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_FALSE(list->hasFocus());
    focusList(1003);
    turn();
    EXPECT_EQ(list->currentIndex(), 1);
    EXPECT_EQ(dlg.GetDlgItemText(1003), QStringLiteral("1"));
}

// ---- The directory field ---------------------------------------------------------------------

TEST_F(keyboardTest, ArrowsInTheDirectoryFieldLeaveThePath)
{
    storeDword(u"debugCreateMinidumpsOnException", 1);
    CReZevavEvadurovDlg& dlg = openActive();
    auto* const field = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1101));
    field->setFocus();
    const QString path = field->text();
    field->setCursorPosition(3);
    for (const Qt::Key arrow : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Down})
    {
        key(arrow);
    }
    EXPECT_EQ(field->text(), path);
    EXPECT_FALSE(field->hasSelectedText());
    QTest::keyClicks(focused(), QStringLiteral("x"));
    EXPECT_EQ(field->text(), path.left(3) + u'x' + path.mid(3));
    EXPECT_EQ(shell.beeps, 0);
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
    namespace fs = std::filesystem;
    storeDword(u"debugCreateMinidumpsOnException", 1);
    colourRequestRecorder dlg(shell);
    dlg.Create();
    dlg.show();
    auto* const field = qobject_cast<QLineEdit*>(dlg.GetDlgItem(1101));
    const auto red = [field]
    {
        const COLORREF c = corUXThemeColours::getParsedEditFailureColour();
        return field->palette().color(QPalette::Active, QPalette::Text) ==
               QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    };
    EXPECT_FALSE(red());

    field->setFocus();
    dlg.requests.clear();
    QTest::keyClicks(field, QStringLiteral("/later"));
    EXPECT_TRUE(red());
    ASSERT_FALSE(dlg.requests.empty());
    EXPECT_EQ(dlg.requests.back(), std::make_pair(static_cast<QWidget*>(field), CTLCOLOR_EDIT));

    // The folder appears, then vanishes: each shows within a tick, without any typing.
    const fs::path folder = fs::path(field->text().toStdString());
    fs::create_directories(folder);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !red(); }, 2000));
    fs::remove(folder);
    EXPECT_TRUE(QTest::qWaitFor(red, 2000));
    // A repaint alone asks nothing.
    dlg.KillTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    dlg.requests.clear();
    field->repaint();
    dlg.repaint();
    EXPECT_TRUE(dlg.requests.empty());
}

// ---- Enter, Escape and the way to the About box ---------------------------------------------

TEST_F(keyboardTest, EnterGivesOkAndEscapeCloseFromEveryControlThatLeavesThemAlone)
{
    struct keyCase
    {
        int focus; // control id
        Qt::Key pressed;
        int result;    // 0: the dialog stays open
        DWORD written; // debugHeap afterwards: the box ticked with the mouse is 1
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
        dlg.GetDlgItem(1084)->setEnabled(true);
        dlg.GetDlgItem(1101)->setEnabled(true);
        dlg.GetDlgItem(c.focus)->setFocus(Qt::TabFocusReason);
        key(c.pressed);
        EXPECT_EQ(dlg.isVisible(), c.result == 0);
        EXPECT_EQ(dlg.result(), c.result);
        EXPECT_EQ(storedDword(u"debugHeap"), c.written);
    }
    // The first OK of the table reached the default profile too.
    EXPECT_EQ(storedDword(u"debugHeap", HKEY_USERS, kDefaultProductPath), 1u);
}

TEST_F(keyboardTest, TheAboutBoxOpensFromTheKeyboardCentredAsTheDialogsChild)
{
    const std::function<void()> routes[] = {
        [] { key(Qt::Key_F1); },
        []
        {
            key(Qt::Key_F10, Qt::ShiftModifier);
            auto* const menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QTest::keyClick(menu, Qt::Key_Return);
        },
        []
        {
            key(Qt::Key_Menu);
            auto* const menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            QTest::keyClick(menu, Qt::Key_Return);
        },
    };
    for (const int focus : {1006, 1101, 1003})
    {
        for (const auto& route : routes)
        {
            SCOPED_TRACE(focus);
            CReZevavEvadurovDlg& dlg = openActive();
            dlg.GetDlgItem(1084)->setEnabled(true);
            dlg.GetDlgItem(1101)->setEnabled(true);
            dlg.GetDlgItem(focus)->setFocus(Qt::TabFocusReason);
            whileModal(route,
                       [&dlg](QWidget& modal)
                       {
                           auto* const about = qobject_cast<CAboutDlg*>(&modal);
                           if (about == nullptr)
                           {
                               ADD_FAILURE() << "not the About box";
                               return;
                           }
                           EXPECT_EQ(about->parentWidget(), &dlg);
                           EXPECT_TRUE(about->isWindow());
                           EXPECT_EQ(about->windowHandle()->transientParent(), dlg.windowHandle());
                           const QPoint offset =
                               about->frameGeometry().center() - dlg.frameGeometry().center();
                           EXPECT_LE(offset.manhattanLength(), 4);
                           // The box's own keys: offscreen, no window manager moves
                           // the activation to it.
                           QTest::keyClick(about, Qt::Key_Escape);
                       });
            EXPECT_TRUE(dlg.isVisible());
            EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        }
    }
}

// ---- Labels and the tab order ---------------------------------------------------------------

TEST_F(keyboardTest, ClickingAFieldsLabelFocusesTheField)
{
    const std::pair<const char*, int> labels[] = {
        {"Startup code (25):", 1003}, {"Hook control:", 1004}, {"Minidump directory:", 1101}};
    CReZevavEvadurovDlg& dlg = openActive();
    click(1084); // the directory row is enabled with its box
    for (const auto& [caption, field] : labels)
    {
        SCOPED_TRACE(caption);
        QLabel* label = nullptr;
        for (QLabel* const candidate : dlg.findChildren<QLabel*>())
        {
            label = candidate->text() == QString::fromUtf8(caption) ? candidate : label;
        }
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->buddy(), dlg.GetDlgItem(field));
        dlg.GetDlgItem(1006)->setFocus();
        QTest::mouseClick(label, Qt::LeftButton);
        EXPECT_EQ(focused(), dlg.GetDlgItem(field));
    }
}

TEST_F(keyboardTest, TabFollowsTheLayoutAreaByAreaEachColumnTopToBottom)
{
    CReZevavEvadurovDlg& dlg = openActive();
    dlg.KillTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    for (QWidget* const child : dlg.findChildren<QWidget*>())
    {
        child->setEnabled(true);
    }
    // The areas of the layout, top to bottom and left to right, in dialog units:
    // {left, top, right, bottom}.
    const QRect areas[] = {
        QRect(QPoint(0, 20), QPoint(649, 60)),     // User Interface boxes
        QRect(QPoint(650, 0), QPoint(724, 80)),    // OK, Apply, Close, Reset to Defaults
        QRect(QPoint(0, 62), QPoint(649, 80)),     // User Interface group buttons
        QRect(QPoint(0, 82), QPoint(724, 100)),    // UI log file
        QRect(QPoint(0, 120), QPoint(724, 145)),   // Stub Startup Control
        QRect(QPoint(0, 160), QPoint(364, 245)),   // Stub Data Collection grid
        QRect(QPoint(365, 160), QPoint(724, 250)), // Stub Debug grid
        QRect(QPoint(0, 250), QPoint(724, 300)),   // exceptions and the minidump row
        QRect(QPoint(0, 305), QPoint(724, 325)),   // group buttons of the grids, two boxes
        QRect(QPoint(0, 328), QPoint(724, 350)),   // main log file
    };
    const dialogUnits units = dialogUnits::ofFont(dlg.font());
    const auto placeOf = [&](const QWidget& control)
    {
        const QPoint at = control.geometry().topLeft();
        const QPoint inUnits((at.x() * 4 + units.baseX() / 2) / units.baseX(),
                             (at.y() * 8 + units.baseY() / 2) / units.baseY());
        for (std::size_t area = 0; area < std::size(areas); ++area)
        {
            if (areas[area].contains(inUnits))
            {
                return std::make_tuple(static_cast<int>(area), at.x(), at.y());
            }
        }
        ADD_FAILURE() << controlIdOf(control) << " lies in no area";
        return std::make_tuple(-1, 0, 0);
    };

    dlg.GetDlgItem(1034)->setFocus(Qt::TabFocusReason);
    std::vector<int> visited;
    auto previous = placeOf(*focused());
    while (visited.empty() || focused() != dlg.GetDlgItem(1034))
    {
        visited.push_back(controlIdOf(*focused()));
        ASSERT_LT(visited.size(), 200u) << "the chain does not come back";
        key(Qt::Key_Tab);
        const auto next = placeOf(*focused());
        if (focused() != dlg.GetDlgItem(1034))
        {
            EXPECT_LT(previous, next) << visited.back() << " then " << controlIdOf(*focused());
        }
        previous = next;
    }
    // Every control that takes the focus is on the way, once.
    std::size_t focusable = 0;
    for (const dialogControl& row : dlg.GetTemplate().controls)
    {
        const QWidget* const control = row.id == -1 ? nullptr : dlg.GetDlgItem(row.id);
        focusable += control != nullptr && (control->focusPolicy() & Qt::TabFocus) != 0;
    }
    EXPECT_EQ(visited.size(), focusable);
}

} // namespace
