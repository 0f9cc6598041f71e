#include "app/CReZevavEvadurovDlg.h"

#include "app/CAboutDlg.h"
#include "app/debugSettingsPass.h"
#include "app/mainDialogTemplate.h"
#include "app/productPaths.h"
#include "controls/pathLabel.h"
#include "framework/controlId.h"
#include "framework/dialogControls.h"
#include "platform/fileSystem.h"
#include "support/productDataDirectory.h"
#include <reZevavEvadurov/readWriteSettingsToRegistry.h>

#include <QLabel>
#include <algorithm>
#include <iterator>
#include <limits>

namespace
{

constexpr int startupOrderList = 1003;
constexpr int hookControlList = 1004;
constexpr int breakpointBox = 1002;
constexpr int directoryField = 1101;
constexpr int directoryInputType = 13; // an existing directory

// The commands that read the lists (OK, Apply) or redraw from the model (the group buttons).
constexpr int kCommandsAfterListCheck[] = {IDOK, 3, 1023, 1024, 1028, 1029, 1050, 1100};

constexpr std::pair<int, int> kTitles[] = {{1088, 0}, {1089, 1090}, {1091, 1092}, {1093, 1094}};

// Controls whose captions repeat elsewhere, and what their accessible names add to tell them
// apart: the group or the file they act on.
constexpr std::pair<int, const char16_t*> kNameContexts[] = {
    {1028, u"User Interface"},       {1029, u"User Interface"},       {1046, u"User Interface"},
    {1023, u"Stub Data Collection"}, {1024, u"Stub Data Collection"}, {1100, u"Stub Debug"},
    {1050, u"Stub Debug"},           {1047, u"Stub Debug"},           {1030, u"UI log file"},
    {1054, u"UI log file"},          {1026, u"Main log file"},        {1055, u"Main log file"},
    {1102, u"Minidump directory"},   {1104, u"Minidump directory"},
};

// The title each group's boxes sit under, for their accessible description.
constexpr std::pair<settingGroup, int> kGroupTitles[] = {
    {settingGroup::UserInterface, 1088},
    {settingGroup::StubDataCollection, 1091},
    {settingGroup::StubDebug, 1093},
};

std::size_t rowIndex(const WCHAR* valueName)
{
    const auto rows = debugSettingsCatalogue::rows();
    return static_cast<std::size_t>(debugSettingsCatalogue::findByName(valueName) - rows.data());
}

bool isCheckBoxMember(const debugSetting& row)
{
    return row.modelled() && row.kind != settingKind::String &&
           row.controlId != debugSettingsCatalogue::noControl;
}

// The byte switch reaches its box widened with its sign, as an 8-bit char converts.
UINT checkNumberOf(const debugSetting& row, DWORD number)
{
    if (row.kind == settingKind::ByteSwitch)
    {
        return static_cast<UINT>(static_cast<int>(static_cast<signed char>(number & 0xFFu)));
    }
    return number;
}

} // namespace

CReZevavEvadurovDlg::CReZevavEvadurovDlg(IShellActions& shell, QWidget* parent)
    : CDialog(mainDialogTemplate(), parent), m_shell(shell),
      m_settings(debugSettingsValues::startValues(u"")), m_directoryField(0, shell)
{
    m_hIcon = dialogControls::applicationIcon(*this);
    OnStubDebugResetAll();
    OnUserInterfaceResetAll();
    OnStubDataCollectionResetAll();
    m_settings.text = getProductDataDirectory(u"", productPaths::productFolder);

    // OK, Apply, Close and Reset to Defaults stay in view when the dialog has to scroll.
    KeepInView({IDOK, 3, IDCANCEL, 1087});
    OnCommandId(3, [this] { OnApply(); });
    OnCommandId(1087, [this] { OnResetToDefaults(); });
    OnCommandId(1028, [this] { OnUserInterfaceSetAll(); });
    OnCommandId(1029, [this] { OnUserInterfaceResetAll(); });
    OnCommandId(1023, [this] { OnStubDataCollectionSetAll(); });
    OnCommandId(1024, [this] { OnStubDataCollectionResetAll(); });
    OnCommandId(1100, [this] { OnStubDebugSetAll(); });
    OnCommandId(1050, [this] { OnStubDebugResetAll(); });
    OnCommandId(1030, [this] { OnDeleteUILogFile(); });
    OnCommandId(1026, [this] { OnDeleteMainLogFile(); });
    OnCommandId(1054, [this] { OnViewUILogFile(); });
    OnCommandId(1055, [this] { OnViewMainLogFile(); });
    OnCommandId(1084, [this] { OnCreateMinidumps(); });
    OnCommandId(1102, [this] { OnBrowseMinidumpDirectory(); });
    OnCommandId(1104, [this] { OnViewMinidumpDirectory(); });
}

