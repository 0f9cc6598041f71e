// Runs the main dialog's Apply over and over, alternating between the two sets of
// alternatingSettings.h, until it is killed. Says "ready" once the first Apply is done.

#include "tests/gui/alternatingSettings.h"

#include "tests/testsupport/offscreenMainDialog.h"

#include <cstdio>

int main(int argc, char** argv)
{
    offscreenMainDialog offscreen(argc, argv);
    CReZevavEvadurovDlg& dialog = offscreen.dialog();
    for (unsigned round = 0;; ++round)
    {
        chooseSettingsSet(dialog, static_cast<int>(round % 2));
        dialog.OnApply();
        if (round == 0)
        {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
