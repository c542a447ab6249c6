#include "sectiontitlewidget.h"

#include <QApplication>
#include <QBoxLayout>
#include <QDebug>
#include <QMouseEvent>
#include <QStyle>

#include "adsglobals.h"
#include "containerwidget.h"
#include "dropoverlay.h"
#include "floatingwidget.h"
#include "sectionwidget.h"

namespace ads {

namespace {
// Keeps the cursor just inside a torn-off window.
const QPoint FloatingOffset(7, 7);
} // namespace

SectionTitleWidget::SectionTitleWidget(const SectionContent::RefPtr& content, QWidget* parent)
    : QFrame(parent), _content(content)
{
    auto* layout = new QBoxLayout(QBoxLayout::LeftToRight);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (content && content->titleWidget())
        layout->addWidget(content->titleWidget());
    setLayout(layout);
}

SectionTitleWidget::~SectionTitleWidget()
{
    if (_content && _content->titleWidget())
        layout()->removeWidget(_content->titleWidget());
}

void SectionTitleWidget::setActiveTab(bool active)
{
    if (active == _activeTab)
        return;
    _activeTab = active;
    style()->unpolish(this);
    style()->polish(this);
    update();
    emit activeTabChanged();
}

void SectionTitleWidget::mousePressEvent(QMouseEvent* ev)
{
    if (ev->button() == Qt::LeftButton) {
        ev->accept();
        _dragStartPosition = ev->localPos().toPoint();
        return;
    }
    QFrame::mousePressEvent(ev);
}

void SectionTitleWidget::mouseMoveEvent(QMouseEvent* ev)
{
    ContainerWidget* container = findParent<ContainerWidget>(this);
    SectionWidget* section = findParent<SectionWidget>(this);
    const QPoint global = ev->screenPos().toPoint();
    const QPoint pos = ev->localPos().toPoint();
    const bool leftHeld = ev->buttons() & Qt::LeftButton;

    if (_floatingWidget && leftHeld && container) {
        ev->accept();
        _floatingWidget->move(global - _dragStartPosition - FloatingOffset);

        QPointer<DropOverlay> sectionOverlay = container->sectionDropOverlay();
        QPointer<DropOverlay> containerOverlay = container->containerDropOverlay();
        if (SectionWidget* target = container->sectionWidgetAt(container->mapFromGlobal(global))) {
            if (sectionOverlay) {
                sectionOverlay->setAllowedAreas(DropAreas(AllDropAreas));
                sectionOverlay->showDropOverlay(target);
            }
        }
        if (containerOverlay) {
            containerOverlay->setAllowedAreas(
                    DropAreas(container->visibleContentCount() <= 1 ? AllDropAreas : OuterDropAreas));
            containerOverlay->showDropOverlay(container);
        }
        return;
    }

    if (!_floatingWidget && !_dragStartPosition.isNull() && leftHeld && section && container) {
        if (!section->titleAreaGeometry().contains(section->mapFromGlobal(global))) {
            ev->accept();
            InternalContentData data;
            if (!section->takeContent(_content->uid(), data)) {
                qWarning().noquote() << "THIS SHOULD NOT HAPPEN!!" << _content->uid() << _content->uniqueName();
                return;
            }
            auto* fw = new FloatingWidget(container, data.content, data.titleWidget, data.contentWidget, container);
            _floatingWidget = fw;
            fw->resize(section->size());
            container->registerFloating(fw);
            fw->move(global - _dragStartPosition - FloatingOffset);
            fw->show();
            if (section->contentCount() == 0) {
                container->discardSection(section);
                container->deleteEmptySplitters();
            }
            return;
        }
    }

    if (_tabMoving && section) {
        ev->accept();
        move(mapToParent(pos).x() - _dragStartPosition.x(), 0);
        return;
    }
    if (!_dragStartPosition.isNull() && leftHeld && section) {
        if ((pos - _dragStartPosition).manhattanLength() >= QApplication::startDragDistance() &&
            section->titleAreaGeometry().contains(section->mapFromGlobal(global))) {
            ev->accept();
            _tabMoving = true;
            raise();
            return;
        }
    }
    QFrame::mouseMoveEvent(ev);
}

void SectionTitleWidget::mouseReleaseEvent(QMouseEvent* ev)
{
    ContainerWidget* container = findParent<ContainerWidget>(this);
    SectionWidget* section = findParent<SectionWidget>(this);
    const QPoint global = ev->screenPos().toPoint();

    QPointer<DropOverlay> sectionOverlay = container ? container->sectionDropOverlay() : nullptr;
    QPointer<DropOverlay> containerOverlay = container ? container->containerDropOverlay() : nullptr;

    if (_floatingWidget && container) {
        auto dock = [&](SectionWidget* target, DropArea area) {
            InternalContentData data;
            _floatingWidget->takeContent(data);
            _floatingWidget->deleteLater();
            _floatingWidget.clear();
            container->dropContent(data, target, area, true);
        };
        bool docked = false;
        if (SectionWidget* target = container->sectionWidgetAt(container->mapFromGlobal(global))) {
            const DropArea area = sectionOverlay ? sectionOverlay->showDropOverlay(target) : InvalidDropArea;
            if (area != InvalidDropArea) {
                dock(target, area);
                docked = true;
            }
        }
        if (!docked && containerOverlay) {
            const DropArea area = containerOverlay->cursorLocation();
            if (area != InvalidDropArea)
                dock(nullptr, area);
        }
    } else if (_tabMoving && section) {
        const int from = section->indexOfContent(_content);
        const int to = section->indexOfContentByTitlePos(section->mapFromGlobal(global), this);
        section->moveContent(from, to);
    }

    if (!_dragStartPosition.isNull())
        emit clicked();
    _dragStartPosition = QPoint();
    _tabMoving = false;
    if (sectionOverlay)
        sectionOverlay->hideDropOverlay();
    if (containerOverlay)
        containerOverlay->hideDropOverlay();
    QFrame::mouseReleaseEvent(ev);
}

} // namespace ads
