#pragma once

// The application object base: the program's one object whose InitInstance does the work.
// A QApplication must exist before RunApplication is called; the object itself holds nothing
// but the main window pointer, which it borrows. GUI thread only.

#include <reZevavEvadurov/winTypes.h>

class QWidget;

class CWinApp
{
public:
    CWinApp() = default;
    virtual ~CWinApp() = default;

    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // True to go on into the application's own event loop, false to end at once.
    virtual BOOL InitInstance() { return FALSE; }
    // Called once when the application ends; its result is the process exit code.
    virtual int ExitInstance() { return 0; }

    // The window that stands for the application while it runs; borrowed, may be null.
    QWidget* m_pMainWnd = nullptr;
};

// The framework's entry: InitInstance, then (only when it returned true) the event loop, then
// ExitInstance, whose result is returned.
int RunApplication(CWinApp& application);
