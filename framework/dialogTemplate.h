#pragma once

// Declarative dialog templates: every control of a dialog as one row (id, kind, caption,
// position and size in dialog units), as a Windows dialog resource lists them. The dialog base
// builds its widgets from the rows; dialog units convert to pixels from the dialog font's
// metrics (x * average character width / 4, y * character height / 8).
//
// Templates are constant data with static storage; the spans stay valid for the process.

#include <reZevavEvadurov/winTypes.h>

#include <span>

enum class dialogControlKind
{
    DefaultPushButton, // BS_DEFPUSHBUTTON: the button Enter presses
    PushButton,
    AutoCheckBox,          // toggles itself when clicked
    StaticText,            // left-aligned label
    RuleLine,              // static frame one unit high: a horizontal rule
    Edit,                  // single-line edit, auto-scrolling, bordered
    ReadOnlyMultiLineEdit, // bordered, read-only, horizontal scrolling (the log viewer)
    DropDownCombo,         // drop-down combo box with an edit field
    Icon                   // the application icon
};

struct dialogControl
{
    int id; // -1 for an unnamed static
    dialogControlKind kind;
    const WCHAR* caption; // null for none
    int x, y, cx, cy;     // dialog units
};

struct dialogTemplate
{
    int resourceId;
    const WCHAR* title;
    int cx, cy;            // dialog units
    const WCHAR* fontFace; // the font the layout was drawn for
    int pointSize;
    std::span<const dialogControl> controls;
};