CReZevavEvadurovDlg::~CReZevavEvadurovDlg() = default;

BOOL CReZevavEvadurovDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    for (const auto& [titleId, ruleId] : kTitles)
    {
        m_themeCtrls.addTitle(this, titleId, ruleId);
    }
    m_directoryField.AttachToDialogItem(this, directoryField, directoryInputType);
    // The store reads strings of any length; a shorter limit would cut a stored directory
    // and an untouched OK would write the cut text back.
    m_directoryField.setMaxLength(std::numeric_limits<int>::max());
    m_directoryField.SetFailureText(QStringLiteral("This folder does not exist"));
    nameControls();

    const QString aboutText = QStringLiteral("&About reZevavEvadurov...");
    AppendSystemMenuSeparator();
    AppendSystemMenuItem(IDM_ABOUTBOX, aboutText);

    // The lists and the breakpoint box are not held: they are read into the row slots of a
    // copy and passed straight on to their controls.
    debugSettingsValues loaded = LoadSettings();
    const std::size_t startupRow = rowIndex(u"debugStartupOrder");
    const std::size_t hookRow = rowIndex(u"debugHookControl");
    const std::size_t breakpointRow = rowIndex(u"debugBreakpoint");
    const DWORD startupOrder = loaded.numbers[startupRow];
    const DWORD hookControl = loaded.numbers[hookRow];
    const DWORD breakpoint = loaded.numbers[breakpointRow];
    loaded.numbers[startupRow] = loaded.numbers[hookRow] = loaded.numbers[breakpointRow] = 0;
    m_settings = loaded;

    setWindowIcon(m_hIcon);

    for (const debugSettingList& list : debugSettingsCatalogue::lists())
    {
        for (DWORD number = 0; number < list.itemCount; ++number)
        {
            AddItem(list.controlId, QString::number(number), number);
        }
    }
    selectListItem(startupOrderList, startupOrder);
    selectListItem(hookControlList, hookControl);

    UpdateCheckBoxes();
    CheckDlgButton(breakpointBox, breakpoint);
    showLogPath(productPaths::uiLogLabel, productPaths::uiLogFile(), u"UI log file");
    showLogPath(productPaths::mainLogLabel, productPaths::mainLogFile(), u"Main log file");
    SetDlgItemText(directoryField, m_settings.text.c_str());
    UpdateFileButtons();
    SetTimer(fileButtonsTimer, 100);
    setWindowTitle(QStringLiteral("reZevavEvadurov x64"));
    return TRUE;
}

void CReZevavEvadurovDlg::nameControls()
{
    for (const auto& [id, context] : kNameContexts)
    {
        if (QWidget* const control = GetDlgItem(id))
        {
            control->setAccessibleName(QString(GetDlgItemText(id)).remove(u'&') +
                                       QStringLiteral(": ") + QString::fromUtf16(context));
        }
    }
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        for (const auto& [group, titleId] : kGroupTitles)
        {
            QWidget* const control = row.group == group ? GetDlgItem(row.controlId) : nullptr;
            if (control != nullptr)
            {
                control->setAccessibleDescription(GetDlgItemText(titleId));
            }
        }
    }
}

void CReZevavEvadurovDlg::showLogPath(int labelId, const WCHAR* path, const char16_t* what)
{
    if (auto* const label = qobject_cast<QLabel*>(GetDlgItem(labelId)))
    {
        pathLabel::show(*label, QString::fromUtf16(path), QString::fromUtf16(what));
    }
}

