#include "kuobjectview.h"

#include "kuobjectcolumnsetting.h"
#include "kupaperinfodrag.h"

#include <QApplication>
#include <QBitArray>
#include <QDataStream>
#include <QHash>
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

namespace {
// The number of sections a QHeaderView::saveState() was written for, or -1 when
// the bytes are not such a state.
int savedSectionCount(const QByteArray& state)
{
    QDataStream in(state);
    int marker = 0;
    int version = -1;
    in >> marker >> version;
    if (in.status() != QDataStream::Ok || marker != 0xff || version != 0)
        return -1;
    int orientation = 0;
    int order = 0;
    int sortSection = 0;
    bool sortShown = false;
    QVector<int> visualIndices;
    QVector<int> logicalIndices;
    QBitArray hidden;
    QHash<int, int> hiddenSizes;
    int length = 0;
    int count = -1;
    in >> orientation >> order >> sortSection >> sortShown >> visualIndices >> logicalIndices >> hidden >>
            hiddenSizes >> length >> count;
    return in.status() == QDataStream::Ok ? count : -1;
}
} // namespace

void kuObjectView::restoreColumnState(QHeaderView* header, const QString& state)
{
    if (!header)
        return;
    if (!state.isEmpty()) {
        const QByteArray bytes = QByteArray::fromBase64(state.toLatin1());
        // The header would fit a state of another column list to its sections
        // (cutting or padding it); such a state belongs to other columns.
        if (savedSectionCount(bytes) == header->count())
            header->restoreState(bytes);
    }
    readColumnState();
    applyColumnState();
}

void kuObjectView::fitColumns(QHeaderView* header)
{
    if (!header)
        return;
    // Spread the shown sections evenly over the width once, then leave them to
    // the user. Computed from the header's geometry: while a view is being shown
    // its header's viewport still has its old size.
    QVector<int> shown;
    for (int section = 0; section < header->count(); ++section) {
        if (!header->isSectionHidden(section))
            shown << section;
    }
    header->setSectionResizeMode(QHeaderView::Interactive);
    if (shown.isEmpty())
        return;
    const int width = header->orientation() == Qt::Horizontal ? header->width() : header->height();
    const int share = width / shown.size();
    int rest = width % shown.size();
    for (int section : shown)
        header->resizeSection(section, qMax(header->minimumSectionSize(), share + (rest-- > 0 ? 1 : 0)));
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
