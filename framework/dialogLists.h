#pragma once

// Drop-down lists with an edit field, kept so that what the field shows is what the dialog
// reads. Typed text that equals an item's text selects that item at once. Editing ends with
// settle(): text that names the selected item confirms it; text that names no item is
// refused, and the list goes back to the item confirmed before the typing began (a prefix
// such as "3" of "30", selected on the way, does not count). Selections made without typing
// (the popup, arrow keys, code) are confirmed at once. The mouse wheel reaches a list only
// while it has the focus. GUI thread only.

class QComboBox;

namespace dialogLists
{

// Sets up `combo` (an editable combo box of a dialog): no completion, no wheel focus, and
// the selection of typed text. Call once, after creation.
void bind(QComboBox& combo);

// Ends an edit as described above. True when the text was kept, false when it was refused
// and the confirmed item's text (the empty text with none) is shown again.
bool settle(QComboBox& combo);

} // namespace dialogLists
