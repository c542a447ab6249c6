#include "kuobjectview.h"

#include "kuobjectcolumnsetting.h"
#include "kupaperinfodrag.h"

#include <QApplication>
#include <QHeaderView>
#include <QMouseEvent>

kuObjectView::kuObjectView()
{
    addPlaceholderColumn();
}

kuObjectView::~kuObjectView() = default;

void kuObjectView::buildColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    int key = m_columns.isEmpty() ? 0 : m_columns.lastKey() + 1;
    for (const auto& column : columns)
        m_columns.insert(key++, column);
    applyColumnState();
}

void kuObjectView::addPlaceholderColumn()
{
    m_columns.insert(0, kuObjectHeaderItem::createHidden(QStringLiteral("Column #1")));
}

void kuObjectView::columnSetting()
{
    kuObjectColumnSetting dialog(&m_columns);
    if (dialog.exec() == QDialog::Accepted)
        applyColumnState();
    else
        readColumnState();
}

const kuObjectView::ColumnMap& kuObjectView::columnMap() const
{
    return m_columns;
}

QList<QSharedPointer<kuObjectHeaderItem>> kuObjectView::columnList() const
{
    return m_columns.values();
}

QString kuObjectView::saveColumnState(const QHeaderView* header)
{
    const QByteArray state = header ? header->saveState() : QByteArray();
    return state.isEmpty() ? QString() : QString::fromLatin1(state.toBase64());
}

void kuObjectView::restoreColumnState(QHeaderView* header, const QString& state)
{
    if (!header)
        return;
    if (!state.isEmpty()) {
        const int count = header->count();
        const QByteArray before = header->saveState();
        // A state saved for another column list would leave sections the model does not have.
        if (header->restoreState(QByteArray::fromBase64(state.toLatin1())) && header->count() != count)
            header->restoreState(before);
    }
    readColumnState();
    applyColumnState();
}

void kuObjectView::fitColumns(QHeaderView* header)
{
    if (!header)
        return;
    // Spread evenly over the width once, then leave the sections to the user.
    header->setSectionResizeMode(QHeaderView::Stretch);
    header->resizeSections(QHeaderView::Stretch);
    const int count = header->count();
    QVector<int> sizes(count);
    for (int section = 0; section < count; ++section)
        sizes[section] = header->sectionSize(section);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int section = 0; section < count; ++section) {
        // A hidden section would remember the size 0 for when it is shown again.
        if (!header->isSectionHidden(section))
            header->resizeSection(section, sizes.at(section));
    }
}

void kuObjectView::setPendingDrag(const QPoint& pressPoint, int paperID)
{
    m_pressPoint = pressPoint;
    m_pressPaperID = paperID;
}

int kuObjectView::pendingPaperID() const
{
    return m_pressPaperID;
}

bool kuObjectView::dragDistanceReached(const QMouseEvent* event) const
{
    if (m_pressPoint.isNull() || !(event->buttons() & Qt::LeftButton))
        return false;
    return (event->pos() - m_pressPoint).manhattanLength() > QApplication::startDragDistance();
}

void kuObjectView::runPendingDrag(QObject* source, Qt::DropActions supportedActions)
{
    if (m_pressPaperID == 0)
        return;
    // The drag manager deletes the drag once it ends.
    auto* drag = new kuPaperInfoDrag(source);
    drag->setPaperID(m_pressPaperID);
    drag->exec(supportedActions, Qt::CopyAction);
    m_pressPoint = QPoint();
    m_pressPaperID = 0;
}
