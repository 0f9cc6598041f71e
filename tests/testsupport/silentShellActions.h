#pragma once

// Shell actions for programs that drive the main dialog without a desktop (the Apply loop a
// test kills, the install check, the settings-pass benchmark): no beep, nothing opened, no
// folder chosen.

#include "framework/IShellActions.h"

class silentShellActions final : public IShellActions
{
public:
    void beep() override {}
    bool openPath(const QString&) override { return false; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return {}; }
};
