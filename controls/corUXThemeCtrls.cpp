#include "controls/corUXThemeCtrls.h"

#include "framework/controlId.h"

#include <QFontMetrics>
#include <QLabel>

bool corUXThemeCtrls::addTitle(QWidget* dialog, int titleId, int ruleId)
{
    QWidget* const title = findControl(dialog, titleId);
    if (title == nullptr)
    {
        return false;
    }
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    QWidget* const rule = ruleId != 0 ? findControl(dialog, ruleId) : nullptr;
    if (rule != nullptr)
    {
        const auto* const label = qobject_cast<const QLabel*>(title);
        const int textWidth =
            label != nullptr ? QFontMetrics(bold).horizontalAdvance(label->text()) : 0;
        const QRect titleBox = title->geometry();
        const int left = std::max(rule->x(), titleBox.x() + textWidth + 6);
        const int right = rule->geometry().right();
        if (left < right)
        {
            const int middle = titleBox.y() + QFontMetrics(bold).height() / 2;
            rule->setGeometry(left, middle - 1, right - left + 1, 3);
        }
    }
    m_titles.emplace_back(titleId, ruleId);
    return true;
}
