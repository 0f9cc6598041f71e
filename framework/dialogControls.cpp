#include "framework/dialogControls.h"

#include "framework/controlId.h"
#include "framework/dialogListBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>

namespace
{

QString captionOf(const dialogControl& row)
{
    return row.caption == nullptr ? QString() : QString::fromUtf16(row.caption);
}

QWidget* createWidget(const dialogControl& row, QWidget& parent)
{
    const QString caption = captionOf(row);
    switch (row.kind)
    {
    case dialogControlKind::DefaultPushButton:
    case dialogControlKind::PushButton:
    {
        auto* const button = new QPushButton(caption, &parent);
        button->setDefault(row.kind == dialogControlKind::DefaultPushButton);
        return button;
    }
    case dialogControlKind::AutoCheckBox:
    {
        auto* const box = new QCheckBox(caption, &parent);
        box->setProperty(dialogControls::checkNumberProperty, 0u);
        return box;
    }
    case dialogControlKind::StaticText:
    {
        auto* const label = new QLabel(caption, &parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setWordWrap(true);
        return label;
    }
    case dialogControlKind::RuleLine:
    {
        auto* const line = new QFrame(&parent);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        return line;
    }
    case dialogControlKind::Edit:
    {
        auto* const edit = new QLineEdit(caption, &parent);
        return edit;
    }
    case dialogControlKind::ReadOnlyMultiLineEdit:
    {
        auto* const text = new QPlainTextEdit(caption, &parent);
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        return text;
    }
    case dialogControlKind::DropDownCombo:
    {
        auto* const combo = new dialogListBox(&parent);
        combo->setEditable(true);
        // Typing must never add items: the list holds exactly what the dialog put there.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(12);
        return combo;
    }
    case dialogControlKind::Icon:
    {
        auto* const label = new QLabel(&parent);
        label->setPixmap(dialogControls::applicationIcon(parent).pixmap(32, 32));
        return label;
    }
    }
    return new QWidget(&parent);
}

} // namespace

QIcon dialogControls::applicationIcon(const QWidget& widget)
{
    const QIcon icon = QApplication::windowIcon();
    return icon.isNull() ? widget.style()->standardIcon(QStyle::SP_ComputerIcon) : icon;
}

QWidget* dialogControls::create(const dialogControl& row, const dialogUnits& units, QWidget& parent)
{
    QWidget* const widget = createWidget(row, parent);
    if (row.id != -1)
    {
        setControlId(*widget, row.id);
    }
    QRect geometry = units.toPixels(row.x, row.y, row.cx, row.cy);
    if (row.kind == dialogControlKind::DropDownCombo)
    {
        // The closed field is at least as tall as the style draws it; the list sizes itself.
        geometry.setHeight(std::max(units.toPixelsY(12), widget->sizeHint().height()));
    }
    if (row.kind == dialogControlKind::Icon)
    {
        geometry.setSize(QSize(32, 32));
    }
    widget->setGeometry(geometry);
    return widget;
}
