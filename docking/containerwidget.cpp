// The container itself: its making and unmaking, and the registries of the
// contents, sections and floating windows it holds.

#include "containerwidget.h"

#include <QGridLayout>
#include <QUuid>

#include "dropoverlay.h"
#include "floatingwidget.h"
#include "sectiontitlewidget.h"
#include "sectionwidget.h"

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

QList<SectionContent::RefPtr> ContainerWidget::contents() const
{
    QList<SectionContent::RefPtr> result;
    for (const SectionContent::WeakPtr& weak : _contentsByUid) {
        if (SectionContent::RefPtr sc = weak.toStrongRef())
            result.append(sc);
    }
    return result;
}

bool ContainerWidget::hasSectionContent(const QString& uniqueName) const
{
    return _contentsByName.contains(uniqueName);
}

SectionContent::RefPtr ContainerWidget::sectionContent(const QString& uniqueName) const
{
    return _contentsByName.value(uniqueName).toStrongRef();
}

void ContainerWidget::onActiveTabChanged()
{
    auto* title = qobject_cast<SectionTitleWidget*>(sender());
    if (title)
        emit activeTabChanged(title->content(), title->isActiveTab());
}

} // namespace ads
