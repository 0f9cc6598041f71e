#include "app/CLogFileBrowserDialog.h"

#include "app/logViewerDialogTemplate.h"
#include "platform/wideText.h"

#include <fstream>
#include <string>

CLogFileBrowserDialog::CLogFileBrowserDialog(QWidget* parent)
    : CDialog(logViewerDialogTemplate(), parent)
{
}

CLogFileBrowserDialog::~CLogFileBrowserDialog() = default;

BOOL CLogFileBrowserDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    SetDlgItemText(textPane, m_text.c_str());
    setWindowTitle(QString::fromUtf16(m_title.c_str()));
    // The text pane has no label; it shows what the title names.
    if (QWidget* const pane = GetDlgItem(textPane))
    {
        pane->setAccessibleName(windowTitle().isEmpty() ? QStringLiteral("Log file")
                                                        : windowTitle());
    }
    return TRUE;
}

bool CLogFileBrowserDialog::AppendFile(const WCHAR* path)
{
    if (path == nullptr)
    {
        return false;
    }
    std::ifstream file(wideText::toUtf8(path));
    if (!file)
    {
        return false;
    }
    std::string line;
    while (std::getline(file, line))
    {
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        m_text += stubString(line.c_str());
    }
    return true;
}
