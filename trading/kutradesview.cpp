#include "kutradesview.h"

#include "kutradesmodel.h"

#include <QMenu>
#include <QMouseEvent>

kuTradesView::kuTradesView(QWidget* parent) : kuTreeView(parent)
{
    // Rows of one height: a changed row is not measured again, nor are all rows
    // for the scroll bar, which a list of thousands of trades would feel.
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &kuTradesView::slot_showContextMenu);
}

QMenu* kuTradesView::buildContextMenu()
{
    auto* menu = new QMenu;
    connect(menu->addAction(tr("Настройка столбцов")), &QAction::triggered, this, &kuTradesView::columnSetting);
    menu->addSeparator();
    return menu;
}

void kuTradesView::slot_showContextMenu(QPoint pos)
{
    QMenu* menu = buildContextMenu();
    menu->exec(viewport()->mapToGlobal(pos));
    delete menu;
}

void kuTradesView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->pos());
    const int act = model() && index.parent().isValid() ? index.data(kuTradesModel::ActRole).toInt() : 0;
    // Only buys and sells carry an instrument worth dragging; any other press
    // forgets an earlier one, so it never drags that instrument.
    if (event->button() == Qt::LeftButton && (act == 1 || act == 2))
        setPendingDrag(event->pos(), index.data(kuTradesModel::PaperIDRole).toInt());
    else
        setPendingDrag(QPoint(), 0);
    kuTreeView::mousePressEvent(event);
}
