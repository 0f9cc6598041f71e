#include "tests/gui/mainDialogFixture.h"

#include "app/CAboutDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTimer>
#include <cstdlib>
#include <tuple>

namespace
{

using mainDialogTest = mainDialogFixture;

std::vector<int> groupBoxes(settingGroup group)
{
    std::vector<int> ids;
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        if (row.group == group && row.controlId != debugSettingsCatalogue::noControl)
        {
            ids.push_back(row.controlId);
        }
    }
    return ids;
}

TEST_F(mainDialogTest, WithoutAKeyItShowsTheStartValuesAndApplyWritesAllRowsToBothPlaces)
{
    CReZevavEvadurovDlg& dlg = open();
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("reZevavEvadurov x64"));
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        if (row.kind == settingKind::Switch || row.kind == settingKind::ByteSwitch)
        {
            if (row.controlId != debugSettingsCatalogue::noControl)
            {
                EXPECT_EQ(dlg.IsDlgButtonChecked(row.controlId), row.startValue)
                    << wideText::toUtf8(row.valueName);
            }
        }
    }
    EXPECT_EQ(dlg.IsDlgButtonChecked(1059), 1u);
    EXPECT_EQ(dlg.GetItemCount(1003), 29);
    EXPECT_EQ(dlg.GetItemCount(1004), 2);
    EXPECT_EQ(dlg.GetDlgItemText(1003), QStringLiteral("0"));
    EXPECT_EQ(dlg.GetItemData(1003, 28), 28u);
    EXPECT_EQ(dlg.GetDlgItemText(1101), productDirectory());
    EXPECT_EQ(dlg.GetDlgItemText(1031), QString::fromUtf16(productPaths::uiLogFile()));
    EXPECT_EQ(dlg.GetDlgItemText(1027), QString::fromUtf16(productPaths::mainLogFile()));
    EXPECT_TRUE(QString::fromUtf16(productPaths::uiLogFile()).endsWith(u"/twLogUI_x64.txt"));
    EXPECT_EQ(
        dlg.ThemeControls().titles(),
        (std::vector<std::pair<int, int>>{{1088, 0}, {1089, 1090}, {1091, 1092}, {1093, 1094}}));
    EXPECT_TRUE(dlg.GetDlgItem(1091)->font().bold());
    const auto menu = dlg.GetSystemMenu()->actions();
    ASSERT_EQ(menu.size(), 2);
    EXPECT_TRUE(menu[0]->isSeparator());
    EXPECT_EQ(menu[1]->text(), QStringLiteral("&About reZevavEvadurov..."));
    EXPECT_EQ(stored(u"debugCRT").result, static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));

    click(3);
    EXPECT_TRUE(dlg.isVisible());
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_USERS})
    {
        const WCHAR* path = root == HKEY_USERS ? kDefaultProductPath : kUserProductPath;
        const auto values = storedRows(root, path);
        const auto rows = debugSettingsCatalogue::rows();
        for (std::size_t i = 0; i < rows.size(); ++i)
        {
            ASSERT_EQ(values[i].result, static_cast<LSTATUS>(ERROR_SUCCESS))
                << wideText::toUtf8(rows[i].valueName);
        }
        EXPECT_EQ(stored(u"advancedCRTEnable", root, path).type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(stored(u"advancedCRTEnable", root, path).bytes, (std::vector<BYTE>{0}));
        EXPECT_EQ(storedDword(u"debugResetLogFileAtStartup", root, path), 1u);
        EXPECT_EQ(storedDword(u"debugStartupOrder", root, path), 0u);
    }
}

