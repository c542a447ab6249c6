#include "dropoverlay.h"

#include <QPainter>

#include "dropoverlaycross.h"

namespace ads {

DropOverlay::DropOverlay(QWidget* parent, int mode) : QFrame(parent), _allowedAreas(InvalidDropArea), _mode(mode)
{
    _cross = new DropOverlayCross(this);
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowOpacity(1.0);
    setWindowTitle(QStringLiteral("DropOverlay"));
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
    _cross->createDefaultAreaWidgets(mode);
    _cross->hide();
    hide();
}

DropOverlay::~DropOverlay() = default;

void DropOverlay::setAllowedAreas(DropAreas areas)
{
    if (areas == _allowedAreas)
        return;
    _allowedAreas = areas;
    _cross->updateAreaVisibility();
}

DropArea DropOverlay::cursorLocation() const
{
    return _cross->cursorLocation();
}

DropArea DropOverlay::showDropOverlay(QWidget* target)
{
    if (target && _target == target) {
        const DropArea area = cursorLocation();
        if (area == _lastLocation)
            return area;
        repaint();
        _lastLocation = area;
        return area;
    }
    _target = target;
    _lastLocation = InvalidDropArea;
    if (!target)
        return InvalidDropArea;
    resize(target->size());
    move(target->mapToGlobal(QPoint(0, 0)));
    show();
    _cross->reposition();
    return cursorLocation();
}

void DropOverlay::hideDropOverlay()
{
    hide();
    _target.clear();
    _lastLocation = InvalidDropArea;
}

QRect dropAreaShadeRect(DropArea area, const QRect& rect, int mode)
{
    const double f = mode == 1 ? 3.0 : 2.0;
    QRect r = rect;
    switch (area) {
    case TopDropArea:
        r.setHeight(int(r.height() / f));
        return r;
    case RightDropArea:
        r.setX(int(r.width() * (1 - 1 / f)));
        return r;
    case BottomDropArea:
        r.setY(int(r.height() * (1 - 1 / f)));
        return r;
    case LeftDropArea:
        r.setWidth(int(r.width() / f));
        return r;
    case CenterDropArea:
        return r;
    default:
        return QRect();
    }
}

void DropOverlay::paintEvent(QPaintEvent*)
{
    const QRect r = dropAreaShadeRect(cursorLocation(), rect(), _mode);
    if (r.isNull())
        return;
    QColor color = palette().color(QPalette::Active, QPalette::Highlight);
    color.setAlpha(64);
    QPainter p(this);
    p.fillRect(r, color);
}

void DropOverlay::showEvent(QShowEvent* event)
{
    _cross->show();
    QFrame::showEvent(event);
}

void DropOverlay::hideEvent(QHideEvent* event)
{
    _cross->hide();
    QFrame::hideEvent(event);
}

} // namespace ads
