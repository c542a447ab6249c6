#include "containerwidget.h"

#include <QDataStream>
#include <QDebug>
#include <QGridLayout>
#include <QSplitter>
#include <QUuid>

#include "dropoverlay.h"
#include "floatingwidget.h"
#include "sectioncontentwidget.h"
#include "sectiontitlewidget.h"
#include "sectionwidget.h"
#include "statehierarchy.h"
#include "statereader.h"
#include "statewriter.h"

namespace ads {

ContainerWidget::ContainerWidget(QWidget* parent) : QFrame(parent)
{
    qRegisterMetaType<SectionContent::RefPtr>("ads::SectionContent::RefPtr");
    qRegisterMetaType<SectionContent::RefPtr>("SectionContent::RefPtr");

    _containerDropOverlay = new DropOverlay(this, 1);
    _sectionDropOverlay = new DropOverlay(this, 0);

    _mainLayout = new QGridLayout();
    _mainLayout->setContentsMargins(3, 3, 3, 3);
    _mainLayout->setSpacing(0);
    setLayout(_mainLayout);

    setObjectName(QUuid::createUuid().toString());
}

ContainerWidget::~ContainerWidget()
{
    // Contents may outlive us (callers hold RefPtrs) or die while our
    // children go; either way they must not reach our registries after this.
    for (const SectionContent::WeakPtr& weak : qAsConst(_contentsByUid)) {
        if (SectionContent::RefPtr sc = weak.toStrongRef())
            sc->_containerWidget.clear();
    }
    while (!_sections.isEmpty())
        delete _sections.takeLast();
    while (!_floatings.isEmpty())
        delete _floatings.takeLast();
    // Docked-away floating windows wait for deleteLater; they reach back into
    // our lists when they go, so they must go while those lists still exist.
    qDeleteAll(findChildren<FloatingWidget*>(QString(), Qt::FindDirectChildrenOnly));
    qDeleteAll(findChildren<SectionWidget*>());
    _hiddenSectionContents.clear();
    _contentsByUid.clear();
    _contentsByName.clear();
    _sectionsByUid.clear();
}

SectionWidget* ContainerWidget::addSectionContent(const SectionContent::RefPtr& sc, SectionWidget* sw, DropArea area)
{
    if (!sc)
        return nullptr;
    InternalContentData data;
    data.content = sc;
    data.titleWidget = new SectionTitleWidget(sc, nullptr);
    data.contentWidget = new SectionContentWidget(sc, nullptr);
    connect(data.titleWidget, &SectionTitleWidget::activeTabChanged, this, &ContainerWidget::onActiveTabChanged);
    return dropContent(data, sw, area, false);
}

FloatingWidget* ContainerWidget::floatingOf(int uid) const
{
    for (FloatingWidget* fw : _floatings) {
        if (fw->content() && fw->content()->uid() == uid)
            return fw;
    }
    return nullptr;
}

SectionWidget* ContainerWidget::sectionOf(int uid) const
{
    for (SectionWidget* sw : _sections) {
        if (sw->indexOfContentByUid(uid) >= 0)
            return sw;
    }
    return nullptr;
}

void ContainerWidget::reportHidden(const SectionContent::RefPtr& sc)
{
    if (sc->flags() & SectionContent::ClosesOnHide) {
        sc->setVisibilityState(SectionContent::Closed);
        emit sectionContentClosed(sc);
    } else {
        sc->setVisibilityState(SectionContent::Hidden);
        emit sectionContentVisibilityChanged(sc, false);
    }
}

void ContainerWidget::registerContent(const SectionContent::RefPtr& sc)
{
    _contentsByUid.insert(sc->uid(), sc.toWeakRef());
    _contentsByName.insert(sc->uniqueName(), sc.toWeakRef());
}

void ContainerWidget::unregisterContent(int uid, const QString& uniqueName)
{
    _contentsByUid.remove(uid);
    _contentsByName.remove(uniqueName);
}

void ContainerWidget::registerSection(SectionWidget* section)
{
    _sectionsByUid.insert(section->uid(), section);
}

void ContainerWidget::unregisterSection(SectionWidget* section)
{
    _sectionsByUid.remove(section->uid());
    _sections.removeAll(section);
}

void ContainerWidget::registerFloating(FloatingWidget* floating)
{
    _floatings.append(floating);
}

void ContainerWidget::unregisterFloating(FloatingWidget* floating)
{
    _floatings.removeAll(floating);
}

void ContainerWidget::discardSection(SectionWidget* section)
{
    unregisterSection(section);
    section->hide();
    section->setParent(nullptr);
    section->deleteLater();
}

bool ContainerWidget::hideSectionContent(const SectionContent::RefPtr& sc)
{
    if (!sc)
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        // Reporting an already hidden window again would loop a handler that
        // removes closed contents (removal hides first).
        if (fw->isHidden())
            return true;
        fw->hide();
        reportHidden(sc);
        return true;
    }

