#include "app/CReZevavEvadurovApp.h"

#include "tests/gui/mainDialogFixture.h"

#include "platform/heap.h"

#include <QApplication>
#include <QTimer>

namespace
{

using CReZevavEvadurovAppTest = mainDialogFixture;

// Presses `button` of the main dialog once it runs modally, and notes what it saw.
struct dialogCloser
{
    void closeWith(int button, const CReZevavEvadurovApp& application)
    {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout,
                         [this, button, &application]
                         {
                             auto* const dialog = qobject_cast<CReZevavEvadurovDlg*>(
                                 QApplication::activeModalWidget());
                             if (dialog == nullptr)
                             {
                                 // A generous bound for a loaded machine; past it the test
                                 // fails on sawDialog instead of hanging in the modal run.
                                 if (++misses > 3000)
                                 {
                                     timer.stop();
                                     rejectEveryMainDialog();
                                 }
                                 return;
                             }
                             timer.stop();
                             sawDialog = true;
                             mainWindowWasDialog = application.m_pMainWnd == dialog;
                             heapWhileRunning = getStubHeap() != nullptr;
                             title = dialog->windowTitle();
                             QTest::mouseClick(dialog->GetDlgItem(button), Qt::LeftButton);
                         });
        timer.start();
    }

    static void rejectEveryMainDialog()
    {
        for (QWidget* const widget : QApplication::topLevelWidgets())
        {
            if (auto* const dialog = qobject_cast<CReZevavEvadurovDlg*>(widget))
            {
                dialog->reject();
            }
        }
    }

    QTimer timer;
    int misses = 0;
    bool sawDialog = false;
    bool mainWindowWasDialog = false;
    bool heapWhileRunning = false;
    QString title;
};

TEST_F(CReZevavEvadurovAppTest, CloseEndsTheApplicationWithoutWriting)
{
    CReZevavEvadurovApp application;
    dialogCloser closer;
    closer.closeWith(IDCANCEL, application);
    EXPECT_EQ(RunApplication(application), 0);
    EXPECT_TRUE(closer.sawDialog);
    EXPECT_TRUE(closer.mainWindowWasDialog);
    EXPECT_EQ(closer.title, QStringLiteral("reZevavEvadurov x64"));
    EXPECT_EQ(application.m_pMainWnd, nullptr);
    EXPECT_EQ(stored(u"debugCRT").result, static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
}

TEST_F(CReZevavEvadurovAppTest, OkWritesTheSettingsAndEndsTheApplication)
{
    CReZevavEvadurovApp application;
    dialogCloser closer;
    closer.closeWith(IDOK, application);
    EXPECT_FALSE(application.InitInstance());
    EXPECT_TRUE(closer.sawDialog);
    EXPECT_EQ(storedDword(u"debugResetLogFileAtStartup"), 1u);
    EXPECT_EQ(storedDword(u"debugResetLogFileAtStartup", HKEY_USERS, kDefaultProductPath), 1u);
}

TEST_F(CReZevavEvadurovAppTest, StartUpCreatesThePrivateHeap)
{
    ASSERT_EQ(heapBlockCount(getStubHeap()), 0u) << "blocks would be lost";
    destroyStubHeap();
    ASSERT_EQ(getStubHeap(), nullptr);
    CReZevavEvadurovApp application;
    dialogCloser closer;
    closer.closeWith(IDCANCEL, application);
    EXPECT_FALSE(application.InitInstance());
    EXPECT_TRUE(closer.sawDialog);
    EXPECT_TRUE(closer.heapWhileRunning);
}

} // namespace
