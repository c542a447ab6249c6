#include "kupaperlistview.h"

#include "kupaperlistmodel.h"

#include <QMouseEvent>

kuPaperListView::kuPaperListView(QWidget* parent) : kuTableView(parent)
{}

void kuPaperListView::mousePressEvent(QMouseEvent* event)
{
    // An earlier press that never became a drag must not ride on this one.
    setPendingDrag(QPoint(), 0);
    const QPoint point = event->localPos().toPoint();
    const QModelIndex index = indexAt(point);
    if (index.isValid() && event->button() == Qt::LeftButton)
        setPendingDrag(point, index.data(kuPaperListModel::PaperIDRole).toInt());
    QAbstractItemView::mousePressEvent(event);
}
