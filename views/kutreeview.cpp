#include "kutreeview.h"

#include "kuobjectcolumnsetting.h"
#include "kutreeviewdelegate.h"
#include "kutreeviewmodel.h"
#include "kutreeviewproxymodel.h"

#include <QDebug>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>

namespace {
// Room for the open/close arrow at the left of an account line.
constexpr int accountArrowWidth = 16;
} // namespace

kuTreeView::kuTreeView(QWidget* parent) : QTreeView(parent), m_delegate(new kuTreeViewDelegate(this))
{
    setItemDelegate(m_delegate);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Stretch);
    header()->setSectionsMovable(true);
    setAcceptDrops(false);
    watchColumns(this, header(), [this] { fitColumns(); });
    connect(this, &QAbstractItemView::doubleClicked, this, &kuTreeView::toggleTopRow);
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) { noteAccount(index, true); });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) { noteAccount(index, false); });
}

void kuTreeView::noteAccount(const QModelIndex& index, bool open)
{
    if (!index.isValid() || index.parent().isValid())
        return;
    const QString account = index.data(kuTreeViewModel::AccountRole).toString();
    if (!account.isEmpty())
        m_accountOpen.insert(account, open);
}

void kuTreeView::openAccountByDefault(const QString& account)
{
    if (!account.isEmpty() && !m_accountOpen.contains(account))
        m_accountOpen.insert(account, true);
}

void kuTreeView::setAccountStates(const QVariantMap& accounts)
{
    m_accountOpen.clear();
    for (auto it = accounts.cbegin(); it != accounts.cend(); ++it) {
        if (!it.key().isEmpty())
            m_accountOpen.insert(it.key(), it.value().toBool());
    }
    applyAccountStates();
}

QStringList kuTreeView::openAccountList() const
{
    QStringList open;
    for (auto it = m_accountOpen.cbegin(); it != m_accountOpen.cend(); ++it) {
        if (it.value())
            open << it.key();
    }
    return open;
}

void kuTreeView::applyAccountStates()
{
    const QAbstractItemModel* source = model();
    if (!source)
        return;
    for (int row = 0; row < source->rowCount(); ++row) {
        const QModelIndex index = source->index(row, 0);
        const QString account = index.data(kuTreeViewModel::AccountRole).toString();
        auto known = m_accountOpen.constFind(account);
        if (known == m_accountOpen.cend()) {
            // Names saved by hand or by another server may differ in case only.
            for (known = m_accountOpen.cbegin(); known != m_accountOpen.cend(); ++known) {
                if (known.key().compare(account, Qt::CaseInsensitive) == 0)
                    break;
            }
        }
        if (known != m_accountOpen.cend() && isExpanded(index) != known.value())
            setExpanded(index, known.value());
    }
}

int kuTreeView::firstShownColumn() const
{
    const QHeaderView* head = header();
    for (int visual = 0; visual < head->count(); ++visual) {
        const int logical = head->logicalIndex(visual);
        if (!head->isSectionHidden(logical))
            return logical;
    }
    return -1;
}

QRect kuTreeView::accountArrowRect(const QModelIndex& account) const
{
    const int first = firstShownColumn();
    if (rootIsDecorated() || first < 0 || !account.isValid() || account.parent().isValid() ||
        !account.model()->hasChildren(account.sibling(account.row(), 0)))
        return QRect();
    const QRect line = visualRect(account.sibling(account.row(), first));
    if (!line.isValid())
        return QRect();
    return QRect(columnViewportPosition(first) + indentation(), line.top(), accountArrowWidth, line.height());
}

bool kuTreeView::viewportEvent(QEvent* event)
{
    // The arrow of an account line opens and closes it, as the branch arrow of a plain tree does.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex index = indexAt(mouse->pos());
            if (index.isValid() && !index.parent().isValid() && accountArrowRect(index).contains(mouse->pos())) {
                toggleTopRow(index);
                return true;
            }
        }
    }
    return QTreeView::viewportEvent(event);
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
    watchModel(model);
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

QVector<QModelIndex> kuTreeView::shownRows() const
{
    QVector<QModelIndex> rows;
    const QAbstractItemModel* shown = model();
    if (!shown)
        return rows;
    QModelIndex row = indexAt(QPoint(0, 0));
    if (!row.isValid())
        row = shown->index(0, 0, rootIndex());
    const int screenful = qBound(1, viewport()->height() / qMax(1, fontMetrics().height()) + 1, 200);
    for (; row.isValid() && rows.size() < screenful; row = indexBelow(row))
        rows << row.sibling(row.row(), 0);
    return rows;
}

int kuTreeView::cellWidth(const QModelIndex& index) const
{
    QAbstractItemDelegate* delegate = index.isValid() ? itemDelegate(index) : nullptr;
    // An account row spans the columns: its width is not a column's.
    if (!delegate || !index.parent().isValid())
        return 0;
    return delegate->sizeHint(viewOptions(), index).width();
}

void kuTreeView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight, const QVector<int>& roles)
{
    const auto rowRect = [this](const QModelIndex& index) {
        const int first = firstShownColumn();
        if (first < 0 || index.model() != model())
            return QRect();
        const QRect cell = visualRect(index.sibling(index.row(), first));
        return cell.isValid() ? QRect(0, cell.top(), viewport()->width(), cell.height()) : QRect();
    };
    repaintChangedRows(this, state() == NoState, topLeft, bottomRight, rowRect,
                       [&] { QTreeView::dataChanged(topLeft, bottomRight, roles); });
}

void kuTreeView::updateGeometries()
{
    layOutScrollBars(this, [this] { QTreeView::updateGeometries(); });
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
    const int first = firstShownColumn();
    if (first < 0)
        return;
    int last = first;
    for (int visual = 0; visual < head->count(); ++visual) {
        const int logical = head->logicalIndex(visual);
        if (!head->isSectionHidden(logical))
            last = logical;
    }
    const int left = columnViewportPosition(first);
    int textLeft = left + indentation();
    if (rootIsDecorated()) {
        // The expand arrow keeps its place in the indentation.
        drawBranches(painter, QRect(left, option.rect.top(), indentation(), option.rect.height()), index);
    } else {
        // Without a root decoration the line carries its own arrow, so an account with rows never looks empty.
        const QRect arrowArea(textLeft, option.rect.top(), accountArrowWidth, option.rect.height());
        const bool selected = selectionModel() && selectionModel()->isSelected(index);
        if (selected)
            painter->fillRect(arrowArea, option.palette.brush(QPalette::Highlight));
        if (model()->hasChildren(index)) {
            QStyleOption arrow;
            arrow.initFrom(this);
            arrow.rect = arrowArea;
            arrow.state = QStyle::State_Enabled;
            // The arrow itself: a style sheet's tree rules leave no branch indicator drawn.
            style()->drawPrimitive(isExpanded(index) ? QStyle::PE_IndicatorArrowDown : QStyle::PE_IndicatorArrowRight,
                                   &arrow, painter, this);
        }
        textLeft += accountArrowWidth;
    }
    QStyleOptionViewItem cell = option;
    cell.rect = QRect(QPoint(textLeft, option.rect.top()),
                      QPoint(columnViewportPosition(last) + columnWidth(last) - 1, option.rect.bottom()));
    if (selectionModel() && selectionModel()->isSelected(index))
        cell.state |= QStyle::State_Selected;
    itemDelegate(index)->paint(painter, cell, index);
}
