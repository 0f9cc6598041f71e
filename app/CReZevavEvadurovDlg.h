#pragma once

// The tool's one working window (template 102): shows every setting of the debug settings
// catalogue, loads them from the current user's product key when it opens, writes them to
// both settings locations on Apply and OK, and acts on the product's log files and minidump
// directory.
//
// The dialog keeps the settings model in its members and treats the controls as a view: the
// group buttons and "Reset to Defaults" change the model and redraw the boxes from it; Apply
// copies every control back and writes the model. Nothing is shown about the outcome of a
// write. The shell actions are borrowed and must outlive the dialog. GUI thread only.

#include "app/debugSettingsValues.h"
#include "app/settingsLocation.h"
#include "controls/CParsedEdit.h"
#include "controls/corUXThemeCtrls.h"
#include "framework/CDialog.h"
#include "framework/IShellActions.h"

#include <QIcon>

class CReZevavEvadurovDlg : public CDialog
{
    Q_OBJECT

public:
    static constexpr UINT IDM_ABOUTBOX = 0x10;
    static constexpr UINT fileButtonsTimer = 1;

    explicit CReZevavEvadurovDlg(IShellActions& shell, QWidget* parent = nullptr);
    ~CReZevavEvadurovDlg() override;

    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void OnSysCommand(UINT commandId) override;
    void OnTimer(UINT timerId) override;
    // F1: the About box.
    void OnHelp() override;
    // OK, Apply and the group buttons first refuse list text that names no item, so that
    // what the lists show is what is written.
    bool OnCommand(int id) override;

    // Copies every control into the model and writes both settings locations, each in one
    // registry transaction (settingsLocation).
    void OnApply();
    // The load pass of the initialisation: the model with every row that the current user's
    // key holds read over it; the lists' and the breakpoint's rows hold what was read, else 0.
    // Every key it opened is closed when it returns.
    debugSettingsValues LoadSettings();
    // One write pass of all rows over the product key currently open in the location.
    void WriteSettings(DWORD startupOrder, DWORD hookControl, DWORD breakpoint);

    void UpdateCheckBoxes();
    void UpdateFileButtons();
    void OnResetToDefaults();

    void OnUserInterfaceSetAll();
    void OnUserInterfaceResetAll();
    void OnStubDataCollectionSetAll();
    void OnStubDataCollectionResetAll();
    void OnStubDebugSetAll();
    void OnStubDebugResetAll();

    // The colour request of edit controls, which the directory field makes whenever its text
    // changes and at every timer tick: for the field, its validation verdict adjusts `palette`
    // (true when it is the failure colour); for anything else nothing changes.
    bool OnCtlColor(QPalette& palette, QWidget* child, UINT kind) const override;
    // The icon loaded at construction, which the window also shows.
    QIcon OnQueryDragIcon() const { return m_hIcon; }

    // Log-file and minidump-directory actions.
    void OnDeleteUILogFile();
    void OnDeleteMainLogFile();
    void OnViewUILogFile();
    void OnViewMainLogFile();
    void OnCreateMinidumps();
    void OnBrowseMinidumpDirectory();
    void OnViewMinidumpDirectory();

    // Opens an existing path with the desktop's program; null does nothing, a path that does
    // not exist beeps.
    void OpenWithShell(const WCHAR* path);
    // Lets the user choose a directory, starting at the one `buffer` names; true with the
    // chosen path in `buffer` (capacity MAX_PATH wide characters, terminator included), false
    // with `buffer` unchanged when the user cancels or the path would not fit.
    bool BrowseForDirectory(QWidget* owner, WCHAR* buffer, const QString& title);

    // The model, for inspection: one entry per catalogue row (the two lists and
    // debugBreakpoint are not held and their entries stay 0).
    const debugSettingsValues& Model() const { return m_settings; }
    const corUXThemeCtrls& ThemeControls() const { return m_themeCtrls; }

protected:
    void OnListTextRefused(int id) override; // beeps

private:
    void setGroup(settingGroup group, DWORD value);
    // Selects the item carrying `number`; a number without an item gets one of its own, so
    // a value stored by another program is shown and written back unchanged.
    void selectListItem(int listId, DWORD number);
    // The number the selected item carries, 0 with none selected.
    DWORD selectedListNumber(int listId) const;

    IShellActions& m_shell;
    QIcon m_hIcon;
    settingsLocation m_location;    // the four key handles of the open settings location
    debugSettingsValues m_settings; // the switches and the minidump directory
    corUXThemeCtrls m_themeCtrls;
    CParsedEdit m_directoryField;
};
