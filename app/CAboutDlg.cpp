#include "app/CAboutDlg.h"

#include "app/aboutDialogTemplate.h"

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(aboutDialogTemplate(), parent) {}

CAboutDlg::~CAboutDlg() = default;
