#pragma once

// Drop-down lists with an edit field, kept so that what the field shows is what the dialog
// reads: typed text that equals an item's text selects that item at once, and text naming no
// item can be refused, which puts the selected item's text back. The mouse wheel reaches a
// list only while it has the focus. GUI thread only.

class QComboBox;

namespace dialogLists
{

// Sets up `combo` (an editable combo box of a dialog): no completion, no wheel focus, and
// the exact-match selection of typed text. Call once, after creation.
void bind(QComboBox& combo);

// True when the edit text differs from the selected item's text (from the empty text when
// no item is selected), that is, when it names no item that Apply would read.
bool holdsUnknownText(const QComboBox& combo);

// Shows the selected item's text again (the empty text with none selected) and selects it.
void restoreSelectedText(QComboBox& combo);

} // namespace dialogLists
