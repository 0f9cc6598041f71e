#include "framework/CWinApp.h"

#include <QApplication>

int RunApplication(CWinApp& application)
{
    if (application.InitInstance())
    {
        QApplication::exec();
    }
    application.m_pMainWnd = nullptr;
    return application.ExitInstance();
}
