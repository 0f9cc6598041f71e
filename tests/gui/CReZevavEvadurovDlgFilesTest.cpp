#include "tests/gui/mainDialogFixture.h"

#include <filesystem>
#include <fstream>

namespace
{

using mainDialogFilesTest = mainDialogFixture;

std::filesystem::path pathOf(const WCHAR* path)
{
    return std::filesystem::path(wideText::toUtf8(path));
}

void createFile(const WCHAR* path)
{
    std::ofstream(pathOf(path)) << "log\n";
}

TEST_F(mainDialogFilesTest, LogFileButtonsFollowTheFilesWithinATimerTick)
{
    open();
    for (const int id : {1030, 1054, 1026, 1055})
    {
        EXPECT_FALSE(enabled(id)) << id;
    }
    createFile(productPaths::uiLogFile());
    // The timer refreshes every 100 ms; the bound only keeps a loaded machine from failing.
    EXPECT_TRUE(QTest::qWaitFor([this] { return enabled(1030); }, 10000));
    EXPECT_TRUE(enabled(1054));
    EXPECT_FALSE(enabled(1026));
    EXPECT_FALSE(enabled(1055));

    createFile(productPaths::mainLogFile());
    dialog->OnTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    EXPECT_TRUE(enabled(1026));
    EXPECT_TRUE(enabled(1055));

    std::filesystem::remove(pathOf(productPaths::uiLogFile()));
    dialog->OnTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    EXPECT_FALSE(enabled(1030));
    EXPECT_FALSE(enabled(1054));
}

TEST_F(mainDialogFilesTest, WithoutAPerUserFolderTheLogButtonsStayDisabled)
{
    setenv("XDG_DATA_HOME", "", 1);
    setenv("HOME", "", 1);
    resetProductDataPathsForTests();
    ASSERT_EQ(std::u16string(productPaths::uiLogFile()), u"");
    ASSERT_EQ(std::u16string(productPaths::mainLogFile()), u"");
    CReZevavEvadurovDlg& dlg = open();
    for (const int id : {1030, 1054, 1026, 1055})
    {
        EXPECT_FALSE(enabled(id)) << id;
    }
    EXPECT_EQ(dlg.GetDlgItemText(1031), QString());
    dlg.OnViewMainLogFile();
    EXPECT_EQ(shell.beeps, 1);
    EXPECT_TRUE(shell.opened.empty());
}

TEST_F(mainDialogFilesTest, DeleteRemovesTheFileAndDisablesItsButtonsAtOnce)
{
    createFile(productPaths::mainLogFile());
    createFile(productPaths::uiLogFile());
    open();
    ASSERT_TRUE(enabled(1026));
    click(1026);
    EXPECT_FALSE(std::filesystem::exists(pathOf(productPaths::mainLogFile())));
    EXPECT_FALSE(enabled(1026));
    EXPECT_FALSE(enabled(1055));
    EXPECT_TRUE(enabled(1030));
    click(1030);
    EXPECT_FALSE(std::filesystem::exists(pathOf(productPaths::uiLogFile())));
    EXPECT_FALSE(enabled(1054));
    EXPECT_EQ(shell.beeps, 0);
}

TEST_F(mainDialogFilesTest, ViewOpensAnExistingLogAndBeepsForAVanishedOne)
{
    createFile(productPaths::uiLogFile());
    open();
    click(1054);
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], QString::fromUtf16(productPaths::uiLogFile()));
    EXPECT_EQ(shell.beeps, 0);

    std::filesystem::remove(pathOf(productPaths::uiLogFile()));
    click(1054); // still enabled until the next refresh
    EXPECT_EQ(shell.beeps, 1);
    EXPECT_EQ(shell.opened.size(), 1u);

    dialog->OpenWithShell(nullptr);
    EXPECT_EQ(shell.beeps, 1);
    EXPECT_EQ(shell.opened.size(), 1u);
    // Any object at the path counts, a directory included.
    dialog->OpenWithShell(getProductDataDirectory(u"", productPaths::productFolder));
    EXPECT_EQ(shell.opened.size(), 2u);
}

