#include "adsglobals.h"

#include <QLayout>
#include <QSplitter>
#include <QVariant>

#include "sectionwidget.h"

namespace ads {

QSplitter* newSplitter(Qt::Orientation orientation)
{
    auto* splitter = new QSplitter(orientation);
    splitter->setProperty("ads-splitter", true);
    splitter->setChildrenCollapsible(false);
    splitter->setOpaqueResize(false);
    return splitter;
}

bool splitterHasSection(QSplitter* splitter)
{
    if (!splitter)
        return false;
    for (int i = 0; i < splitter->count(); ++i) {
        QWidget* child = splitter->widget(i);
        if (qobject_cast<SectionWidget*>(child))
            return true;
        if (splitterHasSection(qobject_cast<QSplitter*>(child)))
            return true;
    }
    return false;
}

QSplitter* firstSplitter(QWidget* widget)
{
    if (!widget || !widget->layout() || widget->layout()->count() == 0)
        return nullptr;
    QLayoutItem* item = widget->layout()->itemAt(0);
    return item ? qobject_cast<QSplitter*>(item->widget()) : nullptr;
}

int nextUid()
{
    static int counter = 0;
    return ++counter;
}

} // namespace ads
