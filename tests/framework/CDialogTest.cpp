#include "framework/CDialog.h"

#include "framework/controlId.h"
#include "framework/dialogUnits.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <array>
#include <vector>

namespace
{

constexpr std::array<dialogControl, 10> kRows = {{
    {1, dialogControlKind::DefaultPushButton, u"OK", 140, 7, 50, 14},
    {2, dialogControlKind::PushButton, u"Close", 140, 24, 50, 14},
    {10, dialogControlKind::AutoCheckBox, u"Heap", 12, 24, 50, 10},
    {11, dialogControlKind::StaticText, u"label", 12, 40, 60, 8},
    {12, dialogControlKind::RuleLine, nullptr, 12, 50, 60, 1},
    {13, dialogControlKind::Edit, u"", 12, 60, 80, 14},
    {14, dialogControlKind::DropDownCombo, nullptr, 12, 80, 40, 100},
    {15, dialogControlKind::ReadOnlyMultiLineEdit, u"", 100, 60, 80, 30},
    {16, dialogControlKind::Icon, nullptr, 100, 100, 20, 20},
    {-1, dialogControlKind::StaticText, u"unnamed", 12, 100, 40, 8},
}};

const dialogTemplate kTemplate{900, u"Test dialog", 200, 120, u"MS Sans Serif", 8, kRows};

// Records what reaches the framework's virtual operations.
class recordingDialog : public CDialog
{
public:
    recordingDialog() : CDialog(kTemplate)
    {
        OnCommandId(10, [this] { commands.push_back(10); });
        OnCommandId(20, [this] { commands.push_back(20); });
    }

    BOOL OnInitDialog() override
    {
        initSawWindow = GetDlgItem(10) != nullptr;
        ++initCalls;
        return TRUE;
    }
    void OnTimer(UINT timerId) override { timers.push_back(timerId); }
    void OnSysCommand(UINT commandId) override { sysCommands.push_back(commandId); }
    void OnCancel() override
    {
        ++cancels;
        CDialog::OnCancel();
    }

    std::vector<int> commands;
    std::vector<UINT> timers;
    std::vector<UINT> sysCommands;
    int initCalls = 0;
    int cancels = 0;
    bool initSawWindow = false;
};

TEST(CDialogTest, CreatesOneWidgetPerRowWithItsIdAndGeometry)
{
    recordingDialog dialog;
    EXPECT_FALSE(dialog.HasWindow());
    EXPECT_EQ(dialog.GetDlgItem(1), nullptr);
    dialog.Create();
    dialog.Create();
    EXPECT_EQ(dialog.initCalls, 1);
    EXPECT_TRUE(dialog.initSawWindow);

    EXPECT_TRUE(qobject_cast<QPushButton*>(dialog.GetDlgItem(1))->isDefault());
    EXPECT_FALSE(qobject_cast<QPushButton*>(dialog.GetDlgItem(2))->isDefault());
    EXPECT_NE(qobject_cast<QCheckBox*>(dialog.GetDlgItem(10)), nullptr);
    EXPECT_NE(qobject_cast<QLabel*>(dialog.GetDlgItem(11)), nullptr);
    EXPECT_EQ(qobject_cast<QFrame*>(dialog.GetDlgItem(12))->frameShape(), QFrame::HLine);
    EXPECT_NE(qobject_cast<QLineEdit*>(dialog.GetDlgItem(13)), nullptr);
    EXPECT_TRUE(qobject_cast<QComboBox*>(dialog.GetDlgItem(14))->isEditable());
    EXPECT_TRUE(qobject_cast<QPlainTextEdit*>(dialog.GetDlgItem(15))->isReadOnly());
    EXPECT_FALSE(qobject_cast<QLabel*>(dialog.GetDlgItem(16))->pixmap().isNull());
    EXPECT_EQ(dialog.GetDlgItem(-1), nullptr);

    const dialogUnits units = dialogUnits::ofFont(dialog.font());
    EXPECT_EQ(dialog.GetDlgItem(10)->geometry(), units.toPixels(12, 24, 50, 10));
    EXPECT_EQ(dialog.size(), QSize(units.toPixelsX(200), units.toPixelsY(120)));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Test dialog"));
    EXPECT_EQ(dialog.GetDlgItemText(1), QStringLiteral("OK"));
}

TEST(CDialogTest, CheckBoxKeepsItsNumberUntilClicked)
{
    recordingDialog dialog;
    dialog.Create();
    dialog.show();
    dialog.CheckDlgButton(10, 5);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dialog.GetDlgItem(10))->isChecked());
    EXPECT_EQ(dialog.IsDlgButtonChecked(10), 5u);

    QTest::mouseClick(dialog.GetDlgItem(10), Qt::LeftButton);
    EXPECT_EQ(dialog.IsDlgButtonChecked(10), 0u);
    QTest::mouseClick(dialog.GetDlgItem(10), Qt::LeftButton);
    EXPECT_EQ(dialog.IsDlgButtonChecked(10), 1u);
    EXPECT_EQ(dialog.commands, (std::vector<int>{10, 10}));

    // A state changed around the framework reads as what the box shows.
    dialog.CheckDlgButton(10, 7);
    qobject_cast<QCheckBox*>(dialog.GetDlgItem(10))->setChecked(false);
    EXPECT_EQ(dialog.IsDlgButtonChecked(10), 0u);
    // Ids that are no check box answer 0 and take nothing.
    dialog.CheckDlgButton(13, 1);
    EXPECT_EQ(dialog.IsDlgButtonChecked(13), 0u);
    EXPECT_EQ(dialog.IsDlgButtonChecked(999), 0u);
}

