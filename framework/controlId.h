#pragma once

// Numeric control ids on Qt widgets, so that dialog code finds its controls by id as the
// dialog template names them. The id is kept in the widget's "controlId" property.

#include <QWidget>

inline constexpr char controlIdProperty[] = "controlId";

// Gives `control` the id `id` (any int; a later call replaces it).
void setControlId(QWidget& control, int id);

// The id given to `control`, or -1 when it has none (as for the dialog's unnamed statics).
int controlIdOf(const QWidget& control);

// The first widget below `dialog` (children, and their children in turn, in creation order)
// that was given `id`, or null; widgets without an id never match. Separate windows below it (open
// dialogs, menus) are not searched. The pointer is owned by the widget tree and valid until that
// widget is destroyed.
QWidget* findControl(const QWidget* dialog, int id);
