#include "dropoverlaycross.h"

#include <QCursor>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>

#include "dropoverlay.h"

namespace ads {

namespace {

const DropArea Areas[] = {TopDropArea, RightDropArea, BottomDropArea, LeftDropArea, CenterDropArea};

Qt::Alignment dropAreaAlignment(DropArea area)
{
    switch (area) {
    case TopDropArea:
        return Qt::AlignHCenter | Qt::AlignBottom;
    case RightDropArea:
        return Qt::AlignLeft | Qt::AlignVCenter;
    case BottomDropArea:
        return Qt::AlignHCenter | Qt::AlignTop;
    case LeftDropArea:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return Qt::AlignCenter;
    }
}

} // namespace

QPair<int, int> dropAreaGridPosition(DropArea area, int mode)
{
    const bool outer = mode == 1;
    switch (area) {
    case TopDropArea:
        return outer ? qMakePair(0, 2) : qMakePair(1, 2);
    case RightDropArea:
        return outer ? qMakePair(2, 4) : qMakePair(2, 3);
    case BottomDropArea:
        return outer ? qMakePair(4, 2) : qMakePair(3, 2);
    case LeftDropArea:
        return outer ? qMakePair(2, 0) : qMakePair(2, 1);
    case CenterDropArea:
        return qMakePair(2, 2);
    default:
        return qMakePair(0, 0);
    }
}

QWidget* createDropIndicatorWidget(DropArea area, int mode)
{
    auto* label = new QLabel();
    label->setObjectName(QStringLiteral("DropAreaLabel"));

    const qreal metric = label->fontMetrics().height();
    const QSizeF size(metric * 3, metric * 3);
    QPixmap pm(size.toSize());
    pm.fill(Qt::transparent);

    const QColor highlight = label->palette().color(QPalette::Active, QPalette::Highlight);
    const QColor base = label->palette().color(QPalette::Active, QPalette::Base);

    QPainter p(&pm);
    QPen pen = p.pen();
    QRectF shadowFrame(QPointF(0, 0), size);
    p.fillRect(shadowFrame, QColor(0, 0, 0, 64));

    QRectF baseRect;
    baseRect.setSize(size * 0.7);
    baseRect.moveCenter(shadowFrame.center());

    QRectF areaRect;
    QLineF areaLine;
    QPointF arrowOrigin;
    qreal arrowAngle = 0;
    switch (area) {
    case TopDropArea:
        areaRect = QRectF(baseRect.x(), baseRect.y(), baseRect.width(), baseRect.height() / 2);
        areaLine = QLineF(areaRect.bottomLeft(), areaRect.bottomRight());
        arrowOrigin = QPointF(baseRect.center().x(), baseRect.center().y() + baseRect.height() / 4);
        arrowAngle = -90;
        break;
    case BottomDropArea:
        areaRect = QRectF(baseRect.x(), baseRect.center().y(), baseRect.width(), baseRect.height() / 2);
        areaLine = QLineF(areaRect.topLeft(), areaRect.topRight());
        arrowOrigin = QPointF(baseRect.center().x(), baseRect.center().y() - baseRect.height() / 4);
        arrowAngle = 90;
        break;
    case LeftDropArea:
        areaRect = QRectF(baseRect.x(), baseRect.y(), baseRect.width() / 2, baseRect.height());
        areaLine = QLineF(areaRect.topRight(), areaRect.bottomRight());
        arrowOrigin = QPointF(baseRect.center().x() + baseRect.width() / 4, baseRect.center().y());
        arrowAngle = 180;
        break;
    case RightDropArea:
        areaRect = QRectF(baseRect.center().x(), baseRect.y(), baseRect.width() / 2, baseRect.height());
        areaLine = QLineF(areaRect.topLeft(), areaRect.bottomLeft());
        arrowOrigin = QPointF(baseRect.center().x() - baseRect.width() / 4, baseRect.center().y());
        arrowAngle = 0;
        break;
    default:
        break;
    }

    const bool outerArrow = mode == 1 && area != CenterDropArea && areaRect.isValid();
    const QRectF window = outerArrow ? areaRect : baseRect;
    p.fillRect(window, base);

    if (areaRect.width() > 0 && areaRect.height() > 0) {
        QColor shade = highlight;
        shade.setAlpha(64);
        p.setPen(Qt::NoPen);
        p.setBrush(shade);
        p.drawRect(areaRect);
        pen.setStyle(Qt::DashLine);
        pen.setColor(highlight);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawLine(areaLine);
    }

    pen = QPen(highlight, 1);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawRect(window.adjusted(0, 0, -1, -1));
    p.setBrush(highlight);
    p.drawRect(QRectF(window.left(), window.top(), window.width(), baseRect.height() / 10));

    if (outerArrow) {
        const qreal w = baseRect.width();
        const qreal h = baseRect.height();
        QPolygonF arrow;
        arrow << QPointF(-w / 9.2, -h / 4) << QPointF(w / 9.2, 0) << QPointF(-w / 9.2, h / 4);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(arrowOrigin);
        p.rotate(arrowAngle);
        p.setPen(Qt::NoPen);
        p.setBrush(base);
        p.drawPolygon(arrow, Qt::OddEvenFill);
    }
    p.end();

    label->setPixmap(pm);
    label->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    label->setAttribute(Qt::WA_TranslucentBackground);
    return label;
}

DropOverlayCross::DropOverlayCross(DropOverlay* overlay) : QWidget(overlay->parentWidget()), _overlay(overlay)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("DropOverlayCross"));
    setAttribute(Qt::WA_TranslucentBackground);
    _grid = new QGridLayout();
    _grid->setSpacing(0);
    setLayout(_grid);
}