TEST_F(mainDialogTest, LoadedValuesReachTheirControlsAndOkWritesThemBackUnchanged)
{
    storeDword(u"debugStartupOrder", 7);
    storeDword(u"debugHookControl", 1);
    storeDword(u"debugBreakpoint", 1);
    storeDword(u"debugHeap", 1);
    storeDword(u"debugResetLogFileAtStartup", 0);
    storeDword(u"writeToLog_uiFree", 5); // another program's number, shown ticked
    const BYTE one = 1;
    store(u"advancedCRTEnable", REG_BINARY, &one, 1);
    storeString(u"debugCreateMinidumpsOnExceptionDirectory", u"/no/such/dir");

    CReZevavEvadurovDlg& dlg = open();
    EXPECT_EQ(dlg.GetDlgItemText(1003), QStringLiteral("7"));
    EXPECT_EQ(dlg.GetItemData(1003, dlg.GetCurSel(1003)), 7u);
    EXPECT_EQ(dlg.GetDlgItemText(1004), QStringLiteral("1"));
    EXPECT_EQ(dlg.IsDlgButtonChecked(1002), 1u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1006), 1u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1059), 0u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1035), 5u);
    EXPECT_TRUE(qobject_cast<QCheckBox*>(dlg.GetDlgItem(1035))->isChecked());
    EXPECT_EQ(dlg.IsDlgButtonChecked(1053), 1u);
    EXPECT_EQ(dlg.GetDlgItemText(1101), QStringLiteral("/no/such/dir"));

    const auto before = storedRows();
    click(1);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), IDOK);
    const auto after = storedRows();
    const auto rows = debugSettingsCatalogue::rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (before[i].result == ERROR_SUCCESS)
        {
            EXPECT_EQ(after[i], before[i]) << wideText::toUtf8(rows[i].valueName);
        }
    }
    EXPECT_EQ(storedDword(u"writeToLog_uiFree"), 5u);
    EXPECT_EQ(storedDword(u"debugStartupOrder", HKEY_USERS, kDefaultProductPath), 7u);
}

TEST_F(mainDialogTest, ABoxClickedReplacesAStoredNumberWithItsState)
{
    storeDword(u"writeToLog_uiFree", 5);
    open();
    click(1035);
    click(3);
    EXPECT_EQ(storedDword(u"writeToLog_uiFree"), 0u);
    click(1035);
    click(3);
    EXPECT_EQ(storedDword(u"writeToLog_uiFree"), 1u);
}

TEST_F(mainDialogTest, AStoredSelectionWithoutItsItemIsShownAndKept)
{
    storeDword(u"debugStartupOrder", 40);
    storeDword(u"debugHookControl", 2);
    CReZevavEvadurovDlg& dlg = open();
    EXPECT_EQ(dlg.GetDlgItemText(1003), QStringLiteral("40"));
    EXPECT_EQ(dlg.GetDlgItemText(1004), QStringLiteral("2"));
    click(3);
    EXPECT_EQ(storedDword(u"debugStartupOrder"), 40u);
    EXPECT_EQ(storedDword(u"debugHookControl"), 2u);
}

TEST_F(mainDialogTest, NoSelectionIsWrittenAsZero)
{
    storeDword(u"debugStartupOrder", 9);
    storeDword(u"debugHookControl", 1);
    CReZevavEvadurovDlg& dlg = open();
    dlg.SetCurSel(1003, -1);
    dlg.SetCurSel(1004, -1);
    click(3);
    EXPECT_EQ(storedDword(u"debugStartupOrder"), 0u);
    EXPECT_EQ(storedDword(u"debugHookControl"), 0u);
}

TEST_F(mainDialogTest, AGroupButtonRedrawsEveryBoxFromTheModel)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1006); // "Heap", not applied
    click(1058); // outside every group
    EXPECT_EQ(dlg.IsDlgButtonChecked(1006), 1u);
    dlg.SetDlgItemText(1101, QStringLiteral("/typed"));
    click(1028);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1006), 0u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1058), 0u);
    EXPECT_EQ(dlg.GetDlgItemText(1101), productDirectory());
    for (const int id : groupBoxes(settingGroup::UserInterface))
    {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 1u) << id;
    }
    click(1029);
    for (const int id : groupBoxes(settingGroup::UserInterface))
    {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 0u) << id;
    }
    click(1023);
    for (const int id : groupBoxes(settingGroup::StubDataCollection))
    {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 1u) << id;
    }
    EXPECT_EQ(dlg.IsDlgButtonChecked(1067), 0u); // a Stub Debug box stays
    click(1024);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1006), 0u);
}

