// Puts values into the main dialog's controls and presses its Apply, offscreen, for the
// install check: applySettings DIRECTORY [valueName=number ...]. A named check box is ticked
// or cleared, a named list selects the item carrying the number; everything else keeps what
// the dialog loaded. Exit status 0 once Apply has run (the install check reads what it wrote).

#include "app/debugSettingsCatalogue.h"
#include "platform/wideText.h"
#include "tests/testsupport/offscreenMainDialog.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
bool selectItem(CDialog& dialog, int listId, DWORD number)
{
    for (int i = 0; i < dialog.GetItemCount(listId); ++i)
    {
        if (dialog.GetItemData(listId, i) == number)
        {
            return dialog.SetCurSel(listId, i);
        }
    }
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        std::fprintf(stderr, "usage: applySettings DIRECTORY [valueName=number ...]\n");
        return 2;
    }
    offscreenMainDialog offscreen(argc, argv);
    CReZevavEvadurovDlg& dialog = offscreen.dialog();
    dialog.SetDlgItemText(1101, QString::fromUtf8(argv[1]));
    for (int i = 2; i < argc; ++i)
    {
        const std::string pair = argv[i];
        const std::size_t equals = pair.find('=');
        const debugSetting* row =
            debugSettingsCatalogue::findByName(wideText::fromUtf8(pair.substr(0, equals)).c_str());
        if (row == nullptr || equals == std::string::npos || row->controlId == 0)
        {
            std::fprintf(stderr, "applySettings: no setting with a control named %s\n", argv[i]);
            return 2;
        }
        const auto number = static_cast<DWORD>(std::strtoul(pair.c_str() + equals + 1, nullptr, 0));
        if (debugSettingsCatalogue::findList(row->controlId) != nullptr)
        {
            if (!selectItem(dialog, row->controlId, number))
            {
                std::fprintf(stderr, "applySettings: list %s has no item %u\n", argv[i], number);
                return 2;
            }
        }
        else
        {
            dialog.CheckDlgButton(row->controlId, number);
        }
    }
    // The button's own command route, as a click on "&Apply" takes it.
    return dialog.OnCommand(3) ? 0 : 1;
}
