// State of the container: the splitter tree, floating windows and hidden contents
// written to bytes, and rebuilt from them.

#include "containerwidget.h"

#include <QDataStream>
#include <QDebug>
#include <QGridLayout>
#include <QSplitter>

#include "floatingwidget.h"
#include "sectioncontentwidget.h"
#include "sectiontitlewidget.h"
#include "sectionwidget.h"
#include "statehierarchy.h"
#include "statereader.h"
#include "statewriter.h"

namespace ads {

QByteArray ContainerWidget::saveState() const
{
    StateWriter writer;
    int entries = 0;
    const QByteArray hierarchy = saveHierarchy();
    if (!hierarchy.isEmpty()) {
        writer.writeEntry(StateIndexEntry::HierarchyEntry, hierarchy);
        ++entries;
    }
    QList<SectionIndexRecord> records;
    if (saveSectionIndex(records)) {
        writer.writeSectionIndex(records);
        ++entries;
    }
    return entries > 0 ? writer.toByteArray() : QByteArray();
}

QByteArray ContainerWidget::saveHierarchy() const
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_5);
    out << StateHierarchy::Magic << StateHierarchy::Version;

    out << qint32(_floatings.size());
    for (FloatingWidget* fw : _floatings)
        out << fw->content()->uniqueName() << fw->saveGeometry() << fw->isVisible();

    const int items = _mainLayout->count();
    QWidget* top = items == 1 ? _mainLayout->itemAt(0)->widget() : nullptr;
    if (items == 0 || _sections.isEmpty()) {
        out << qint32(0) << qint32(0);
    } else if (items == 1 && !top) {
        qWarning("Not a widget in _mainLayout, this shouldn't happen.");
        out << qint32(0) << qint32(0);
    } else if (items == 1) {
        out << qint32(1);
        saveGeometryWalk(out, top);
        out << qint32(0);
    } else {
        out << qint32(-1);
        qWarning("Oh noooz.. Something went wrong. There are too many items in _mainLayout.");
    }
    return data;
}

void ContainerWidget::saveGeometryWalk(QDataStream& out, QWidget* widget) const
{
    if (auto* splitter = qobject_cast<QSplitter*>(widget)) {
        out << qint32(HierarchyNode::Splitter) << qint32(splitter->orientation()) << qint32(splitter->count())
            << splitter->sizes();
        for (int i = 0; i < splitter->count(); ++i)
            saveGeometryWalk(out, splitter->widget(i));
    } else if (auto* section = qobject_cast<SectionWidget*>(widget)) {
        out << qint32(HierarchyNode::Section) << qint32(section->currentIndex()) << qint32(section->contentCount());
        const QList<SectionContent::RefPtr> list = section->contents();
        for (int i = 0; i < list.size(); ++i)
            out << list.at(i)->uniqueName() << true << qint32(i);
    } else {
        // A splitter counts every child; an empty node keeps the reader in step.
        out << qint32(HierarchyNode::Empty);
    }
}

bool ContainerWidget::saveSectionIndex(QList<SectionIndexRecord>& records) const
{
    if (_sections.isEmpty())
        return false;
    for (SectionWidget* sw : _sections) {
        SectionIndexRecord r;
        const QPoint global =
                sw->parentWidget() ? sw->parentWidget()->mapToGlobal(sw->pos()) : sw->mapToGlobal(QPoint());
        const QPoint pos = mapFromGlobal(global);
        r.x = pos.x();
        r.y = pos.y();
        r.width = sw->width();
        r.height = sw->height();
        r.currentIndex = sw->currentIndex();
        const QList<SectionContent::RefPtr> list = sw->contents();
        for (int i = 0; i < list.size(); ++i)
            r.items.append(SectionIndexItem{list.at(i)->uniqueName(), true, qint32(i)});
        records.append(r);
    }
    return true;
}

bool ContainerWidget::restoreState(const QByteArray& data)
{
    if (data.isEmpty())
        return false;
    StateReader reader(data);
    if (!reader.readHeader())
        return false;
    QByteArray hierarchy;
    if (!reader.readEntry(StateIndexEntry::HierarchyEntry, hierarchy))
        return true;
    return restoreHierarchy(hierarchy);
}

SectionContent::RefPtr ContainerWidget::takeForRestore(const QString& name, QList<SectionContent*>& placed,
                                                       InternalContentData& data, bool& taken)
{
    taken = false;
    SectionContent::RefPtr sc = sectionContent(name);
    if (!sc) {
        qWarning().noquote() << "Can not find SectionContent:" << name;
        return sc;
    }
    // A name saved twice would put one content into two places.
    if (placed.contains(sc.data())) {
        qWarning().noquote() << "SectionContent named twice in the state:" << name;
        return SectionContent::RefPtr();
    }
    placed.append(sc.data());
    taken = takeContent(sc, data);
    return sc;
}