TEST_F(mainDialogFilesTest, TheMinidumpBoxGreysItsRowAtOnce)
{
    CReZevavEvadurovDlg& dlg = open();
    for (const int id : {1103, 1101, 1102, 1104})
    {
        EXPECT_FALSE(enabled(id)) << id;
    }
    click(1084);
    for (const int id : {1103, 1101, 1102, 1104})
    {
        EXPECT_TRUE(enabled(id)) << id;
    }
    click(1084);
    EXPECT_FALSE(enabled(1101));
    click(1084);
    click(1087);
    EXPECT_EQ(dlg.IsDlgButtonChecked(1084), 0u);
    EXPECT_FALSE(enabled(1102));
}

TEST_F(mainDialogFilesTest, TheMinidumpBoxCountsOnlyTheLowByteOfItsState)
{
    storeDword(u"debugCreateMinidumpsOnException", 0x100);
    CReZevavEvadurovDlg& dlg = open();
    EXPECT_EQ(dlg.IsDlgButtonChecked(1084), 0x100u);
    for (const int id : {1103, 1101, 1102, 1104})
    {
        EXPECT_FALSE(enabled(id)) << id;
    }
    dlg.CheckDlgButton(1084, 0x101);
    dialog->OnTimer(CReZevavEvadurovDlg::fileButtonsTimer);
    for (const int id : {1103, 1101, 1102, 1104})
    {
        EXPECT_TRUE(enabled(id)) << id;
    }
}

TEST_F(mainDialogFilesTest, BrowseStartsAtTheFieldAndACancelLeavesIt)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1084);
    dlg.SetDlgItemText(1101, QStringLiteral("/start/here"));
    click(1102);
    ASSERT_EQ(shell.chooserCalls.size(), 1u);
    EXPECT_EQ(shell.chooserCalls[0].first, QStringLiteral("Minidump Directory"));
    EXPECT_EQ(shell.chooserCalls[0].second, QStringLiteral("/start/here"));
    EXPECT_EQ(dlg.GetDlgItemText(1101), QStringLiteral("/start/here"));

    // A path the 260-character buffer cannot hold is refused, not cut short.
    shell.chooserAnswer = QStringLiteral("/") + QString(300, u'x');
    click(1102);
    EXPECT_EQ(dlg.GetDlgItemText(1101), QStringLiteral("/start/here"));
}

TEST_F(mainDialogFilesTest, AChosenDirectoryIsWrittenOnlyByTheNextApply)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1084);
    shell.chooserAnswer = QString::fromUtf16(u"/chosen/d\u00e9p\u00f4t");
    click(1102);
    EXPECT_EQ(dlg.GetDlgItemText(1101), shell.chooserAnswer);
    EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory").result,
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(QString::fromUtf16(dlg.Model().text.c_str()), productDirectory());
    click(3);
    const std::u16string expected = u"/chosen/d\u00e9p\u00f4t";
    const storedValue value = stored(u"debugCreateMinidumpsOnExceptionDirectory");
    EXPECT_EQ(value.bytes.size(), (expected.size() + 1) * 2);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(value.bytes.data())), expected);
}

TEST_F(mainDialogFilesTest, CloseDiscardsAChosenDirectory)
{
    open();
    click(1084);
    shell.chooserAnswer = QStringLiteral("/chosen");
    click(1102);
    click(2);
    EXPECT_EQ(stored(u"debugCreateMinidumpsOnExceptionDirectory").result,
              static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(mainDialogFilesTest, ViewOfTheDirectoryOpensTheFieldTextWithoutAnyCheck)
{
    CReZevavEvadurovDlg& dlg = open();
    click(1084);
    dlg.SetDlgItemText(1101, QStringLiteral("/no/such/place"));
    click(1104);
    dlg.SetDlgItemText(1101, QString());
    click(1104);
    EXPECT_EQ(shell.opened, (std::vector<QString>{QStringLiteral("/no/such/place"), QString()}));
    EXPECT_EQ(shell.beeps, 0);
}

} // namespace