DropArea DropOverlayCross::cursorLocation() const
{
    const QPoint pos = mapFromGlobal(QCursor::pos());
    for (auto it = _widgets.constBegin(); it != _widgets.constEnd(); ++it) {
        if (!_overlay->allowedAreas().testFlag(it.key()))
            continue;
        QWidget* w = it.value();
        if (w && w->isVisible() && w->geometry().contains(pos))
            return it.key();
    }
    return InvalidDropArea;
}

void DropOverlayCross::setAreaWidgets(const QMap<DropArea, QWidget*>& widgets)
{
    for (QWidget* w : qAsConst(_widgets)) {
        _grid->removeWidget(w);
        delete w;
    }
    _widgets = widgets;
    for (auto it = _widgets.constBegin(); it != _widgets.constEnd(); ++it) {
        const QPair<int, int> cell = dropAreaGridPosition(it.key(), _overlay->mode());
        _grid->addWidget(it.value(), cell.first, cell.second, dropAreaAlignment(it.key()));
    }
    if (_overlay->mode() == 0) {
        _grid->setContentsMargins(0, 0, 0, 0);
        const int stretch[] = {1, 0, 0, 0, 1};
        for (int i = 0; i < 5; ++i) {
            _grid->setRowStretch(i, stretch[i]);
            _grid->setColumnStretch(i, stretch[i]);
        }
    } else {
        _grid->setContentsMargins(4, 4, 4, 4);
        const int stretch[] = {0, 1, 1, 1, 0};
        for (int i = 0; i < 5; ++i) {
            _grid->setRowStretch(i, stretch[i]);
            _grid->setColumnStretch(i, stretch[i]);
        }
    }
    updateAreaVisibility();
}

void DropOverlayCross::updateAreaVisibility()
{
    for (DropArea area : Areas) {
        const QPair<int, int> cell = dropAreaGridPosition(area, _overlay->mode());
        QLayoutItem* item = _grid->itemAtPosition(cell.first, cell.second);
        if (item && item->widget())
            item->widget()->setVisible(_overlay->allowedAreas().testFlag(area));
    }
}

void DropOverlayCross::reposition()
{
    resize(_overlay->size());
    const QPoint overlayPos = _overlay->pos();
    const QPoint diff(overlayPos.x() - (width() - _overlay->width()) / 2,
                      overlayPos.y() - (height() - _overlay->height()) / 2);
    move(diff);
}

void DropOverlayCross::createDefaultAreaWidgets(int mode)
{
    QMap<DropArea, QWidget*> widgets;
    for (DropArea area : Areas)
        widgets.insert(area, createDropIndicatorWidget(area, mode));
    setAreaWidgets(widgets);
}

void DropOverlayCross::showEvent(QShowEvent*)
{
    reposition();
}

} // namespace ads
