#pragma once

// What a dialog asks of the desktop and a test cannot click through: the beep, opening a path
// with the desktop's program, the folder chooser. Dialogs and controls are given an
// implementation (QtShellActions in the program, a recorder in tests) and borrow it; it must
// outlive them. Called on the GUI thread only.

#include <QString>

class QWidget;

class IShellActions
{
public:
    virtual ~IShellActions() = default;

    // The simple alert sound.
    virtual void beep() = 0;

    // Opens an existing file or folder with the program the desktop associates with it.
    // False when the desktop could not open it. The path is never passed through a shell.
    virtual bool openPath(const QString& path) = 0;

    // Lets the user choose an existing folder, starting at `start` when it names one.
    // Returns the chosen folder's path, or an empty string when the user cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;

protected:
    IShellActions() = default;
    IShellActions(const IShellActions&) = default;
    IShellActions& operator=(const IShellActions&) = default;
};
