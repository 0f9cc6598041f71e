#include "framework/CDialog.h"

#include "framework/controlId.h"
#include "framework/dialogControls.h"
#include "framework/dialogLists.h"
#include "framework/dialogUnits.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimerEvent>
#include <QVariant>

// A fixed-size dialog offers no maximise button (Qt's own decorations on Wayland drew one).
constexpr Qt::WindowFlags fixedDialogFlags =
    Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

CDialog::CDialog(const dialogTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent, fixedDialogFlags), m_template(dialogTemplate)
{
}

CDialog::~CDialog() = default;

void CDialog::Create()
{
    if (m_created)
    {
        return;
    }
    m_created = true;
    setFont(dialogUnits::dialogFont(m_template.pointSize));
    const dialogUnits units = dialogUnits::ofFont(font());
    m_content = new QWidget(this);
    m_content->setFixedSize(units.toPixelsX(m_template.cx), units.toPixelsY(m_template.cy));
    QWidget* label = nullptr; // the static text just created, if the last row was one
    for (const dialogControl& row : m_template.controls)
    {
        QWidget* const control = dialogControls::create(row, units, *m_content);
        if (row.id != -1)
        {
            connectCommand(*control, row.id);
        }
        if (row.kind == dialogControlKind::Edit || row.kind == dialogControlKind::DropDownCombo)
        {
            bindLabel(label, *control);
        }
        label = row.kind == dialogControlKind::StaticText ? control : nullptr;
    }
    addKeyboardRoutes();
    if (m_template.title != nullptr)
    {
        setWindowTitle(QString::fromUtf16(m_template.title));
    }
    fitToScreen();
    OnInitDialog();
}

int CDialog::DoModal()
{
    Create();
    return exec();
}

void CDialog::EndDialog(int result)
{
    killAllTimers();
    done(result);
}

void CDialog::connectCommand(QWidget& control, int id)
{
    if (auto* const box = qobject_cast<QCheckBox*>(&control))
    {
        // The click's own state replaces any number the box was given, before the command
        // handler looks at it.
        connect(box, &QCheckBox::clicked, this,
                [this, box, id](bool checked)
                {
                    box->setProperty(dialogControls::checkNumberProperty, checked ? 1u : 0u);
                    OnCommand(id);
                });
        return;
    }
    if (auto* const button = qobject_cast<QAbstractButton*>(&control))
    {
        connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        return;
    }
    if (auto* const combo = qobject_cast<QComboBox*>(&control))
    {
        dialogLists::bind(*combo);
        combo->installEventFilter(this);
    }
}

QWidget* CDialog::GetDlgItem(int id) const
{
    if (!m_created)
    {
        return nullptr;
    }
    // A remembered control stands while it lives, still carries the id and is still ours.
    const auto known = m_foundControls.find(id);
    if (known != m_foundControls.end() && known->second != nullptr &&
        controlIdOf(*known->second) == id && isAncestorOf(known->second))
    {
        return known->second;
    }
    QWidget* const found = findControl(this, id);
    m_foundControls[id] = found;
    return found;
}

void CDialog::CheckDlgButton(int id, UINT check)
{
    auto* const box = qobject_cast<QCheckBox*>(GetDlgItem(id));
    if (box == nullptr)
    {
        return;
    }
    box->setProperty(dialogControls::checkNumberProperty, check);
    box->setChecked(check != 0);
}

UINT CDialog::IsDlgButtonChecked(int id) const
{
    const auto* const box = qobject_cast<const QCheckBox*>(GetDlgItem(id));
    if (box == nullptr)
    {
        return 0;
    }
    bool isNumber = false;
    const UINT number = box->property(dialogControls::checkNumberProperty).toUInt(&isNumber);
    // The number stands only while the box still shows it; a state set around the framework
    // (toggled by code) is read as the plain 0 or 1 it shows.
    if (isNumber && (number != 0) == box->isChecked())
    {
        return number;
    }
    return box->isChecked() ? 1u : 0u;
}

void CDialog::SetDlgItemText(int id, const QString& text)
{
    QWidget* const control = GetDlgItem(id);
    if (auto* const label = qobject_cast<QLabel*>(control))
    {
        label->setText(text);
    }
    else if (auto* const edit = qobject_cast<QLineEdit*>(control))
    {
        edit->setText(text);
    }
    else if (auto* const button = qobject_cast<QAbstractButton*>(control))
    {
        button->setText(text);
    }
    else if (auto* const combo = qobject_cast<QComboBox*>(control))
    {
        combo->setEditText(text);
    }
    else if (auto* const view = qobject_cast<QPlainTextEdit*>(control))
    {
        view->setPlainText(text);
    }
}

void CDialog::SetDlgItemText(int id, const WCHAR* text)
{
    SetDlgItemText(id, text == nullptr ? QString() : QString::fromUtf16(text));
}

