#pragma once

// The About box (template 100): the application icon, the version line, three lines about
// the maker and "OK". Run modally from the main dialog's system menu. GUI thread only.

#include "framework/CDialog.h"

class CAboutDlg : public CDialog
{
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
    ~CAboutDlg() override;
};
