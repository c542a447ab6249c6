#include "kuquotesview.h"

#include "kuquotesmodel.h"

#include <QMouseEvent>

kuQuotesView::kuQuotesView(QWidget* parent) : kuTableView(parent)
{}

void kuQuotesView::mousePressEvent(QMouseEvent* event)
{
    // An earlier press that never became a drag must not ride on this one.
    setPendingDrag(QPoint(), 0);
    const QPoint point = event->localPos().toPoint();
    const QModelIndex index = indexAt(point);
    if (index.isValid() && event->button() == Qt::LeftButton)
        setPendingDrag(point, index.data(kuQuotesModel::PaperIDRole).toInt());
    QAbstractItemView::mousePressEvent(event);
}
