#include "kuquotesview.h"

#include "kulook.h"
#include "kuquotesdelegate.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"

#include <QAccessible>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QSortFilterProxyModel>

namespace {
quint64 cellKey(const QRect& rect)
{
    return (quint64(quint32(rect.y())) << 32) | quint32(rect.x());
}

// Where the header draws what: its size and scroll offset, the sort indicator, and each
// section's place, size and state.
QVector<int> sectionPlaces(const QHeaderView* header)
{
    QVector<int> places{header->width(), header->height(), header->offset(),
                        header->isSortIndicatorShown() ? header->sortIndicatorSection() : -2,
                        int(header->sortIndicatorOrder())};
    const int count = header->count();
    places.reserve(places.size() + 4 * count);
    for (int logical = 0; logical < count; ++logical) {
        places << header->visualIndex(logical) << header->sectionPosition(logical) << header->sectionSize(logical)
               << int(header->isSectionHidden(logical));
    }
    return places;
}

// Whole inside one rectangle of the region: a cell cut by the region's edge was painted only in part.
bool covered(const QRegion& region, const QRect& rect)
{
    for (const QRect& part : region) {
        if (part.contains(rect))
            return true;
    }
    return false;
}
} // namespace

kuQuotesView::kuQuotesView(QWidget* parent) : kuTableView(parent)
{
    setItemDelegate(new kuQuotesDelegate(this));
}

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

void kuQuotesView::setTrackedUpdates(bool tracked)
{
    m_tracked = tracked;
    m_painted.clear();
    m_rowsAtRefresh = -1;
}

kuQuotesModel* kuQuotesView::quotesModel() const
{
    if (auto* proxy = qobject_cast<QSortFilterProxyModel*>(model()))
        return qobject_cast<kuQuotesModel*>(proxy->sourceModel());
    return qobject_cast<kuQuotesModel*>(model());
}

template <typename Visit>
void kuQuotesView::forEachVisibleCell(Visit visit) const
{
    const QAbstractItemModel* shown = model();
    if (!shown)
        return;
    const int firstRow = qMax(rowAt(0), 0);
    int lastRow = rowAt(viewport()->height() - 1);
    if (lastRow < 0)
        lastRow = shown->rowCount() - 1;
    const QHeaderView* header = horizontalHeader();
    const int firstVisual = qMax(header->visualIndexAt(0), 0);
    int lastVisual = header->visualIndexAt(viewport()->width() - 1);
    if (lastVisual < 0)
        lastVisual = header->count() - 1;
    for (int row = firstRow; row <= lastRow; ++row) {
        if (isRowHidden(row))
            continue;
        for (int visual = firstVisual; visual <= lastVisual; ++visual) {
            const int column = header->logicalIndex(visual);
            if (column < 0 || header->isSectionHidden(column))
                continue;
            const QModelIndex index = shown->index(row, column);
            visit(index, visualRect(index));
        }
    }
}

kuQuotesView::Painted kuQuotesView::paintedNow(const QModelIndex& index, const QRect& rect) const
{
    Painted painted;
    if (const kuQuotesModel* quotes = quotesModel()) {
        const auto* proxy = qobject_cast<const QSortFilterProxyModel*>(model());
        const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
        painted.item = quotes->quote(source.row());
    }
    painted.size = rect.size();
    const QItemSelectionModel* selection = selectionModel();
    painted.selected = selection && selection->isSelected(index);
    painted.current = index == currentIndex();
    return painted;
}

bool kuQuotesView::lookChanged() const
{
    return kuLook::upColor() != m_upColor || kuLook::downColor() != m_downColor || kuLook::masterFont() != m_font;
}

void kuQuotesView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles)
{
    // A range would repaint the whole table; refreshCells() repaints what changed.
    if (m_tracked && topLeft != bottomRight && !QAccessible::isActive())
        return;
    kuTableView::dataChanged(topLeft, bottomRight, roles);
}

void kuQuotesView::paintEvent(QPaintEvent* event)
{
    kuTableView::paintEvent(event);
    if (!m_tracked)
        return;
    if (lookChanged()) {
        m_painted.clear();
        m_upColor = kuLook::upColor();
        m_downColor = kuLook::downColor();
        m_font = kuLook::masterFont();
    }
    const QRegion& region = event->region();
    // A whole repaint forgets the cells of an earlier layout.
    if (covered(region, viewport()->rect()))
        m_painted.clear();
    forEachVisibleCell([this, &region](const QModelIndex& index, const QRect& rect) {
        if (!region.intersects(rect))
            return;
        if (covered(region, rect))
            m_painted.insert(cellKey(rect), paintedNow(index, rect));
        else
            m_painted.remove(cellKey(rect));
    });
}

void kuQuotesView::scrollContentsBy(int dx, int dy)
{
    // The painted cells move with the pixels: forget them all.
    m_painted.clear();
    kuTableView::scrollContentsBy(dx, dy);
}

void kuQuotesView::refreshAfter(const std::function<void()>& change)
{
    // A sort of the rows has the header lay its sections out again and repaint them all,
    // though they stay where they were: it repaints when they moved.
    QWidget* headerPort = horizontalHeader()->viewport();
    if (!m_tracked || !isVisible() || headerPort->testAttribute(Qt::WA_UpdatesDisabled)) {
        change();
        refreshCells();
        return;
    }
    const QVector<int> before = sectionPlaces(horizontalHeader());
    headerPort->setAttribute(Qt::WA_UpdatesDisabled, true);
    change();
    refreshCells();
    const QVector<int> after = sectionPlaces(horizontalHeader()); // lays the header out now
    headerPort->setAttribute(Qt::WA_UpdatesDisabled, false);
    if (after != before)
        headerPort->update();
}

void kuQuotesView::refreshCells()
{
    if (!m_tracked || !isVisible())
        return;
    const int rows = model() ? model()->rowCount() : 0;
    if (rows != m_rowsAtRefresh || lookChanged()) {
        // Rows came or went, or the look changed: the layout repaints the whole table.
        m_rowsAtRefresh = rows;
        viewport()->update();
        return;
    }
    // Lay the sorted rows out now, without the whole repaint that comes with it.
    const bool disabled = viewport()->testAttribute(Qt::WA_UpdatesDisabled);
    viewport()->setAttribute(Qt::WA_UpdatesDisabled, true);
    executeDelayedItemsLayout();
    viewport()->setAttribute(Qt::WA_UpdatesDisabled, disabled);

    // Neighbouring changed cells of a row join into one rectangle.
    QRegion dirty;
    QRect span;
    forEachVisibleCell([this, &dirty, &span](const QModelIndex& index, const QRect& rect) {
        const auto it = m_painted.constFind(cellKey(rect));
        const Painted now = paintedNow(index, rect);
        if (it != m_painted.constEnd() && it->size == now.size && it->selected == now.selected &&
            it->current == now.current && kuQuotesItem::sameCell(it->item.data(), now.item.data(), index.column()))
            return;
        if (span.isValid() && span.top() == rect.top() && qAbs(rect.left() - span.right()) <= 2) {
            span |= rect;
            return;
        }
        if (span.isValid())
            dirty += span;
        span = rect;
    });
    if (span.isValid())
        dirty += span;
    if (!dirty.isEmpty())
        viewport()->update(dirty);
}
