#include "app/CAboutDlg.h"
#include "app/CLogFileBrowserDialog.h"
#include "app/CReZevavEvadurovDlg.h"
#include "support/stubHeap.h"
#include "tests/gui/mainDialogFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <gtest/gtest.h>

namespace
{

// The caption as drawn: "&&" shows "&", a single "&" only underlines the next character.
QString shownText(const QString& caption)
{
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i)
    {
        if (caption[i] == u'&' && i + 1 < caption.size())
        {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

// The rectangle the style draws a control's caption in, at the control's real size.
QRect captionRect(const QWidget& control)
{
    QStyleOptionButton option;
    option.initFrom(&control);
    if (const auto* const box = qobject_cast<const QCheckBox*>(&control))
    {
        option.text = box->text();
        return control.style()->subElementRect(QStyle::SE_CheckBoxContents, &option, &control);
    }
    if (const auto* const button = qobject_cast<const QPushButton*>(&control))
    {
        option.text = button->text();
        if (button->isDefault())
        {
            option.features |= QStyleOptionButton::DefaultButton;
        }
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
        if (row.caption == nullptr)
        {
            continue;
        }
        const QString caption = QString::fromUtf16(row.caption);
        QWidget* control = row.id == -1 ? nullptr : dialog.GetDlgItem(row.id);
        for (QLabel* const label : dialog.findChildren<QLabel*>())
        {
            control = control == nullptr && label->text() == caption ? label : control;
        }
        ASSERT_NE(control, nullptr) << caption.toStdString();
        const QFontMetrics metrics(control->font());
        const QRect room = captionRect(*control);
        const QSize needed(metrics.horizontalAdvance(shownText(caption)), metrics.height());
        EXPECT_LE(needed.width(), room.width())
            << dialog.GetTemplate().resourceId << " \"" << caption.toStdString() << "\"";
        EXPECT_LE(needed.height(), room.height())
            << dialog.GetTemplate().resourceId << " \"" << caption.toStdString() << "\"";
    }
}

using captionFitTest = mainDialogFixture;

TEST_F(captionFitTest, EveryCaptionFitsItsRectangleAtTheDialogFont)
{
    CReZevavEvadurovDlg& main = open();
    expectEveryCaptionFits(main);
    CAboutDlg about;
    expectEveryCaptionFits(about);
    CLogFileBrowserDialog viewer;
    expectEveryCaptionFits(viewer);
}

} // namespace
