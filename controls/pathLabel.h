#pragma once

// A file path shown in a one-line label of fixed width: elided in the middle so the file name
// always shows, the whole path in the tooltip and in the accessible name after `what` ("Main
// log file: /home/..."), and the label made as tall as the path's line needs when a fallback
// font (CJK, emoji) is taller than the label's own; its position stays. GUI thread only.

#include <QString>

class QLabel;

namespace pathLabel
{
void show(QLabel& label, const QString& path, const QString& what);
} // namespace pathLabel