debugSettingsValues CReZevavEvadurovDlg::LoadSettings()
{
    debugSettingsValues loaded = m_settings;
    for (const WCHAR* unheld : {u"debugStartupOrder", u"debugHookControl", u"debugBreakpoint"})
    {
        loaded.numbers[rowIndex(unheld)] = 0;
    }
    if (m_location.OpenUserSettingsKey(settingsLocation::readAccess))
    {
        readWriteSettingsToRegistry store;
        store.setKey(m_location.productKey());
        debugSettingsPass::readRows(store, loaded);
    }
    m_location.CloseSettingsKey();
    return loaded;
}

void CReZevavEvadurovDlg::OnOK()
{
    OnApply();
    CDialog::OnOK();
}

void CReZevavEvadurovDlg::OnCancel()
{
    CDialog::OnCancel();
}

void CReZevavEvadurovDlg::OnApply()
{
    const DWORD startupOrder = selectedListNumber(startupOrderList);
    const DWORD hookControl = selectedListNumber(hookControlList);
    const DWORD breakpoint = IsDlgButtonChecked(breakpointBox);

    const auto rows = debugSettingsCatalogue::rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (isCheckBoxMember(rows[i]))
        {
            const UINT check = IsDlgButtonChecked(rows[i].controlId);
            m_settings.numbers[i] =
                rows[i].kind == settingKind::ByteSwitch ? (check & 0xFFu) : check;
        }
    }
    const QString directory = GetDlgItemText(directoryField);
    m_settings.text = reinterpret_cast<const WCHAR*>(directory.utf16());

    // A failed opening or commit goes to the log as a failed write does; the dialog shows
    // none of them.
    const stubString logFileName = productPaths::uiLogFile();
    if (m_location.OpenUserSettingsKey(settingsLocation::readWriteAccess))
    {
        WriteSettings(startupOrder, hookControl, breakpoint);
    }
    m_location.CloseSettingsKey(logFileName.c_str());
    if (m_location.OpenDefaultUserSettingsKey(settingsLocation::readWriteAccess))
    {
        WriteSettings(startupOrder, hookControl, breakpoint);
    }
    m_location.CloseSettingsKey(logFileName.c_str());
}

void CReZevavEvadurovDlg::WriteSettings(DWORD startupOrder, DWORD hookControl, DWORD breakpoint)
{
    const stubString logFileName = productPaths::uiLogFile();
    debugSettingsValues values = m_settings;
    values.numbers[rowIndex(u"debugStartupOrder")] = startupOrder;
    values.numbers[rowIndex(u"debugHookControl")] = hookControl;
    values.numbers[rowIndex(u"debugBreakpoint")] = breakpoint;
    readWriteSettingsToRegistry store;
    store.setKey(m_location.productKey());
    debugSettingsPass::writeRows(store, logFileName.c_str(), values);
}

void CReZevavEvadurovDlg::UpdateCheckBoxes()
{
    if (!HasWindow())
    {
        return;
    }
    const auto rows = debugSettingsCatalogue::rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (isCheckBoxMember(rows[i]))
        {
            CheckDlgButton(rows[i].controlId, checkNumberOf(rows[i], m_settings.numbers[i]));
        }
    }
    SetDlgItemText(directoryField, m_settings.text.c_str());
    UpdateFileButtons();
}

void CReZevavEvadurovDlg::UpdateFileButtons()
{
    const stubString uiLog = productPaths::uiLogFile();
    const stubString mainLog = productPaths::mainLogFile();
    const auto enableWhenExists = [this](int id, const stubString& path)
    {
        if (GetDlgItem(id) != nullptr)
        {
            EnableDlgItem(id, GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES);
        }
    };
    enableWhenExists(1030, uiLog);
    enableWhenExists(1054, uiLog);
    enableWhenExists(1026, mainLog);
    enableWhenExists(1055, mainLog);

    const auto createMinidumps = static_cast<BYTE>(IsDlgButtonChecked(1084));
    for (const int id : {1103, 1101, 1102, 1104})
    {
        if (GetDlgItem(id) != nullptr)
        {
            EnableDlgItem(id, createMinidumps != 0);
        }
    }
}