    if (SectionWidget* sw = sectionOf(sc->uid())) {
        HiddenSectionItem hsi;
        hsi.preferredSectionId = sw->uid();
        if (!sw->takeContent(sc->uid(), hsi.data))
            return false;
        hsi.data.titleWidget->hide();
        hsi.data.contentWidget->hide();
        _hiddenSectionContents.insert(sc->uid(), hsi);
        if (sw->contentCount() == 0) {
            discardSection(sw);
            deleteEmptySplitters();
        }
        reportHidden(sc);
        return true;
    }

    if (_hiddenSectionContents.contains(sc->uid()))
        return true;
    qWarning("Unable to hide SectionContent, don't know this one 8-/");
    return false;
}

bool ContainerWidget::showSectionContent(const SectionContent::RefPtr& sc)
{
    if (!sc)
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        fw->show();
        if (fw->titleWidget())
            fw->titleWidget()->show();
        if (fw->contentWidget())
            fw->contentWidget()->show();
        if (sc->visibilityState() & SectionContent::Hidden) {
            sc->setVisibilityState(SectionContent::Visible);
            emit sectionContentVisibilityChanged(sc, true);
        }
        return true;
    }

    if (!_hiddenSectionContents.contains(sc->uid())) {
        qWarning("Unable to show SectionContent, don't know where 8-/ (already visible?)");
        return false;
    }

    const HiddenSectionItem hsi = _hiddenSectionContents.take(sc->uid());
    hsi.data.titleWidget->show();
    hsi.data.contentWidget->show();
    SectionWidget* sw = _sectionsByUid.value(hsi.preferredSectionId);
    if (!sw && !_sections.isEmpty())
        sw = _sections.first();
    if (!sw) {
        sw = newSectionWidget();
        addSection(sw);
    }
    sw->addInternalContent(hsi.data, true);
    if (sc->visibilityState() & SectionContent::Hidden) {
        sc->setVisibilityState(SectionContent::Visible);
        emit sectionContentVisibilityChanged(sc, true);
    }
    return true;
}

bool ContainerWidget::removeSectionContent(const SectionContent::RefPtr& sc)
{
    if (!hideSectionContent(sc))
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        InternalContentData data;
        fw->takeContent(data);
        _floatings.removeAll(fw);
        // Its close button may be the one whose click got us here.
        fw->hide();
        fw->deleteLater();
        delete data.titleWidget;
        delete data.contentWidget;
        return true;
    }
    if (!_hiddenSectionContents.contains(sc->uid())) {
        qWarning("Something went wrong... The content should have been there :-/");
        return false;
    }
    const HiddenSectionItem hsi = _hiddenSectionContents.take(sc->uid());
    delete hsi.data.titleWidget;
    delete hsi.data.contentWidget;
    return true;
}

bool ContainerWidget::isSectionContentVisible(const SectionContent::RefPtr& sc)
{
    if (!sc)
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        if (sc->visibilityState() & SectionContent::Hidden)
            return false;
        return fw->isVisible();
    }
    if (sectionOf(sc->uid()))
        return !(sc->visibilityState() & SectionContent::Hidden);
    if (_hiddenSectionContents.contains(sc->uid()))
        return false;
    qWarning().noquote() << "SectionContent is not a part of this ContainerWidget:" << sc->uniqueName();
    return false;
}

QList<SectionContent::RefPtr> ContainerWidget::contents() const
{
    QList<SectionContent::RefPtr> result;
    for (const SectionContent::WeakPtr& weak : _contentsByUid) {
        if (SectionContent::RefPtr sc = weak.toStrongRef())
            result.append(sc);
    }
    return result;
}

int ContainerWidget::visibleContentCount()
{
    int count = 0;
    for (const SectionContent::RefPtr& sc : contents()) {
        if (isSectionContentVisible(sc))
            ++count;
    }
    return count;
}

bool ContainerWidget::hasSectionContent(const QString& uniqueName) const
{
    return _contentsByName.contains(uniqueName);
}

SectionContent::RefPtr ContainerWidget::sectionContent(const QString& uniqueName) const
{
    return _contentsByName.value(uniqueName).toStrongRef();
}

