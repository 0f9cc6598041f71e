#pragma once

// How the running program presents itself to the desktop: its name and version, the desktop
// entry docks and task bars group its windows under, and the application icon (resource 128
// of the templates) that the main dialog, the About box and the drag icon show.
// Call once, after the QApplication exists and before the first window is made. GUI thread.

#include <QIcon>

namespace applicationIdentity
{

// Reverse-DNS id shared by the desktop entry, the AppStream metainfo and the icon files.
inline constexpr const char* desktopId = "org.corvane.rezevavevadurov";

// The icon at 16, 32, 48 and 64 pixels, from the PNGs compiled into the program (rz_app);
// null if they are missing.
QIcon applicationIcon();

void apply();

} // namespace applicationIdentity
