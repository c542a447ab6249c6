#pragma once

// Small helpers shared by the docking tests.

#include <QLabel>
#include <QLayout>
#include <QSplitter>
#include <QStringList>

#include "containerwidget.h"
#include "sectioncontent.h"
#include "sectionwidget.h"

namespace dockingtest {

inline ads::SectionContent::RefPtr makeContent(ads::ContainerWidget* c, const QString& name)
{
    return ads::SectionContent::newSectionContent(name, c, new QLabel(name), new QLabel(name));
}

// "H[a,V[b+c*,d]]": splitters by orientation, sections as their tab names
// in order, the current tab starred when a section has more than one.
inline QString tree(QWidget* w)
{
    if (auto* splitter = qobject_cast<QSplitter*>(w)) {
        QStringList parts;
        for (int i = 0; i < splitter->count(); ++i)
            parts << tree(splitter->widget(i));
        return QString(splitter->orientation() == Qt::Horizontal ? "H[" : "V[") + parts.join(',') + "]";
    }
    if (auto* section = qobject_cast<ads::SectionWidget*>(w)) {
        QStringList names;
        const auto list = section->contents();
        for (int i = 0; i < list.size(); ++i) {
            QString n = list.at(i)->uniqueName();
            if (list.size() > 1 && i == section->currentIndex())
                n += '*';
            names << n;
        }
        return names.join('+');
    }
    return QStringLiteral("?");
}

// The tree under the container's layout; "!" when the layout holds more than one item.
inline QString layoutTree(ads::ContainerWidget* c)
{
    QLayout* layout = c->layout();
    if (layout->count() == 0)
        return QString();
    if (layout->count() > 1)
        return QStringLiteral("!");
    return tree(layout->itemAt(0)->widget());
}

inline ads::SectionWidget* sectionOf(ads::ContainerWidget* c, const QString& name)
{
    for (ads::SectionWidget* sw : c->sections()) {
        for (const auto& sc : sw->contents()) {
            if (sc->uniqueName() == name)
                return sw;
        }
    }
    return nullptr;
}

} // namespace dockingtest