SectionWidget* ContainerWidget::dropContent(const InternalContentData& data, SectionWidget* targetSection,
                                            DropArea area, bool autoActive)
{
    if (!data.content || !data.titleWidget || !data.contentWidget)
        return nullptr;

    if (_sections.isEmpty()) {
        SectionWidget* sw = newSectionWidget();
        addSection(sw);
        sw->addInternalContent(data, autoActive);
        return sw;
    }

    if (targetSection) {
        if (area == CenterDropArea) {
            targetSection->addInternalContent(data, autoActive);
            return targetSection;
        }
        if (area != TopDropArea && area != RightDropArea && area != BottomDropArea && area != LeftDropArea)
            return nullptr;
        auto* parent = findParent<QSplitter>(targetSection);
        if (!parent) {
            qWarning("Drop target section lies in no splitter");
            return nullptr;
        }

        const Qt::Orientation orientation =
                (area == TopDropArea || area == BottomDropArea) ? Qt::Vertical : Qt::Horizontal;
        const bool before = (area == TopDropArea || area == LeftDropArea);
        SectionWidget* sw = newSectionWidget();
        sw->addInternalContent(data, true);
        const int index = parent->indexOf(targetSection);
        if (parent->orientation() == orientation) {
            parent->insertWidget(before ? index : index + 1, sw);
        } else {
            QSplitter* splitter = newSplitter(orientation);
            if (before) {
                splitter->addWidget(sw);
                splitter->addWidget(targetSection);
            } else {
                splitter->addWidget(targetSection);
                splitter->addWidget(sw);
            }
            parent->insertWidget(index, splitter);
        }
        return sw;
    }

    switch (area) {
    case TopDropArea:
        return dropContentOuter(data, Qt::Vertical, false);
    case RightDropArea:
        return dropContentOuter(data, Qt::Horizontal, true);
    case BottomDropArea:
    case CenterDropArea:
        return dropContentOuter(data, Qt::Vertical, true);
    case LeftDropArea:
        return dropContentOuter(data, Qt::Horizontal, false);
    default:
        return nullptr;
    }
}

SectionWidget* ContainerWidget::dropContentOuter(const InternalContentData& data, Qt::Orientation orientation,
                                                 bool append)
{
    SectionWidget* sw = newSectionWidget();
    sw->addInternalContent(data, true);

    QSplitter* root = firstSplitter(this);
    if (root && (root->orientation() == orientation || root->count() == 1)) {
        root->setOrientation(orientation);
        if (append)
            root->addWidget(sw);
        else
            root->insertWidget(0, sw);
    } else if (root) {
        QSplitter* splitter = newSplitter(orientation);
        delete _mainLayout->replaceWidget(root, splitter);
        if (append) {
            splitter->addWidget(root);
            splitter->addWidget(sw);
        } else {
            splitter->addWidget(sw);
            splitter->addWidget(root);
        }
    } else {
        QSplitter* splitter = newSplitter(orientation);
        if (_mainLayout->count() > 0) {
            qWarning("Still items in layout. This should never happen.");
            delete _mainLayout->takeAt(0);
        }
        _mainLayout->addWidget(splitter, 0, 0);
        splitter->addWidget(sw);
        // Without this the next addSection would put a second splitter into the layout.
        if (!_rootSplitter)
            _rootSplitter = splitter;
    }
    return sw;
}

bool ContainerWidget::takeContent(const SectionContent::RefPtr& sc, InternalContentData& data)
{
    if (!sc)
        return false;
    for (SectionWidget* sw : qAsConst(_sections)) {
        if (sw->takeContent(sc->uid(), data))
            return true;
    }
    if (FloatingWidget* fw = floatingOf(sc->uid()))
        return fw->takeContent(data);
    if (_hiddenSectionContents.contains(sc->uid())) {
        data = _hiddenSectionContents.take(sc->uid()).data;
        return true;
    }
    return false;
}

SectionWidget* ContainerWidget::newSectionWidget()
{
    auto* sw = new SectionWidget(this);
    _sections.append(sw);
    return sw;
}

void ContainerWidget::addSection(SectionWidget* section)
{
    if (!_rootSplitter) {
        _rootSplitter = newSplitter(Qt::Horizontal);
        _mainLayout->addWidget(_rootSplitter, 0, 0);
    }
    if (_rootSplitter->indexOf(section) != -1) {
        qWarning().noquote() << "void ads::ContainerWidget::addSection(ads::SectionWidget*)"
                             << "Section has already been added";
        return;
    }
    _rootSplitter->addWidget(section);
}

SectionWidget* ContainerWidget::sectionWidgetAt(const QPoint& pos) const
{
    const QPoint global = mapToGlobal(pos);
    for (SectionWidget* sw : _sections) {
        if (sw->rect().contains(sw->mapFromGlobal(global)))
            return sw;
    }
    return nullptr;
}

void ContainerWidget::deleteEmptySplitters()
{
    bool deleted = true;
    while (deleted) {
        deleted = false;
        const QList<QSplitter*> splitters = findChildren<QSplitter*>();
        for (QSplitter* splitter : splitters) {
            if (!splitter->property("ads-splitter").toBool())
                continue;
            if (splitter->count() == 0 || !splitterHasSection(splitter)) {
                delete splitter;
                deleted = true;
                break;
            }
        }
    }
}

void ContainerWidget::onActiveTabChanged()
{
    auto* title = qobject_cast<SectionTitleWidget*>(sender());
    if (title)
        emit activeTabChanged(title->content(), title->isActiveTab());
}

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
