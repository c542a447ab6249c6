#include "kutableview.h"

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
}

void kuTableView::setModel(QAbstractItemModel* model)
{
    QTableView::setModel(model);
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
