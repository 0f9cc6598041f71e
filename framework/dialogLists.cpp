#include "framework/dialogLists.h"

#include <QComboBox>
#include <QLineEdit>
#include <QVariant>

namespace
{

// The item last confirmed, as a property of the combo box.
constexpr char confirmedProperty[] = "confirmedIndex";
// Set while typing moves the selection, which confirms nothing.
constexpr char typingProperty[] = "selectingTypedItem";

int confirmedIndex(const QComboBox& combo)
{
    const int index = combo.property(confirmedProperty).toInt();
    return index < combo.count() ? index : -1;
}

void selectTypedItem(QComboBox& combo, const QString& typed)
{
    const int match = combo.findText(typed, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (match < 0 || match == combo.currentIndex())
    {
        return;
    }
    // Selecting rewrites the (equal) text, which would move the caret to the end.
    QLineEdit* const edit = combo.lineEdit();
    const int caret = edit->cursorPosition();
    combo.setProperty(typingProperty, true);
    combo.setCurrentIndex(match);
    combo.setProperty(typingProperty, false);
    edit->setCursorPosition(caret);
}

} // namespace

void dialogLists::bind(QComboBox& combo)
{
    // Completion would change the text behind the typist's back.
    combo.setCompleter(nullptr);
    // A wheel turned over an unfocused list must not change it (nor take the focus).
    combo.setFocusPolicy(Qt::StrongFocus);
    combo.setProperty(confirmedProperty, combo.currentIndex());
    QObject::connect(&combo, &QComboBox::currentIndexChanged, &combo,
                     [&combo](int index)
                     {
                         if (!combo.property(typingProperty).toBool())
                         {
                             combo.setProperty(confirmedProperty, index);
                         }
                     });
    if (QLineEdit* const edit = combo.lineEdit())
    {
        QObject::connect(edit, &QLineEdit::textEdited, &combo,
                         [&combo](const QString& typed) { selectTypedItem(combo, typed); });
    }
}

bool dialogLists::settle(QComboBox& combo)
{
    const int selected = combo.currentIndex();
    const QString selectedText = selected < 0 ? QString() : combo.itemText(selected);
    if (!combo.isEditable() || combo.currentText() == selectedText)
    {
        combo.setProperty(confirmedProperty, selected);
        return true;
    }
    const int confirmed = confirmedIndex(combo);
    combo.setCurrentIndex(confirmed);
    combo.setEditText(confirmed < 0 ? QString() : combo.itemText(confirmed));
    if (combo.hasFocus())
    {
        combo.lineEdit()->selectAll();
    }
    return false;
}
