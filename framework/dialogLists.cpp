#include "framework/dialogLists.h"

#include <QComboBox>
#include <QLineEdit>

namespace
{

QString selectedText(const QComboBox& combo)
{
    const int selected = combo.currentIndex();
    return selected < 0 ? QString() : combo.itemText(selected);
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
    combo.setCurrentIndex(match);
    edit->setCursorPosition(caret);
}

} // namespace

void dialogLists::bind(QComboBox& combo)
{
    // Completion would change the text behind the typist's back.
    combo.setCompleter(nullptr);
    // A wheel turned over an unfocused list must not change it (nor take the focus).
    combo.setFocusPolicy(Qt::StrongFocus);
    if (QLineEdit* const edit = combo.lineEdit())
    {
        QObject::connect(edit, &QLineEdit::textEdited, &combo,
                         [&combo](const QString& typed) { selectTypedItem(combo, typed); });
    }
}

bool dialogLists::holdsUnknownText(const QComboBox& combo)
{
    return combo.isEditable() && combo.currentText() != selectedText(combo);
}

void dialogLists::restoreSelectedText(QComboBox& combo)
{
    combo.setEditText(selectedText(combo));
    if (QLineEdit* const edit = combo.lineEdit(); edit != nullptr && combo.hasFocus())
    {
        edit->selectAll();
    }
}
