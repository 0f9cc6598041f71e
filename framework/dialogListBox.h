#pragma once

// The drop-down list control of a dialog: a QComboBox whose accessible name is its own
// (the framework gives it its label's text). Qt's interface for a combo box on Linux names
// it by its current item, so screen readers heard "0" for a list of numbers; this class has
// an interface of its own, whose name is the accessible name and whose value is the current
// text. GUI thread only.

#include <QComboBox>

class dialogListBox : public QComboBox
{
    Q_OBJECT

public:
    explicit dialogListBox(QWidget* parent);
};
