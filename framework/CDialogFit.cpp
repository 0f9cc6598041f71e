// The dialog's size on the screen: fixed at the template's size where it fits, scrolling
// where it does not.

#include "framework/CDialog.h"

#include "framework/dialogUnits.h"

#include <QApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QWindow>
#include <algorithm>

int CDialog::keptGap() const
{
    return dialogUnits::ofFont(font()).toPixelsX(4);
}

int CDialog::keptLeft() const
{
    if (m_strip != nullptr)
    {
        return m_content->width() - m_strip->width() + keptGap();
    }
    int left = m_content->width();
    for (const int id : m_keptInView)
    {
        if (const QWidget* const control = GetDlgItem(id))
        {
            left = std::min(left, control->x());
        }
    }
    return left;
}

void CDialog::fitToScreen()
{
    const QScreen* const where = screen();
    FitToArea(where == nullptr ? m_content->size()
                               : where->availableGeometry().size() - FrameAllowance());
}

void CDialog::followScreen()
{
    QWindow* const window = windowHandle();
    if (window == nullptr || m_followsScreen)
    {
        return;
    }
    m_followsScreen = true;
    // Moved to another monitor, or a panel took room: the fit is decided again.
    const auto watchArea = [this](QScreen* where)
    {
        disconnect(m_areaWatch);
        if (where != nullptr)
        {
            m_areaWatch =
                connect(where, &QScreen::availableGeometryChanged, this, [this] { fitToScreen(); });
        }
    };
    watchArea(window->screen());
    connect(window, &QWindow::screenChanged, this,
            [this, watchArea](QScreen* where)
            {
                watchArea(where);
                fitToScreen();
            });
}

void CDialog::FitToArea(const QSize& area)
{
    if (!m_created || m_content == nullptr)
    {
        return;
    }
    const QSize content = m_content->size();
    if (content.width() <= area.width() && content.height() <= area.height())
    {
        stopScrolling();
        setFixedSize(content);
        return;
    }
    // Room for the strip of kept controls and the scroll bars, but never more than the area.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int strip = m_content->width() - keptLeft() + keptGap();
    const QSize window(std::min(area.width(), content.width() + strip + bar),
                       std::min(area.height(), content.height() + bar));
    startScrolling(window);
    setFixedSize(window);
}

void CDialog::startScrolling(const QSize& window)
{
    const int contentWidth = m_content->width();
    const int left = keptLeft();
    const int gap = keptGap();
    const int stripWidth = contentWidth - left + gap;
    if (m_scroller == nullptr)
    {
        m_scroller = new QScrollArea(this);
        m_scroller->setFrameShape(QFrame::NoFrame);
        // The controls take the focus, not the area around them.
        m_scroller->setFocusPolicy(Qt::NoFocus);
        m_scroller->setWidget(m_content);
        m_strip = new QWidget(this);
        for (const int id : m_keptInView)
        {
            if (QWidget* const control = GetDlgItem(id))
            {
                // Same distance from the window's right edge as from the template's.
                control->setParent(m_strip);
                control->move(control->x() - left + gap, control->y());
                control->show();
            }
        }
        // Moving controls to the strip put them last in the focus chain; the rows' order again.
        QWidget* previous = nullptr;
        for (const dialogControl& row : m_template.controls)
        {
            QWidget* const control = row.id == -1 ? nullptr : GetDlgItem(row.id);
            if (control != nullptr && control->focusPolicy() != Qt::NoFocus)
            {
                if (previous != nullptr)
                {
                    setTabOrder(previous, control);
                }
                previous = control;
            }
        }
        m_focusWatch = connect(qApp, &QApplication::focusChanged, m_scroller,
                               [this](QWidget* /*old*/, QWidget* now)
                               {
                                   if (now != nullptr && m_content->isAncestorOf(now))
                                   {
                                       m_scroller->ensureWidgetVisible(now);
                                   }
                               });
        m_scroller->show();
        m_strip->show();
    }
    m_scroller->setGeometry(0, 0, window.width() - stripWidth, window.height());
    m_strip->setGeometry(window.width() - stripWidth, 0, stripWidth, window.height());
}

void CDialog::stopScrolling()
{
    if (m_scroller == nullptr)
    {
        return;
    }
    disconnect(m_focusWatch);
    const int offset = m_content->width() - m_strip->width();
    for (const int id : m_keptInView)
    {
        if (QWidget* const control = GetDlgItem(id))
        {
            control->setParent(m_content);
            control->move(control->x() + offset, control->y());
            control->show();
        }
    }
    m_scroller->takeWidget();
    m_content->setParent(this);
    m_content->move(0, 0);
    m_content->show();
    // Both are empty now; nothing searched by id is left in them.
    m_scroller->deleteLater();
    m_strip->deleteLater();
    m_scroller = nullptr;
    m_strip = nullptr;
}
