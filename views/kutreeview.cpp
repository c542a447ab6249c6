#include "kutreeview.h"

#include "kuobjectcolumnsetting.h"
#include "kutreeviewdelegate.h"
#include "kutreeviewproxymodel.h"

#include <QDebug>
#include <QHeaderView>
#include <QMouseEvent>

kuTreeView::kuTreeView(QWidget* parent) : QTreeView(parent), m_delegate(new kuTreeViewDelegate(this))
{
    setItemDelegate(m_delegate);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Stretch);
    header()->setSectionsMovable(true);
    setAcceptDrops(false);
    connect(this, &QAbstractItemView::doubleClicked, this, &kuTreeView::toggleTopRow);
}

void kuTreeView::toggleTopRow(const QModelIndex& index)
{
    // The children hang on column 0, which stays hidden: Qt's own double click never opens a top row.
    if (index.isValid() && !index.parent().isValid()) {
        const QModelIndex top = index.sibling(index.row(), 0);
        setExpanded(top, !isExpanded(top));
    }
}

void kuTreeView::setModel(QAbstractItemModel* model)
{
    QTreeView::setModel(model);
    auto* proxy = qobject_cast<kuTreeViewProxyModel*>(model);
    if (!proxy) {
        if (model)
            qWarning() << "kuTreeView: the model is not a kuTreeViewProxyModel; no columns of the view";
        return;
    }
    proxy->setColumns(columnList());
    applyColumnState();
}

void kuTreeView::readColumnState()
{
    kuObjectColumnSetting::readFromHeader(m_columns, header());
    fitColumns();
}

void kuTreeView::applyColumnState()
{
    kuObjectColumnSetting::applyToHeader(m_columns, header());
    fitColumns();
}

void kuTreeView::fitColumns()
{
    kuObjectView::fitColumns(header());
}

void kuTreeView::setGridColor(const QColor& color)
{
    m_delegate->setGridColor(color);
}

kuTreeViewDelegate* kuTreeView::delegate() const
{
    return m_delegate;
}

QString kuTreeView::columnState() const
{
    return saveColumnState(header());
}

void kuTreeView::setColumnState(const QString& state)
{
    restoreColumnState(header(), state);
}

void kuTreeView::columnSetting()
{
    kuObjectView::columnSetting();
}

void kuTreeView::resizeEvent(QResizeEvent* event)
{
    QTreeView::resizeEvent(event);
    fitColumns();
}

void kuTreeView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragDistanceReached(event))
        startDrag(Qt::CopyAction | Qt::MoveAction);
    QTreeView::mouseMoveEvent(event);
}

void kuTreeView::mouseReleaseEvent(QMouseEvent* event)
{
    // A release during an expand or collapse animation must not end it.
    const State before = state();
    QTreeView::mouseReleaseEvent(event);
    if (before == AnimatingState)
        setState(AnimatingState);
}

void kuTreeView::startDrag(Qt::DropActions supportedActions)
{
    runPendingDrag(this, supportedActions);
}

void kuTreeView::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.parent().isValid()) {
        QTreeView::drawRow(painter, option, index);
        return;
    }
    // An account row is one cell across every shown column.
    const QHeaderView* head = header();
    int first = -1;
    int last = -1;
    for (int visual = 0; visual < head->count(); ++visual) {
        const int logical = head->logicalIndex(visual);
        if (head->isSectionHidden(logical))
            continue;
        if (first < 0)
            first = logical;
        last = logical;
    }
    if (first < 0)
        return;
    const int left = columnViewportPosition(first);
    // The expand arrow keeps its place in the indentation.
    if (rootIsDecorated())
        drawBranches(painter, QRect(left, option.rect.top(), indentation(), option.rect.height()), index);
    QStyleOptionViewItem cell = option;
    cell.rect = QRect(QPoint(left + indentation(), option.rect.top()),
                      QPoint(columnViewportPosition(last) + columnWidth(last) - 1, option.rect.bottom()));
    if (selectionModel() && selectionModel()->isSelected(index))
        cell.state |= QStyle::State_Selected;
    itemDelegate(index)->paint(painter, cell, index);
}