TEST_F(mainDialogTest, StubDebugGroupButtonsReachTheRowWithoutABox)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1100);
    for (const int id : groupBoxes(settingGroup::StubDebug))
    {
        EXPECT_EQ(dlg.IsDlgButtonChecked(id), 1u) << id;
    }
    click(3);
    EXPECT_EQ(storedDword(u"debugSetJmpHook"), 1u);
    EXPECT_EQ(storedDword(u"debugCallstacks"), 1u);
    EXPECT_EQ(storedDword(u"debugCRT"), 0u);
    click(1050);
    click(3);
    EXPECT_EQ(storedDword(u"debugSetJmpHook"), 0u);
}

class storedEverythingOn : public mainDialogFixture
{
protected:
    void SetUp() override
    {
        mainDialogFixture::SetUp();
        for (const debugSetting& row : debugSettingsCatalogue::rows())
        {
            if (row.kind == settingKind::Switch)
            {
                storeDword(row.valueName, 1);
            }
        }
        const BYTE one = 1;
        store(u"advancedCRTEnable", REG_BINARY, &one, 1);
        storeDword(u"debugStartupOrder", 5);
        storeDword(u"debugHookControl", 1);
        storeString(u"debugCreateMinidumpsOnExceptionDirectory", u"/elsewhere");
    }
};

TEST_F(storedEverythingOn, ResetToDefaultsThenCloseWritesNothing)
{
    const auto before = storedRows();
    open();
    click(1087);
    click(2);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(storedRows(), before);
    EXPECT_EQ(stored(u"debugCRT", HKEY_USERS, kDefaultProductPath).result,
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(storedEverythingOn, ResetToDefaultsThenApplyWritesTheDefaults)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1087);
    EXPECT_EQ(dlg.GetDlgItemText(1003), QStringLiteral("0"));
    EXPECT_EQ(dlg.IsDlgButtonChecked(1002), 0u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1059), 1u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1058), 1u); // as last loaded
    EXPECT_FALSE(enabled(1101));                 // box 1084 cleared greys the row
    click(3);
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_USERS})
    {
        const WCHAR* path = root == HKEY_USERS ? kDefaultProductPath : kUserProductPath;
        for (const debugSetting& row : debugSettingsCatalogue::rows())
        {
            if (row.group != settingGroup::None && row.kind == settingKind::Switch)
            {
                EXPECT_EQ(storedDword(row.valueName, root, path), 0u)
                    << wideText::toUtf8(row.valueName);
            }
        }
        EXPECT_EQ(stored(u"advancedCRTEnable", root, path).bytes, (std::vector<BYTE>{0}));
        EXPECT_EQ(storedDword(u"debugStartupOrder", root, path), 0u);
        EXPECT_EQ(storedDword(u"debugHookControl", root, path), 0u);
        EXPECT_EQ(storedDword(u"debugBreakpoint", root, path), 0u);
        EXPECT_EQ(storedDword(u"debugResetLogFileAtStartup", root, path), 1u);
        EXPECT_EQ(storedDword(u"debugEnableBreakpoints", root, path), 1u);
        const std::u16string directory = getProductDataDirectory(u"", productPaths::productFolder);
        std::vector<BYTE> expected(reinterpret_cast<const BYTE*>(directory.c_str()),
                                   reinterpret_cast<const BYTE*>(directory.c_str()) +
                                       (directory.size() + 1) * 2);
        EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory", root, path).bytes, expected);
    }
}

TEST_F(storedEverythingOn, OkAndApplyWriteTheSameValues)
{
    open();
    click(1006);
    click(1002);
    dialog->SetCurSel(1003, 12);
    dialog->SetDlgItemText(1101, QStringLiteral("/tmp/dumps"));
    click(3);
    const auto applied = storedRows();
    const auto appliedDefault = storedRows(HKEY_USERS, kDefaultProductPath);
    // Make every value differ so OK has to write each one again.
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        storeDword(row.valueName, 77);
    }
    click(1);
    EXPECT_EQ(dialog->result(), IDOK);
    EXPECT_EQ(storedRows(), applied);
    EXPECT_EQ(storedRows(HKEY_USERS, kDefaultProductPath), appliedDefault);
    EXPECT_EQ(storedDword(u"debugHeap"), 0u);
    EXPECT_EQ(storedDword(u"debugStartupOrder"), 12u);
}

