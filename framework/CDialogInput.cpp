// The dialog's keyboard routes, its labels and its drop-down lists: what CDialog does with
// keys and focus beyond Qt's own dialog handling.

#include "framework/CDialog.h"

#include "framework/QtShellActions.h"
#include "framework/controlId.h"
#include "framework/dialogLists.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QTimer>

void CDialog::bindLabel(QWidget* label, QWidget& field)
{
    if (auto* const text = qobject_cast<QLabel*>(label))
    {
        text->setBuddy(&field);
        text->installEventFilter(this);
        // Screen readers otherwise name a list by its current item ("0").
        const QString name = QString(text->text()).remove(u'&');
        field.setAccessibleName(name);
        if (auto* const combo = qobject_cast<QComboBox*>(&field); combo && combo->lineEdit())
        {
            combo->lineEdit()->setAccessibleName(name);
        }
    }
}

void CDialog::addKeyboardRoutes()
{
    // Shortcuts, not key handlers: the focused control sees these keys first otherwise, and a
    // line edit would answer Shift+F10 with its own editing menu.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
    {
        connect(new QShortcut(keys, this), &QShortcut::activated, this,
                [this] { ShowSystemMenu(); });
    }
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            [this] { OnHelp(); });
}

bool CDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (auto* const combo = qobject_cast<QComboBox*>(watched))
    {
        if (event->type() == QEvent::Wheel && !combo->hasFocus())
        {
            event->ignore(); // goes on to the dialog, which has no use for it
            return true;
        }
        if (event->type() == QEvent::FocusOut)
        {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // A list's own popup, or another window coming to the front, is no end of editing.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason &&
                !dialogLists::settle(*combo))
            {
                OnListTextRefused(controlIdOf(*combo));
            }
        }
    }
    else if (auto* const label = qobject_cast<QLabel*>(watched))
    {
        if (event->type() == QEvent::MouseButtonPress && label->buddy() != nullptr &&
            label->buddy()->isEnabled())
        {
            // As a mnemonic would: the field's text is selected, so typing replaces it.
            label->buddy()->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool CDialog::RefuseUnknownListText()
{
    bool refused = false;
    for (QComboBox* const combo : findChildren<QComboBox*>())
    {
        if (controlIdOf(*combo) != -1 && !dialogLists::settle(*combo))
        {
            OnListTextRefused(controlIdOf(*combo));
            refused = true;
        }
    }
    return refused;
}

void CDialog::OnListTextRefused(int /*id*/)
{
    QtShellActions().beep();
}

void CDialog::ShowSystemMenu()
{
    if (m_systemMenu == nullptr || m_systemMenu->isEmpty())
    {
        return;
    }
    const QWidget* const anchor = focusWidget() != nullptr ? focusWidget() : this;
    m_systemMenu->popup(anchor->mapToGlobal(anchor->rect().bottomLeft()));
    // Opened from the keyboard, the menu starts on its first command.
    for (QAction* const action : m_systemMenu->actions())
    {
        if (!action->isSeparator() && action->isEnabled())
        {
            m_systemMenu->setActiveAction(action);
            break;
        }
    }
}

void CDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    followScreen();
    // A window manager would give a new dialog the keyboard; a bare X server does not, and a
    // modal box would then never see its keys. Asked once the window is on the screen.
    QTimer::singleShot(0, this,
                       [this]
                       {
                           if (isVisible())
                           {
                               activateWindow();
                           }
                       });
}