bool ContainerWidget::restoreGeometryWalk(const HierarchyNode& node, QSplitter* parentSplitter,
                                          QList<SectionWidget*>& sections, QList<SectionContent::RefPtr>& toHide,
                                          QList<SectionContent*>& placed)
{
    switch (node.kind) {
    case HierarchyNode::Missing:
        return true;
    case HierarchyNode::Splitter: {
        QSplitter* splitter = newSplitter(Qt::Orientation(node.orientation));
        // Nodes below a splitter always have one, so they cannot fail.
        for (const HierarchyNode& child : node.children)
            restoreGeometryWalk(child, splitter, sections, toHide, placed);
        if (splitter->count() == 0) {
            delete splitter;
        } else {
            splitter->setSizes(node.sizes);
            if (!parentSplitter)
                _rootSplitter = splitter;
            else
                parentSplitter->addWidget(splitter);
        }
        return true;
    }
    case HierarchyNode::Section: {
        if (!parentSplitter) {
            qWarning("Missing splitter object for section");
            return false;
        }
        auto* sw = new SectionWidget(this);
        for (const SectionIndexItem& item : node.items) {
            InternalContentData data;
            bool taken = false;
            SectionContent::RefPtr sc = takeForRestore(item.uniqueName, placed, data, taken);
            if (!sc)
                continue;
            if (taken) {
                sw->addInternalContent(data, false);
            } else {
                qCritical().noquote() << "Can not find InternalContentData of SC, this should never happen!"
                                      << sc->uid() << sc->uniqueName();
                sw->addContent(sc);
            }
            if (!item.visible)
                toHide.append(sc);
        }
        if (sw->contentCount() > 0) {
            sw->setCurrentIndex(node.currentIndex);
            parentSplitter->addWidget(sw);
            sections.append(sw);
        } else {
            delete sw;
        }
        return true;
    }
    default:
        qWarning("Unknown object type during restore");
        return true;
    }
}

bool ContainerWidget::restoreHierarchy(const QByteArray& data)
{
    StateHierarchy hierarchy;
    if (!hierarchy.parse(data))
        return false;
    if (!hierarchy.isHierarchy())
        return true;

    const QList<SectionWidget*> oldSections = _sections;
    const QList<FloatingWidget*> oldFloatings = _floatings;
    QList<FloatingWidget*> floatings;
    QList<SectionWidget*> sections;
    QList<SectionContent::RefPtr> toHide;
    QList<SectionContent*> placed;

    // Every section of the new list lies in a splitter, so nothing placed
    // in it is lost from sight.
    auto firstSection = [&]() {
        if (sections.isEmpty()) {
            auto* sw = new SectionWidget(this);
            sections.append(sw);
            addSection(sw);
        }
        return sections.first();
    };

    for (const FloatingRecord& rec : qAsConst(hierarchy.floatings)) {
        InternalContentData d;
        bool taken = false;
        SectionContent::RefPtr sc = takeForRestore(rec.uniqueName, placed, d, taken);
        if (!sc || !taken)
            continue;
        auto* fw = new FloatingWidget(this, sc, d.titleWidget, d.contentWidget, this);
        fw->restoreGeometry(rec.geometry);
        fw->setVisible(rec.visible);
        if (rec.visible) {
            d.titleWidget->show();
            d.contentWidget->show();
        }
        floatings.append(fw);
        d.titleWidget->_floatingWidget = fw;
    }

    if (hierarchy.mainItemCount == 1) {
        if (!restoreGeometryWalk(hierarchy.root, nullptr, sections, toHide, placed))
            qWarning("Could not restore sections completely");
    }
    if (hierarchy.mainItemCount == 0 || hierarchy.mainItemCount == 1) {
        for (const QString& name : qAsConst(hierarchy.hiddenNames)) {
            InternalContentData d;
            bool taken = false;
            SectionContent::RefPtr sc = takeForRestore(name, placed, d, taken);
            if (!sc)
                continue;
            if (!taken) {
                qWarning("This should never happen! Looks like a bug during serialization, "
                         "since the content is already being used in SWs.");
                continue;
            }
            firstSection()->addInternalContent(d, false);
            toHide.append(sc);
        }
    }

    for (const SectionContent::WeakPtr& weak : qAsConst(_contentsByUid)) {
        SectionContent::RefPtr sc = weak.toStrongRef();
        if (!sc || sc->containerWidget() != this || placed.contains(sc.data()))
            continue;
        placed.append(sc.data());
        SectionWidget* sw = firstSection();
        InternalContentData d;
        if (takeContent(sc, d))
            sw->addInternalContent(d, false);
        else
            sw->addContent(sc);
    }

    _floatings = floatings;
    _sections = sections;

    while (_mainLayout->count() > 0)
        delete _mainLayout->takeAt(0);
    if (_rootSplitter)
        _mainLayout->addWidget(_rootSplitter, 0, 0);

    qDeleteAll(oldFloatings);
    qDeleteAll(oldSections);

    for (const SectionContent::RefPtr& sc : qAsConst(toHide))
        hideSectionContent(sc);
    deleteEmptySplitters();
    return true;
}

} // namespace ads