TEST(CDialogTest, ListItemsCarryTheirNumbersAndStartUnselected)
{
    recordingDialog dialog;
    dialog.Create();
    EXPECT_EQ(dialog.AddItem(14, QStringLiteral("zero"), 40), 0);
    EXPECT_EQ(dialog.AddItem(14, QStringLiteral("one"), 41), 1);
    EXPECT_EQ(dialog.AddItem(13, QStringLiteral("not a list"), 1), -1);
    EXPECT_EQ(dialog.GetItemCount(14), 2);
    EXPECT_EQ(dialog.GetCurSel(14), -1);

    EXPECT_TRUE(dialog.SetCurSel(14, 1));
    EXPECT_EQ(dialog.GetCurSel(14), 1);
    EXPECT_EQ(dialog.GetItemData(14, dialog.GetCurSel(14)), 41u);
    EXPECT_EQ(dialog.GetDlgItemText(14), QStringLiteral("one"));

    EXPECT_FALSE(dialog.SetCurSel(14, 2));
    EXPECT_EQ(dialog.GetCurSel(14), -1);
    EXPECT_EQ(dialog.GetDlgItemText(14), QString());
    EXPECT_EQ(dialog.GetItemData(14, -1), 0u);
    EXPECT_EQ(dialog.GetItemData(14, 5), 0u);
}

TEST(CDialogTest, TypingInTheListFieldAddsNoItem)
{
    recordingDialog dialog;
    dialog.Create();
    dialog.show();
    dialog.AddItem(14, QStringLiteral("0"), 0);
    QWidget* const combo = dialog.GetDlgItem(14);
    QTest::keyClicks(combo, QStringLiteral("9"));
    QTest::keyClick(combo, Qt::Key_Return);
    EXPECT_EQ(dialog.GetItemCount(14), 1);
}

TEST(CDialogTest, TextRoundTripsThroughEveryTextControl)
{
    recordingDialog dialog;
    dialog.Create();
    const QString text = QString::fromUtf16(u"/home/\u00e9t\u00e9/\U0001F600");
    for (const int id : {2, 11, 13, 15})
    {
        dialog.SetDlgItemText(id, text);
        EXPECT_EQ(dialog.GetDlgItemText(id), text) << id;
    }
    dialog.SetDlgItemText(13, static_cast<const WCHAR*>(nullptr));
    EXPECT_EQ(dialog.GetDlgItemText(13), QString());
    dialog.EnableDlgItem(13, false);
    EXPECT_FALSE(dialog.GetDlgItem(13)->isEnabled());
    dialog.EnableDlgItem(13, true);
    EXPECT_TRUE(dialog.GetDlgItem(13)->isEnabled());
}

TEST(CDialogTest, CommandsRouteByIdAndTheCancelPathsEndWithCancel)
{
    recordingDialog dialog;
    dialog.Create();
    EXPECT_TRUE(dialog.OnCommand(20));
    EXPECT_FALSE(dialog.OnCommand(21));
    EXPECT_EQ(dialog.commands, (std::vector<int>{20}));

    QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Escape); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    QTimer::singleShot(0, &dialog, [&dialog] { dialog.close(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    QTimer::singleShot(0, &dialog,
                       [&dialog] { QTest::mouseClick(dialog.GetDlgItem(2), Qt::LeftButton); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.cancels, 3);

    QTimer::singleShot(0, &dialog, [&dialog] { QTest::keyClick(&dialog, Qt::Key_Return); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.initCalls, 1);
}

TEST(CDialogTest, TimerDeliversItsOwnIdUntilKilled)
{
    recordingDialog dialog;
    dialog.Create();
    dialog.SetTimer(7, 10);
    EXPECT_TRUE(QTest::qWaitFor([&dialog] { return dialog.timers.size() >= 2; }, 10000));
    EXPECT_EQ(dialog.timers.front(), 7u);
    dialog.KillTimer(7);
    const std::size_t seen = dialog.timers.size();
    QTest::qWait(50);
    EXPECT_EQ(dialog.timers.size(), seen);
}

TEST(CDialogTest, SystemMenuItemsRouteToOnSysCommand)
{
    recordingDialog dialog;
    dialog.Create();
    EXPECT_EQ(dialog.GetSystemMenu(), nullptr);
    dialog.AppendSystemMenuSeparator();
    dialog.AppendSystemMenuItem(0x10, QStringLiteral("&About..."));
    const auto actions = dialog.GetSystemMenu()->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_TRUE(actions[0]->isSeparator());
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&About..."));
    actions[1]->trigger();
    EXPECT_EQ(dialog.sysCommands, (std::vector<UINT>{0x10}));
}

} // namespace
