#pragma once

// The desktop's own shell actions through Qt: QApplication::beep, QDesktopServices::openUrl
// and QFileDialog::getExistingDirectory. Stateless; needs a QApplication.

#include "framework/IShellActions.h"

class QtShellActions final : public IShellActions
{
public:
    void beep() override;
    bool openPath(const QString& path) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
};
