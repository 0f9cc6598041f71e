#include "app/CAboutDlg.h"
#include "app/CLogFileBrowserDialog.h"
#include "tests/gui/mainDialogFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

namespace
{

// The rectangle the style draws a control's caption in, at the control's real size.
QRect captionRect(const QWidget& control)
{
    QStyleOptionButton option;
    option.initFrom(&control);
    if (qobject_cast<const QCheckBox*>(&control) != nullptr)
    {
        return control.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &control);
    }
    if (const auto* const button = qobject_cast<const QPushButton*>(&control))
    {
        option.features =
            button->isDefault() ? QStyleOptionButton::DefaultButton : QStyleOptionButton::None;
        return control.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &control);
    }
    return control.contentsRect();
}

// Every captioned row of the dialog's template is drawn whole, on one line, at its font.
void expectEveryCaptionFits(CDialog& dialog)
{
    dialog.Create();
    for (const dialogControl& row : dialog.GetTemplate().controls)
    {
        const QString caption =
            row.caption == nullptr ? QString() : QString::fromUtf16(row.caption);
        QWidget* control = row.id == -1 ? nullptr : dialog.GetDlgItem(row.id);
        for (QLabel* const label : dialog.findChildren<QLabel*>())
        {
            control = control == nullptr && label->text() == caption ? label : control;
        }
        if (caption.isEmpty() || control == nullptr)
        {
            EXPECT_TRUE(caption.isEmpty()) << caption.toStdString();
            continue;
        }
        const QFontMetrics metrics(control->font());
        const QRect room = captionRect(*control);
        // No caption holds "&&": each "&" only underlines the next character.
        EXPECT_LE(metrics.horizontalAdvance(QString(caption).remove(u'&')), room.width())
            << dialog.GetTemplate().resourceId << " \"" << caption.toStdString() << "\"";
        EXPECT_LE(metrics.height(), room.height()) << caption.toStdString();
    }
}

using captionFitTest = mainDialogFixture;

TEST_F(captionFitTest, EveryCaptionFitsItsRectangleAtTheDialogFont)
{
    expectEveryCaptionFits(open());
    CAboutDlg about;
    expectEveryCaptionFits(about);
    CLogFileBrowserDialog viewer;
    expectEveryCaptionFits(viewer);
}

} // namespace
