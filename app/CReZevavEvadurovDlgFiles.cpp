// The log-file and minidump-directory actions of the main dialog.

#include "app/CReZevavEvadurovDlg.h"

#include "app/productPaths.h"
#include "platform/fileSystem.h"
#include "platform/wideText.h"

#include <array>

namespace
{

constexpr int directoryField = 1101;

} // namespace

void CReZevavEvadurovDlg::OnDeleteUILogFile()
{
    DeleteFileW(productPaths::uiLogFile());
    UpdateFileButtons();
}

void CReZevavEvadurovDlg::OnDeleteMainLogFile()
{
    DeleteFileW(productPaths::mainLogFile());
    UpdateFileButtons();
}

void CReZevavEvadurovDlg::OnViewUILogFile()
{
    OpenWithShell(productPaths::uiLogFile());
}

void CReZevavEvadurovDlg::OnViewMainLogFile()
{
    OpenWithShell(productPaths::mainLogFile());
}

void CReZevavEvadurovDlg::OnCreateMinidumps()
{
    UpdateFileButtons();
}

void CReZevavEvadurovDlg::OpenWithShell(const WCHAR* path)
{
    if (path == nullptr)
    {
        return;
    }
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES)
    {
        m_shell.beep();
        return;
    }
    m_shell.openPath(QString::fromUtf16(path));
}

bool CReZevavEvadurovDlg::BrowseForDirectory(QWidget* owner, WCHAR* buffer, const QString& title)
{
    const QString chosen = m_shell.chooseFolder(owner, title, QString::fromUtf16(buffer));
    // The chooser hands back nothing on cancel; a path the buffer cannot hold is refused
    // rather than cut short.
    if (chosen.isEmpty() || chosen.size() >= static_cast<qsizetype>(MAX_PATH))
    {
        return false;
    }
    return wideText::copy(buffer, MAX_PATH, reinterpret_cast<const WCHAR*>(chosen.utf16()));
}

void CReZevavEvadurovDlg::OnBrowseMinidumpDirectory()
{
    // The chooser starts at the directory in the field when it fits the buffer.
    std::array<WCHAR, MAX_PATH> buffer{};
    const QString current = GetDlgItemText(directoryField);
    if (current.size() < static_cast<qsizetype>(MAX_PATH))
    {
        wideText::copy(buffer.data(), buffer.size(),
                       reinterpret_cast<const WCHAR*>(current.utf16()));
    }
    if (BrowseForDirectory(this, buffer.data(), QStringLiteral("Minidump Directory")))
    {
        SetDlgItemText(directoryField, buffer.data());
    }
}

void CReZevavEvadurovDlg::OnViewMinidumpDirectory()
{
    m_shell.openPath(GetDlgItemText(directoryField));
}