void CReZevavEvadurovDlg::setGroup(settingGroup group, DWORD value)
{
    const auto rows = debugSettingsCatalogue::rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
    {
        if (rows[i].group == group)
        {
            m_settings.numbers[i] = value;
        }
    }
    UpdateCheckBoxes();
}

void CReZevavEvadurovDlg::OnUserInterfaceSetAll()
{
    setGroup(settingGroup::UserInterface, 1);
}

void CReZevavEvadurovDlg::OnUserInterfaceResetAll()
{
    setGroup(settingGroup::UserInterface, 0);
}

void CReZevavEvadurovDlg::OnStubDataCollectionSetAll()
{
    setGroup(settingGroup::StubDataCollection, 1);
}

void CReZevavEvadurovDlg::OnStubDataCollectionResetAll()
{
    setGroup(settingGroup::StubDataCollection, 0);
}

void CReZevavEvadurovDlg::OnStubDebugSetAll()
{
    setGroup(settingGroup::StubDebug, 1);
}

void CReZevavEvadurovDlg::OnStubDebugResetAll()
{
    setGroup(settingGroup::StubDebug, 0);
}

void CReZevavEvadurovDlg::OnResetToDefaults()
{
    OnStubDebugResetAll();
    OnUserInterfaceResetAll();
    OnStubDataCollectionResetAll();
    // The rows outside every group go to their defaults directly in their controls; the
    // model keeps the last loaded or applied values until the next Apply.
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        if (row.group == settingGroup::None && row.kind == settingKind::Selection &&
            row.reset == settingReset::ToValue)
        {
            selectListItem(row.controlId, row.resetValue);
        }
    }
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        if (row.group == settingGroup::None && row.kind == settingKind::Switch &&
            row.reset == settingReset::ToValue)
        {
            CheckDlgButton(row.controlId, row.resetValue);
        }
    }
    for (const debugSetting& row : debugSettingsCatalogue::rows())
    {
        if (row.reset == settingReset::ProductDirectory)
        {
            SetDlgItemText(row.controlId,
                           getProductDataDirectory(u"", productPaths::productFolder));
        }
    }
    UpdateFileButtons();
}

void CReZevavEvadurovDlg::selectListItem(int listId, DWORD number)
{
    const int count = GetItemCount(listId);
    for (int index = 0; index < count; ++index)
    {
        if (GetItemData(listId, index) == number)
        {
            SetCurSel(listId, index);
            return;
        }
    }
    SetCurSel(listId, AddItem(listId, QString::number(number), number));
}

DWORD CReZevavEvadurovDlg::selectedListNumber(int listId) const
{
    const int selected = GetCurSel(listId);
    return selected < 0 ? 0 : GetItemData(listId, selected);
}

void CReZevavEvadurovDlg::OnSysCommand(UINT commandId)
{
    if ((commandId & ~0xFu) == IDM_ABOUTBOX)
    {
        // A child of the dialog: centred over it, and no window of its own in the task bar.
        CAboutDlg about(this);
        about.DoModal();
        return;
    }
    CDialog::OnSysCommand(commandId);
}

void CReZevavEvadurovDlg::OnTimer(UINT /*timerId*/)
{
    UpdateFileButtons();
    // A directory that appears or vanishes shows in the field's colour within a tick.
    m_directoryField.RefreshValidationColour();
}

void CReZevavEvadurovDlg::OnHelp()
{
    OnSysCommand(IDM_ABOUTBOX);
}

bool CReZevavEvadurovDlg::OnCommand(int id)
{
    if (std::find(std::begin(kCommandsAfterListCheck), std::end(kCommandsAfterListCheck), id) !=
        std::end(kCommandsAfterListCheck))
    {
        RefuseUnknownListText();
    }
    return CDialog::OnCommand(id);
}

void CReZevavEvadurovDlg::OnListTextRefused(int /*id*/)
{
    m_shell.beep();
}

bool CReZevavEvadurovDlg::OnCtlColor(QPalette& palette, QWidget* child, UINT kind) const
{
    if (kind == CTLCOLOR_EDIT && child != nullptr &&
        controlIdOf(*child) == controlIdOf(m_directoryField))
    {
        return m_directoryField.ValidationCtlColor(palette);
    }
    return false;
}
