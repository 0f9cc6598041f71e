#include "controls/CParsedEdit.h"

#include "controls/corUXThemeColours.h"
#include "controls/parsedEditRules.h"
#include "framework/CDialog.h"
#include "framework/controlId.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <limits>
#include <memory>
#include <optional>

namespace
{

// The dialog the control sits in, through the pages and scroll areas between them.
const CDialog* owningDialog(const QWidget& control)
{
    for (const QWidget* above = control.parentWidget(); above != nullptr;
         above = above->parentWidget())
    {
        if (const auto* const dialog = qobject_cast<const CDialog*>(above))
        {
            return dialog;
        }
        if (above->isWindow())
        {
            break;
        }
    }
    return nullptr;
}

// A signed decimal number as a dialog reads one from its edit control (GetDlgItemInt, signed):
// leading blanks are skipped, then an optional "-" and at least one digit up to the end of the
// text, within 32 bits. Anything else, a "+" or a trailing blank included, is no number.
std::optional<long long> readSignedInteger(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
    {
        ++i;
    }
    const bool negative = i < text.size() && text[i] == u'-';
    if (negative)
    {
        ++i;
    }
    if (i == text.size())
    {
        return std::nullopt;
    }
    long long value = 0;
    for (; i < text.size(); ++i)
    {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
        {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(std::numeric_limits<INT>::max()) + 1)
        {
            return std::nullopt;
        }
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<INT>::max())
    {
        return std::nullopt;
    }
    return value;
}

// The keys whose text a line edit would insert: not Delete (its text is 0x7F, but it is an
// editing key, which sends no character), and not Ctrl shortcuts.
bool typesText(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    return !event.text().isEmpty() && event.key() != Qt::Key_Delete &&
           modifiers != Qt::ControlModifier &&
           modifiers != (Qt::ControlModifier | Qt::ShiftModifier);
}

} // namespace

CParsedEdit::CParsedEdit(int inputType, QWidget* parent)
    : QLineEdit(parent), m_inputType(inputType), m_shell(m_desktop)
{
    connect(this, &QLineEdit::textChanged, this, &CParsedEdit::RefreshValidationColour);
}

CParsedEdit::CParsedEdit(IShellActions& shell, QWidget* parent) : CParsedEdit(0, shell, parent) {}

CParsedEdit::CParsedEdit(int inputType, IShellActions& shell, QWidget* parent)
    : QLineEdit(parent), m_inputType(inputType), m_shell(shell)
{
    connect(this, &QLineEdit::textChanged, this, &CParsedEdit::RefreshValidationColour);
}

CParsedEdit::~CParsedEdit() = default;

bool CParsedEdit::AttachToDialogItem(QWidget* dialog, int controlId, int inputType)
{
    m_inputType = inputType;
    QWidget* const control = findControl(dialog, controlId);
    if (control == this)
    {
        RefreshValidationColour();
        return true;
    }
    auto* const placeholder = qobject_cast<QLineEdit*>(control);
    if (placeholder == nullptr)
    {
        return false;
    }
    takePlaceOf(*placeholder);
    RefreshValidationColour();
    return true;
}