TEST_F(mainDialogTest, ApplyWritesTheUsersKeyWhenTheDefaultProfileCannotBeOpened)
{
    open();
    click(1006);
    setenv("XDG_CONFIG_DIRS", "/dev/null/unreachable", 1);
    click(3);
    EXPECT_EQ(storedDword(u"debugHeap"), 1u);
    EXPECT_EQ(storedRows().size(), debugSettingsCatalogue::rows().size());
}

TEST_F(mainDialogTest, ApplyWritesTheDefaultProfileWhenTheUsersKeyCannotBeOpened)
{
    open();
    click(1006);
    const std::string configHome = testsupport::sandboxConfigHome().string();
    setenv("XDG_CONFIG_HOME", "/dev/null/unreachable", 1);
    click(3);
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
    EXPECT_EQ(storedDword(u"debugHeap", HKEY_USERS, kDefaultProductPath), 1u);
    EXPECT_EQ(stored(u"debugHeap").result, static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(mainDialogTest, AByteSwitchOfAnotherSizeLoadsAsMissingAndApplyMendsIt)
{
    storeDword(u"advancedCRTEnable", 1);
    CReZevavEvadurovDlg& dlg = open();
    EXPECT_EQ(dlg.IsDlgButtonChecked(1053), 0u);
    click(3);
    const storedValue value = stored(u"advancedCRTEnable");
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(value.bytes, (std::vector<BYTE>{0}));
}

TEST_F(mainDialogTest, TheByteSwitchReachesItsBoxWidenedWithItsSignAndReturnsAsOneByte)
{
    const BYTE high = 0x80;
    store(u"advancedCRTEnable", REG_BINARY, &high, 1);
    CReZevavEvadurovDlg& dlg = open();
    EXPECT_EQ(dlg.IsDlgButtonChecked(1053), 0xFFFFFF80u);
    click(3);
    EXPECT_EQ(stored(u"advancedCRTEnable").bytes, (std::vector<BYTE>{0x80}));
    // A redraw from the model widens it again.
    click(1023);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1053), 0xFFFFFF80u);
}

TEST_F(mainDialogTest, ARedrawLeavesTheListsAndTheBreakpointBoxAlone)
{
    CReZevavEvadurovDlg& dlg = open();
    dlg.SetCurSel(1003, 9);
    dlg.SetCurSel(1004, 1);
    click(1002);
    click(1100);
    click(1029);
    EXPECT_EQ(dlg.GetItemData(1003, dlg.GetCurSel(1003)), 9u);
    EXPECT_EQ(dlg.GetItemData(1004, dlg.GetCurSel(1004)), 1u);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1002), 1u);
}

TEST_F(mainDialogTest, AnEmptyDirectoryFieldIsWrittenAsTheTerminatorAlone)
{
    CReZevavEvadurovDlg& dlg = open();
    dlg.SetDlgItemText(1101, QString());
    click(3);
    const storedValue value = stored(u"debugCreateMinidumpsOnExceptionDirectory");
    EXPECT_EQ(value.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(value.bytes, (std::vector<BYTE>{0, 0}));
}

TEST_F(mainDialogTest, EscapeAndTheCloseBoxEndWithoutWriting)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1006);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), IDCANCEL);
    open();
    click(1006);
    dialog->close();
    EXPECT_EQ(dialog->result(), IDCANCEL);
    EXPECT_EQ(stored(u"debugHeap").result, static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(mainDialogTest, TheAboutCommandShowsTheAboutBoxAndLeavesTheDialogAsItWas)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1006);
    QString seenTitle;
    bool sawAbout = false;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* const about =
                               qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
                           sawAbout = about != nullptr;
                           if (about != nullptr)
                           {
                               seenTitle = about->windowTitle();
                               QTest::mouseClick(about->GetDlgItem(IDOK), Qt::LeftButton);
                           }
                       });
    dlg.GetSystemMenu()->actions().at(1)->trigger();
    EXPECT_TRUE(sawAbout);
    EXPECT_EQ(seenTitle, QStringLiteral("About reZevavEvadurov"));
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.IsDlgButtonChecked(1006), 1u);
    // The framework's low four bits of a command do not matter.
    sawAbout = false;
    QTimer::singleShot(0,
                       [&]
                       {
                           auto* const about =
                               qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
                           sawAbout = about != nullptr;
                           if (about != nullptr)
                           {
                               QTest::mouseClick(about->GetDlgItem(IDOK), Qt::LeftButton);
                           }
                       });
    dlg.OnSysCommand(0x1F);
    EXPECT_TRUE(sawAbout);
    // Other system commands are not the About box.
    dlg.OnSysCommand(0xF060 & ~0xFu);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(mainDialogTest, TheWindowShowsTheIconLoadedAtConstruction)
{
    dialog = std::make_unique<CReZevavEvadurovDlg>(shell);
    const QIcon loaded = dialog->OnQueryDragIcon();
    ASSERT_FALSE(loaded.isNull());
    dialog->Create();
    EXPECT_FALSE(dialog->windowIcon().isNull());
    EXPECT_EQ(dialog->windowIcon().cacheKey(), loaded.cacheKey());
}

