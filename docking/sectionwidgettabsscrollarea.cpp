#include "sectionwidgettabsscrollarea.h"

#include <QScrollBar>
#include <QWheelEvent>

namespace ads {

SectionWidgetTabsScrollArea::SectionWidgetTabsScrollArea(QWidget* parent) : QScrollArea(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Ignored);
    setFrameStyle(0);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void SectionWidgetTabsScrollArea::wheelEvent(QWheelEvent* event)
{
    event->accept();
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    QScrollBar* bar = horizontalScrollBar();
    bar->setValue(bar->value() + (delta < 0 ? 20 : -20));
}

} // namespace ads