void CParsedEdit::takePlaceOf(QLineEdit& placeholder)
{
    QWidget* const parent = placeholder.parentWidget();
    setParent(parent);
    setControlId(*this, controlIdOf(placeholder));
    setObjectName(placeholder.objectName());
    setGeometry(placeholder.geometry());
    setSizePolicy(placeholder.sizePolicy());
    if (placeholder.testAttribute(Qt::WA_SetFont))
    {
        setFont(placeholder.font());
    }
    setMaxLength(placeholder.maxLength());
    setAccessibleName(placeholder.accessibleName());
    setReadOnly(placeholder.isReadOnly());
    setText(placeholder.text());
    setCursorPosition(placeholder.cursorPosition());
    setEnabled(!placeholder.testAttribute(Qt::WA_Disabled));
    if (parent != nullptr && parent->layout() != nullptr)
    {
        // The layout hands back the item that held the placeholder; it is ours to free.
        const std::unique_ptr<QLayoutItem> oldItem(
            parent->layout()->replaceWidget(&placeholder, this, Qt::FindChildrenRecursively));
    }
    QWidget::setTabOrder(&placeholder, this);
    if (parent != nullptr)
    {
        for (QLabel* const label : parent->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
        {
            if (label->buddy() == &placeholder)
            {
                label->setBuddy(this);
            }
        }
    }
    setVisible(!placeholder.isHidden());
    if (placeholder.hasFocus())
    {
        setFocus();
    }
    const std::unique_ptr<QLineEdit> discarded(&placeholder);
}

bool CParsedEdit::ValidationCtlColor(QPalette& palette) const
{
    if (!HasValidationRule(m_inputType))
    {
        return false;
    }
    const QString current = text();
    if (IsValidForInputType(reinterpret_cast<const WCHAR*>(current.utf16()), m_inputType))
    {
        return false;
    }
    // Against the field's own colour, so the text stays readable on dark themes too.
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    {
        palette.setColor(group, QPalette::Text,
                         corUXThemeColours::failureColourOn(palette.color(group, QPalette::Base)));
    }
    return true;
}

bool CParsedEdit::IsCharAllowed(UINT character, int inputType)
{
    return ::IsCharAllowed(character, inputType);
}

bool CParsedEdit::OnChar(UINT character, UINT, UINT)
{
    if (!admits(character))
    {
        return false;
    }
    processAllowedChar(character);
    return true;
}

bool CParsedEdit::admits(UINT character)
{
    if (IsCharAllowed(character, m_inputType))
    {
        return true;
    }
    OnRejectedInput();
    return false;
}

// What the line edit itself does with a character that reaches it.
void CParsedEdit::processAllowedChar(UINT character)
{
    switch (character)
    {
    case 0x01: // Ctrl+A
        selectAll();
        return;
    case 0x03: // Ctrl+C
        copy();
        return;
    default:
        break;
    }
    if (isReadOnly())
    {
        return;
    }
    switch (character)
    {
    case 0x08:
        backspace();
        return;
    case 0x16: // Ctrl+V
        paste();
        return;
    case 0x18: // Ctrl+X
        cut();
        return;
    case 0x1A: // Ctrl+Z
        undo();
        return;
    default:
        if (character >= 0x20 && character <= 0xFFFF)
        {
            insert(QString(QChar(static_cast<char16_t>(character))));
        }
        return;
    }
}

void CParsedEdit::OnVScroll(UINT scrollCode, UINT, QScrollBar*)
{
    int step = 0;
    if (scrollCode == SB_LINEUP)
    {
        step = 1;
    }
    else if (scrollCode == SB_LINEDOWN)
    {
        step = -1;
    }
    else
    {
        return;
    }
    setFocus();
    const std::optional<long long> value = readSignedInteger(text());
    if (!value)
    {
        OnRejectedInput();
    }
    else if (const long long next = *value + step; next < 0 || next > 0x7FFF)
    {
        OnRejectedInput();
    }
    else
    {
        setText(QString::number(next));
    }
    selectAll(); // the line edit keeps the cursor in view itself
}

void CParsedEdit::OnRejectedInput()
{
    m_shell.beep();
}

QString CParsedEdit::filtered(const QString& typed)
{
    QString kept;
    for (const QChar c : typed)
    {
        if (admits(c.unicode()))
        {
            kept += c;
        }
    }
    return kept;
}

void CParsedEdit::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::NoModifier && IsNumericInputType(m_inputType) &&
        (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down))
    {
        OnVScroll(event->key() == Qt::Key_Up ? SB_LINEUP : SB_LINEDOWN, 0, nullptr);
        event->accept();
        return;
    }
    if (!typesText(*event))
    {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const QString typed = event->text();
    const QString kept = filtered(typed);
    if (kept.size() == typed.size())
    {
        QLineEdit::keyPressEvent(event);
        return;
    }
    if (!kept.isEmpty() && !isReadOnly())
    {
        insert(kept);
    }
    event->accept();
}

void CParsedEdit::inputMethodEvent(QInputMethodEvent* event)
{
    const QString committed = event->commitString();
    const QString kept = filtered(committed);
    if (kept.size() == committed.size())
    {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent allowed(event->preeditString(), event->attributes());
    allowed.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&allowed);
    event->accept();
}

void CParsedEdit::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    // A new theme changes the field's colour, which the failure colour is chosen against; the
    // palette this control sets itself is no such change.
    if (event->type() == QEvent::ReadOnlyChange ||
        (event->type() == QEvent::PaletteChange && !m_settingPalette))
    {
        RefreshValidationColour();
    }
}

void CParsedEdit::RefreshValidationColour()
{
    // Start from the text colour the control inherits, so a verdict that has changed is undone.
    const QPalette inherited =
        parentWidget() != nullptr ? parentWidget()->palette() : QApplication::palette(this);
    QPalette colours = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    {
        colours.setColor(group, QPalette::Text, inherited.color(group, QPalette::Text));
    }
    const UINT kind = isReadOnly() ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
    bool failing = false;
    if (const CDialog* const owner = owningDialog(*this))
    {
        failing = owner->OnCtlColor(colours, this, kind);
    }
    else if (kind == CTLCOLOR_EDIT)
    {
        failing = ValidationCtlColor(colours);
    }
    if (colours != palette())
    {
        m_settingPalette = true;
        setPalette(colours); // repaints once
        m_settingPalette = false;
    }
    // Said beyond colour too, for those who cannot tell the red apart.
    const QString said = failing ? m_failureText : QString();
    if (toolTip() != said)
    {
        setToolTip(said);
        setAccessibleDescription(said);
    }
}
