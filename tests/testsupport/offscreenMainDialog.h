#pragma once

// The main dialog made and initialised offscreen, for programs that drive it without a desktop
// (the Apply loop a test kills, the install check, the settings-pass benchmark): its own
// QApplication on the offscreen platform, the private heap, and shell actions that do nothing.
// One per process, on the main thread; the dialog lives as long as this object.

#include "app/CReZevavEvadurovDlg.h"
#include "framework/IShellActions.h"
#include "support/stubHeap.h"

#include <QApplication>

// No beep, nothing opened, no folder chosen.
class silentShellActions final : public IShellActions
{
public:
    void beep() override {}
    bool openPath(const QString&) override { return false; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};

class offscreenMainDialog
{
public:
    offscreenMainDialog(int& argc, char** argv) : m_application(offscreen(argc), argv)
    {
        m_dialog.Create();
    }

    CReZevavEvadurovDlg& dialog() { return m_dialog; }

private:
    // Runs before the QApplication is made: the platform it picks and the heap the dialog uses.
    static int& offscreen(int& argc)
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        createStubHeap();
        return argc;
    }

    QApplication m_application;
    silentShellActions m_shell;
    CReZevavEvadurovDlg m_dialog{m_shell};
};
