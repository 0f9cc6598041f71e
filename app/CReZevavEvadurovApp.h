#pragma once

// The application object: creates the support library's private heap, runs the main dialog
// modally once and ends. GUI thread only; a QApplication must exist when InitInstance runs.

#include "framework/CWinApp.h"

class CReZevavEvadurovApp : public CWinApp
{
public:
    CReZevavEvadurovApp() = default;
    ~CReZevavEvadurovApp() override = default;

    // Always FALSE: the dialog has run and the process is to end.
    BOOL InitInstance() override;
};
