#pragma once

// A single-line edit control with an input type code (0 to 58, see parsedEditRules.h):
// - typed characters its type refuses are not inserted, and OnRejectedInput() is called
//   (pasted and programmatically set text is not filtered);
// - whenever the text changes, and whenever its dialog's tick calls RefreshValidationColour,
//   the whole text is checked against the type's rule and, while it fails, drawn in
//   corUXThemeColours::failureColourOn(the field's base colour) and said in the tooltip;
//   painting only uses that verdict (a path rule asks the file system, which a caret blink
//   must not do);
// - for the numeric types (IsNumericInputType) the Up and Down arrow keys step the decimal
//   value within 0 to 32767 (OnVScroll); in the other types they move the caret as usual.
// GUI thread only. Shell actions given to a constructor are borrowed and must outlive the
// control; without them the control beeps through the desktop (QtShellActions).

#include "framework/IShellActions.h"
#include "framework/QtShellActions.h"
#include <reZevavEvadurov/winTypes.h>

#include <QLineEdit>

class QScrollBar;

constexpr UINT SB_LINEUP = 0;
constexpr UINT SB_LINEDOWN = 1;

class CParsedEdit : public QLineEdit
{
    Q_OBJECT

public:
    // Input type 0 (refuses every printable character) until AttachToDialogItem sets one.
    explicit CParsedEdit(int inputType = 0, QWidget* parent = nullptr);
    explicit CParsedEdit(IShellActions& shell, QWidget* parent = nullptr);
    CParsedEdit(int inputType, IShellActions& shell, QWidget* parent = nullptr);
    ~CParsedEdit() override;

    CParsedEdit(const CParsedEdit&) = delete;
    CParsedEdit& operator=(const CParsedEdit&) = delete;

    // Stores `inputType`, then takes the place of the dialog's line edit with `controlId`: this
    // object moves into that widget's parent, layout slot, geometry and tab position, takes its
    // id, name, text, cursor, length limit, read-only, enabled and visible states and explicit
    // font, and the labels that name it as their field; the placeholder is destroyed. Connections
    // made to the placeholder are not carried over. False, with the type stored, when the dialog
    // has no control with that id or it is not a line edit; true when it is this object already.
    bool AttachToDialogItem(QWidget* dialog, int controlId, int inputType);

    // The one place where the verdict decides the colour. `palette` holds the colours the
    // control would be drawn with; when the type has a rule and the current text fails it, the
    // text colour of its active and inactive groups becomes the failure colour and the result
    // is true. Otherwise `palette` is left as it was and the result is false.
    bool ValidationCtlColor(QPalette& palette) const;

    // What the tooltip and the accessible description say while the text fails its rule.
    void SetFailureText(const QString& text) { m_failureText = text; }

    // Decides the colours afresh through the colour request: the owning CDialog's OnCtlColor
    // (CTLCOLOR_EDIT, or CTLCOLOR_STATIC while read-only), or, outside a dialog, this
    // control's own ValidationCtlColor for an editable control. Runs on every text change,
    // read-only change and palette change (a new theme); owners call it when the file system
    // may have changed. Only a changed verdict repaints. While the verdict is a failure, the
    // tooltip and accessible description hold the failure text.
    void RefreshValidationColour();

    static bool IsCharAllowed(UINT character, int inputType);

    // One typed character (a UTF-16 code unit). One the type allows goes on to the line edit's
    // own handling: inserted unless the control is read-only, or, for a control character,
    // the editing it stands for (backspace, Ctrl+A, C, V, X, Z; the rest do nothing here).
    // Any other calls OnRejectedInput() and is dropped. True when the character was allowed.
    // The repeat count and flags are unused: the character is handled once.
    bool OnChar(UINT character, UINT repeatCount = 1, UINT flags = 0);

    // SB_LINEUP adds 1 and SB_LINEDOWN subtracts 1 from the signed decimal text; any other
    // code is ignored. Takes the focus; a text that is no such number, or a result outside
    // 0 to 32767, calls OnRejectedInput() and leaves the text. Then selects the whole text.
    // The position and scroll bar are unused.
    void OnVScroll(UINT scrollCode, UINT position, QScrollBar* scrollBar);

    // Called whenever input is refused; beeps through the shell actions.
    virtual void OnRejectedInput();

    int GetInputType() const { return m_inputType; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void changeEvent(QEvent* event) override;

    int m_inputType = 0;

private:
    bool admits(UINT character);
    void processAllowedChar(UINT character);
    QString filtered(const QString& typed);
    void takePlaceOf(QLineEdit& placeholder);

    QtShellActions m_desktop;
    IShellActions& m_shell;
    bool m_settingPalette = false;
    QString m_failureText = QStringLiteral("This text is not valid here");
};