QString CDialog::GetDlgItemText(int id) const
{
    const QWidget* const control = GetDlgItem(id);
    if (const auto* const label = qobject_cast<const QLabel*>(control))
    {
        return label->text();
    }
    if (const auto* const edit = qobject_cast<const QLineEdit*>(control))
    {
        return edit->text();
    }
    if (const auto* const button = qobject_cast<const QAbstractButton*>(control))
    {
        return button->text();
    }
    if (const auto* const combo = qobject_cast<const QComboBox*>(control))
    {
        return combo->currentText();
    }
    if (const auto* const view = qobject_cast<const QPlainTextEdit*>(control))
    {
        return view->toPlainText();
    }
    return QString();
}

void CDialog::EnableDlgItem(int id, bool enable)
{
    if (QWidget* const control = GetDlgItem(id))
    {
        control->setEnabled(enable);
    }
}

int CDialog::AddItem(int id, const QString& text, DWORD data)
{
    auto* const combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    if (combo == nullptr)
    {
        return -1;
    }
    combo->addItem(text, QVariant::fromValue<uint>(data));
    const int index = combo->count() - 1;
    // Windows' list keeps no selection when items are added; Qt selects the first one.
    if (combo->count() == 1)
    {
        combo->setCurrentIndex(-1);
    }
    return index;
}

bool CDialog::SetCurSel(int id, int index)
{
    auto* const combo = qobject_cast<QComboBox*>(GetDlgItem(id));
    if (combo == nullptr)
    {
        return false;
    }
    const bool inRange = index >= 0 && index < combo->count();
    combo->setCurrentIndex(inRange ? index : -1);
    if (!inRange)
    {
        combo->setEditText(QString());
    }
    return inRange;
}

int CDialog::GetCurSel(int id) const
{
    const auto* const combo = qobject_cast<const QComboBox*>(GetDlgItem(id));
    return combo == nullptr ? -1 : combo->currentIndex();
}

DWORD CDialog::GetItemData(int id, int index) const
{
    const auto* const combo = qobject_cast<const QComboBox*>(GetDlgItem(id));
    if (combo == nullptr || index < 0 || index >= combo->count())
    {
        return 0;
    }
    return combo->itemData(index).toUInt();
}

int CDialog::GetItemCount(int id) const
{
    const auto* const combo = qobject_cast<const QComboBox*>(GetDlgItem(id));
    return combo == nullptr ? 0 : combo->count();
}

void CDialog::SetTimer(UINT timerId, UINT milliseconds)
{
    KillTimer(timerId);
    const int qtId = startTimer(static_cast<int>(milliseconds));
    if (qtId != 0)
    {
        m_timers[timerId] = qtId;
    }
}

void CDialog::KillTimer(UINT timerId)
{
    const auto found = m_timers.find(timerId);
    if (found != m_timers.end())
    {
        killTimer(found->second);
        m_timers.erase(found);
    }
}

void CDialog::killAllTimers()
{
    for (const auto& [timerId, qtId] : m_timers)
    {
        killTimer(qtId);
    }
    m_timers.clear();
}

void CDialog::timerEvent(QTimerEvent* event)
{
    for (const auto& [timerId, qtId] : m_timers)
    {
        if (qtId == event->timerId())
        {
            OnTimer(timerId);
            return;
        }
    }
    QDialog::timerEvent(event);
}

void CDialog::AppendSystemMenuSeparator()
{
    if (m_systemMenu == nullptr)
    {
        m_systemMenu = new QMenu(this);
    }
    m_systemMenu->addSeparator();
}

void CDialog::AppendSystemMenuItem(UINT commandId, const QString& text)
{
    if (m_systemMenu == nullptr)
    {
        m_systemMenu = new QMenu(this);
    }
    QAction* const action = m_systemMenu->addAction(text);
    connect(action, &QAction::triggered, this, [this, commandId] { OnSysCommand(commandId); });
}

void CDialog::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_systemMenu != nullptr && !m_systemMenu->isEmpty())
    {
        m_systemMenu->popup(event->globalPos());
        event->accept();
        return;
    }
    QDialog::contextMenuEvent(event);
}

void CDialog::OnCommandId(int id, std::function<void()> handler)
{
    m_handlers[id] = std::move(handler);
}

bool CDialog::OnCommand(int id)
{
    const auto found = m_handlers.find(id);
    if (found != m_handlers.end())
    {
        found->second();
        return true;
    }
    if (id == IDOK)
    {
        OnOK();
        return true;
    }
    if (id == IDCANCEL)
    {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::OnSysCommand(UINT /*commandId*/)
{
    // The window-menu commands Qt offers (move, close) never come through here.
}

BOOL CDialog::OnInitDialog()
{
    return TRUE;
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnTimer(UINT /*timerId*/) {}

void CDialog::OnHelp() {}

bool CDialog::OnCtlColor(QPalette& /*palette*/, QWidget* /*child*/, UINT /*kind*/) const
{
    return false;
}

void CDialog::accept()
{
    OnCommand(IDOK);
}

void CDialog::reject()
{
    OnCommand(IDCANCEL);
}
