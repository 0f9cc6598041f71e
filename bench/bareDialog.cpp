// The floor of the start-up benchmark: a plain Qt program that builds the main dialog's
// widgets (the same rows, kinds, captions, font and places) and nothing else: no registry, no
// catalogue, no framework.

#include "app/mainDialogTemplate.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <cmath>

namespace
{

QWidget* widgetFor(const dialogControl& row, QDialog& dialog)
{
    const QString caption = row.caption == nullptr ? QString() : QString::fromUtf16(row.caption);
    switch (row.kind)
    {
    case dialogControlKind::DefaultPushButton:
    case dialogControlKind::PushButton:
        return new QPushButton(caption, &dialog);
    case dialogControlKind::AutoCheckBox:
        return new QCheckBox(caption, &dialog);
    case dialogControlKind::RuleLine:
    {
        auto* const line = new QFrame(&dialog);
        line->setFrameShape(QFrame::HLine);
        return line;
    }
    case dialogControlKind::Edit:
        return new QLineEdit(caption, &dialog);
    case dialogControlKind::DropDownCombo:
    {
        auto* const combo = new QComboBox(&dialog);
        combo->setEditable(true);
        for (int item = 0; item < (row.id == 1003 ? 29 : 2); ++item)
        {
            combo->addItem(QString::number(item), item);
        }
        return combo;
    }
    default:
    {
        auto* const label = new QLabel(caption, &dialog);
        label->setWordWrap(true);
        return label;
    }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QDialog dialog;
    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setPointSize(8);
    dialog.setFont(font);
    const QFontMetrics metrics(font);
    const double baseX = metrics.horizontalAdvance(QStringLiteral(
                             "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                         52.0;
    const double baseY = metrics.height();
    const auto x = [&](int units) { return static_cast<int>(std::lround(units * baseX / 4)); };
    const auto y = [&](int units) { return static_cast<int>(std::lround(units * baseY / 8)); };
    const dialogTemplate& layout = mainDialogTemplate();
    for (const dialogControl& row : layout.controls)
    {
        widgetFor(row, dialog)->setGeometry(x(row.x), y(row.y), x(row.cx), y(row.cy));
    }
    dialog.setFixedSize(x(layout.cx), y(layout.cy));
    dialog.setWindowTitle(QString::fromUtf16(layout.title));
    return dialog.exec();
}
