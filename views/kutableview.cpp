#include "kutableview.h"

#include "kuitemdelegate.h"
#include "kuobjectcolumnsetting.h"
#include "kupaperinfomimedata.h"
#include "kutableviewproxymodel.h"

#include <QDebug>
#include <QDragEnterEvent>
#include <QHeaderView>

kuTableView::kuTableView(QWidget* parent) : QTableView(parent)
{
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->setSectionsMovable(true);
    // The header bounds its default by a minimum taken from the font.
    verticalHeader()->setMinimumSectionSize(qMin(verticalHeader()->minimumSectionSize(), 24));
    verticalHeader()->setDefaultSectionSize(24);
    setAcceptDrops(true);
    setItemDelegate(new kuItemDelegate(this));
    watchColumns(this, horizontalHeader(), [this] { fitColumns(); });
}

void kuTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
    watchModel(model);
    auto* proxy = qobject_cast<kuTableViewProxyModel*>(model);
    if (!proxy) {
        if (model)
            qWarning() << "kuTableView: the model is not a kuTableViewProxyModel; no columns of the view";
        return;
    }
    proxy->setColumns(columnList());
    applyColumnState();
}

void kuTableView::readColumnState()
{
    kuObjectColumnSetting::readFromHeader(m_columns, horizontalHeader());
    fitColumns();
}

void kuTableView::applyColumnState()
{
    kuObjectColumnSetting::applyToHeader(m_columns, horizontalHeader());
    fitColumns();
}

void kuTableView::fitColumns()
{
    kuObjectView::fitColumns(horizontalHeader());
}

QString kuTableView::columnState() const
{
    return saveColumnState(horizontalHeader());
}

void kuTableView::setColumnState(const QString& state)
{
    restoreColumnState(horizontalHeader(), state);
}

void kuTableView::columnSetting()
{
    kuObjectView::columnSetting();
}

QVector<QModelIndex> kuTableView::shownRows() const
{
    QVector<QModelIndex> rows;
    const QAbstractItemModel* shown = model();
    if (!shown)
        return rows;
    const int first = qMax(rowAt(0), 0);
    int last = rowAt(viewport()->height() - 1);
    if (last < 0)
        last = qMin(shown->rowCount(rootIndex()) - 1, first + 200);
    for (int row = first; row <= last; ++row) {
        if (!isRowHidden(row))
            rows << shown->index(row, 0, rootIndex());
    }
    return rows;
}

int kuTableView::cellWidth(const QModelIndex& index) const
{
    QAbstractItemDelegate* delegate = index.isValid() ? itemDelegate(index) : nullptr;
    if (!delegate)
        return 0;
    // The grid line takes a pixel of the cell.
    return delegate->sizeHint(viewOptions(), index).width() + (showGrid() ? 1 : 0);
}

void kuTableView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles)
{
    const auto rowRect = [this](const QModelIndex& index) {
        const int row = index.row();
        if (index.model() != model() || isRowHidden(row))
            return QRect();
        return QRect(0, rowViewportPosition(row), viewport()->width(), rowHeight(row));
    };
    repaintChangedRows(this, state() == NoState, topLeft, bottomRight, rowRect,
                       [&] { QTableView::dataChanged(topLeft, bottomRight, roles); });
}

void kuTableView::updateGeometries()
{
    layOutScrollBars(this, [this] { QTableView::updateGeometries(); });
}

void kuTableView::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    fitColumns();
}

void kuTableView::mouseMoveEvent(QMouseEvent* event)
{
    if (dragDistanceReached(event))
        startDrag(Qt::CopyAction | Qt::MoveAction);
    QTableView::mouseMoveEvent(event);
}

void kuTableView::startDrag(Qt::DropActions supportedActions)
{
    runPendingDrag(this, supportedActions);
}

void kuTableView::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(kuPaperInfoMimeData::mimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void kuTableView::dragMoveEvent(QDragMoveEvent* event)
{
    if (event->mimeData()->hasFormat(kuPaperInfoMimeData::mimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void kuTableView::dropEvent(QDropEvent* event)
{
    // The id travels in the object: data of another process carries only the format.
    const auto* data = qobject_cast<const kuPaperInfoMimeData*>(event->mimeData());
    if (!data || !data->hasFormat(kuPaperInfoMimeData::mimeType())) {
        event->ignore();
        return;
    }
    emit on_dropPaperID(data->paperID());
    event->acceptProposedAction();
}
