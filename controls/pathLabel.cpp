#include "controls/pathLabel.h"

#include <QFontMetrics>
#include <QLabel>
#include <QTextLayout>
#include <cmath>

namespace
{

// The height of `text` on one line at `font`, taller fallback fonts included.
int lineHeight(const QString& text, const QFont& font)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6);
    layout.endLayout();
    return static_cast<int>(std::ceil(line.height()));
}

} // namespace

void pathLabel::show(QLabel& label, const QString& path, const QString& what)
{
    label.setWordWrap(false);
    const QFontMetrics metrics(label.font());
    const QString shown = metrics.elidedText(path, Qt::ElideMiddle, label.contentsRect().width());
    label.setText(shown);
    label.setToolTip(path);
    label.setAccessibleName(what + QStringLiteral(": ") + path);
    const int needed = std::max(lineHeight(shown, label.font()), metrics.lineSpacing()) +
                       label.height() - label.contentsRect().height();
    if (label.height() < needed)
    {
        label.resize(label.width(), needed);
    }
}
