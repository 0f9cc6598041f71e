#pragma once

// Builds the Qt widget for one row of a dialog template: the widget kind the row names, its
// caption, its control id (controlId.h) and its pixel geometry. Check boxes start with the
// stored check number 0 (see CDialog::CheckDlgButton). GUI thread only.

#include "framework/dialogTemplate.h"
#include "framework/dialogUnits.h"

#include <QIcon>
#include <QWidget>

namespace dialogControls
{

// Property in which a check box keeps the number it was last given or clicked to.
inline constexpr char checkNumberProperty[] = "checkNumber";

// A new child of `parent`, owned by it; never null.
QWidget* create(const dialogControl& row, const dialogUnits& units, QWidget& parent);

// The application's icon (resource 128 of the template world): the application's window
// icon, or the style's computer icon when the application set none. Never null.
QIcon applicationIcon(const QWidget& widget);

} // namespace dialogControls
