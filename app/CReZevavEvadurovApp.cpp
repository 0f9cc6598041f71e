#include "app/CReZevavEvadurovApp.h"

#include "app/CReZevavEvadurovDlg.h"
#include "framework/QtShellActions.h"
#include "support/stubHeap.h"

BOOL CReZevavEvadurovApp::InitInstance()
{
    createStubHeap();
    QtShellActions shell;
    {
        CReZevavEvadurovDlg dialog(shell);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}