TEST_F(mainDialogTest, TheDirectoryFieldAnswersTheEditColourRequestWithItsVerdict)
{
    CReZevavEvadurovDlg& dlg = open();
    QWidget* const field = dlg.GetDlgItem(1101);
    QPalette palette = field->palette();
    EXPECT_FALSE(dlg.OnCtlColor(palette, field, CTLCOLOR_EDIT)); // the directory exists
    dlg.SetDlgItemText(1101, QStringLiteral("/no/such/directory"));
    EXPECT_TRUE(dlg.OnCtlColor(palette, field, CTLCOLOR_EDIT));
    EXPECT_EQ(palette.color(QPalette::Active, QPalette::Text), QColor(0xD8, 0x1C, 0x1C));
    QPalette other = field->palette();
    EXPECT_FALSE(dlg.OnCtlColor(other, field, 0));
    EXPECT_FALSE(dlg.OnCtlColor(other, dlg.GetDlgItem(1031), CTLCOLOR_EDIT));
}

} // namespace

// Not a check: renders the dialog for the documentation. Run with
//   RZ_SCREENSHOT=docs/screenshot.png tests_gui --gtest_also_run_disabled_tests
//   --gtest_filter='*Screenshot*'
TEST_F(mainDialogFixture, DISABLED_Screenshot)
{
    const char* const target = std::getenv("RZ_SCREENSHOT");
    if (target == nullptr)
    {
        GTEST_SKIP() << "RZ_SCREENSHOT names no file";
    }
    storeDword(u"debugHeap", 1);
    storeDword(u"debugCreateMinidumpsOnException", 1);
    storeDword(u"writeToLog_uiAlloc", 1);
    storeDword(u"debugCallstacks", 1);
    CReZevavEvadurovDlg& dlg = open();
    QTest::qWait(50);
    EXPECT_TRUE(dlg.grab().save(QString::fromUtf8(target)));
    // Beside it: a 1024x768 screen (scrolling), scale 2 on 1920x1080, and a dark theme with a
    // missing minidump folder.
    for (const auto& [name, area, scale, dark] :
         {std::tuple("-1024x768.png", QSize(1008, 720), 1, false),
          std::tuple("-scale2.png", QSize(944, 492), 2, false),
          std::tuple("-dark.png", QSize(2000, 1200), 1, true)})
    {
        CReZevavEvadurovDlg& shown = open();
        shown.FitToArea(area);
        if (dark)
        {
            shown.setPalette(QPalette(QColor(0x35, 0x35, 0x35)));
            shown.SetDlgItemText(1101, QStringLiteral("/no/such/folder"));
        }
        QTest::qWait(50);
        QPixmap picture(shown.size() * scale);
        picture.setDevicePixelRatio(scale);
        shown.render(&picture);
        EXPECT_TRUE(picture.save(
            QString::fromUtf8(target).replace(QStringLiteral(".png"), QLatin1String(name))));
    }
}
