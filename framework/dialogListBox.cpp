#include "framework/dialogListBox.h"

#include <QAccessibleWidget>

namespace
{

class listAccessible : public QAccessibleWidget
{
public:
    explicit listAccessible(QWidget* list) : QAccessibleWidget(list, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override
    {
        const auto* const list = static_cast<const QComboBox*>(widget());
        if (kind == QAccessible::Value)
        {
            return list->currentText();
        }
        if (kind == QAccessible::Name && list->accessibleName().isEmpty())
        {
            return list->currentText();
        }
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* listInterface(const QString& className, QObject* object)
{
    if (className == QLatin1String("dialogListBox") && object != nullptr && object->isWidgetType())
    {
        // Qt's interface cache owns it.
        return new listAccessible(static_cast<QWidget*>(object));
    }
    return nullptr;
}

} // namespace

dialogListBox::dialogListBox(QWidget* parent) : QComboBox(parent)
{
    // Qt's own factory answers for QComboBox first; this class name reaches ours.
    static const bool installed = (QAccessible::installFactory(listInterface), true);
    (void)installed;
}
