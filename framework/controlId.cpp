#include "framework/controlId.h"

#include <QVariant>

namespace
{

bool carriesControlId(const QWidget& widget, int id)
{
    bool isNumber = false;
    const int own = widget.property(controlIdProperty).toInt(&isNumber);
    return isNumber && own == id;
}

} // namespace

void setControlId(QWidget& control, int id)
{
    control.setProperty(controlIdProperty, id);
}

int controlIdOf(const QWidget& control)
{
    bool isNumber = false;
    const int id = control.property(controlIdProperty).toInt(&isNumber);
    return isNumber ? id : -1;
}

QWidget* findControl(const QWidget* dialog, int id)
{
    if (dialog == nullptr)
    {
        return nullptr;
    }
    for (QObject* child : dialog->children())
    {
        auto* const widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget->isWindow())
        {
            continue;
        }
        if (carriesControlId(*widget, id))
        {
            return widget;
        }
        if (QWidget* const below = findControl(widget, id))
        {
            return below;
        }
    }
    return nullptr;
}
