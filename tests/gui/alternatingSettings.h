#pragma once

// Two complete, different sets of the 79 values, put into the main dialog's controls the way
// a user would (group buttons, box 1002, field 1101); shared by the all-or-nothing test and the
// process it kills.

#include "app/CReZevavEvadurovDlg.h"

inline void chooseSettingsSet(CReZevavEvadurovDlg& dialog, int which)
{
    if (which == 0)
    {
        dialog.OnUserInterfaceSetAll();
        dialog.OnStubDataCollectionSetAll();
        dialog.OnStubDebugSetAll();
    }
    else
    {
        dialog.OnUserInterfaceResetAll();
        dialog.OnStubDataCollectionResetAll();
        dialog.OnStubDebugResetAll();
    }
    dialog.CheckDlgButton(1002, which == 0 ? 1 : 0);
    dialog.SetDlgItemText(1101, which == 0 ? u"/set/a" : u"/set/bb");
}
