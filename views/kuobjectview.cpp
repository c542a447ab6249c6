#include "kuobjectview.h"

#include "kuitemdelegate.h"
#include "kuobjectcolumnsetting.h"
#include "kupaperinfodrag.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QBitArray>
#include <QDataStream>
#include <QHash>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QTreeView>

namespace {
// What a scroll bar shows: its size, its slider, and its ends and arrows in use or not.
struct BarLook
{
    QSize size;
    QRect slider;
    bool enabled = false;
    bool empty = false;
    bool atStart = false;
    bool atEnd = false;

    bool operator==(const BarLook& other) const
    {
        return size == other.size && slider == other.slider && enabled == other.enabled && empty == other.empty &&
               atStart == other.atStart && atEnd == other.atEnd;
    }
};

BarLook lookOf(const QScrollBar* bar)
{
    QStyleOptionSlider option;
    option.initFrom(bar);
    option.subControls = QStyle::SC_All;
    option.orientation = bar->orientation();
    if (bar->orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = bar->minimum();
    option.maximum = bar->maximum();
    option.sliderPosition = bar->sliderPosition();
    option.sliderValue = bar->value();
    option.singleStep = bar->singleStep();
    option.pageStep = bar->pageStep();
    option.upsideDown = bar->invertedAppearance();
    BarLook look;
    look.size = bar->size();
    look.slider = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, bar);
    look.enabled = bar->isEnabled();
    look.empty = bar->minimum() == bar->maximum();
    look.atStart = bar->value() == bar->minimum();
    look.atEnd = bar->value() == bar->maximum();
    return look;
}
} // namespace

// Follows the user's hand on the header and the model's new rows and values.
class kuObjectView::Watch : public QObject
{
public:
    Watch(kuObjectView* owner, QAbstractItemView* view, QHeaderView* header, std::function<void()> refit)
        : m_owner(owner), m_header(header), m_refit(std::move(refit))
    {
        m_timer.setSingleShot(true);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const QSet<QModelIndex> changed = std::move(m_changedRows);
            const bool onlyChanged = !m_allRows;
            m_changedRows.clear();
            m_allRows = false;
            const QScopedValueRollback<const QSet<QModelIndex>*> rows(m_owner->m_changedRows,
                                                                     onlyChanged ? &changed : nullptr);
            m_refit();
        });
        // Rows scrolled or opened into sight may hold wider values.
        const auto rows = [this] { schedule(rowsRefitDelay); };
        connect(view->verticalScrollBar(), &QScrollBar::valueChanged, this, rows);
        if (auto* tree = qobject_cast<QTreeView*>(view))
            connect(tree, &QTreeView::expanded, this, rows);
        // The header's mouse events arrive at its viewport.
        header->viewport()->installEventFilter(this);
        connect(header, &QHeaderView::sectionResized, this, &Watch::sectionResized);
    }

    void watchModel(QAbstractItemModel* model)
    {
        for (const auto& connection : m_modelConnections)
            disconnect(connection);
        m_modelConnections.clear();
        if (!model)
            return;
        const auto rows = [this] { schedule(rowsRefitDelay); };
        m_modelConnections << connect(model, &QAbstractItemModel::rowsInserted, this, rows)
                           << connect(model, &QAbstractItemModel::layoutChanged, this, rows)
                           << connect(model, &QAbstractItemModel::modelReset, this,
                                      [this] {
                                          m_owner->m_valueWidths.clear();
                                          m_owner->m_numberWidths.clear();
                                          schedule(rowsRefitDelay);
                                      })
                           << connect(model, &QAbstractItemModel::rowsRemoved, this, rows)
                           << connect(model, &QAbstractItemModel::rowsMoved, this, rows)
                           << connect(model, &QAbstractItemModel::dataChanged, this, &Watch::valuesChanged);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            m_userSizing = true;
            break;
        case QEvent::MouseButtonRelease:
            m_userSizing = false;
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Too many rows to note one by one: the refit measures every row shown.
    static constexpr int maxNotedRows = 1000;

    void valuesChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight)
    {
        if (!m_allRows) {
            const int count = bottomRight.row() - topLeft.row() + 1;
            if (!topLeft.isValid() || topLeft.parent() != bottomRight.parent() || count < 1 ||
                m_changedRows.size() + count > maxNotedRows) {
                m_allRows = true;
                m_changedRows.clear();
            } else {
                for (int row = topLeft.row(); row <= bottomRight.row(); ++row)
                    m_changedRows.insert(topLeft.sibling(row, 0));
            }
        }
        schedule(valuesRefitDelay, false);
    }

    void schedule(int delay, bool allRows = true)
    {
        if (allRows) {
            m_allRows = true;
            m_changedRows.clear();
        }
        // A burst of values refits once; new rows do not wait behind a values refit.
        if (!m_timer.isActive() || m_timer.remainingTime() > delay)
            m_timer.start(delay);
    }

    void sectionResized(int section, int, int size)
    {
        if (m_owner->m_fitting || !m_userSizing)
            return;
        m_owner->m_keptSections.insert(section);
        m_owner->m_savedSections.remove(section);
        // The drag stops at the column's widest number: a cut number is a wrong one.
        const int number = m_owner->m_numberWidths.value(section);
        if (size < number) {
            const QScopedValueRollback<bool> fitting(m_owner->m_fitting, true);
            m_header->resizeSection(section, number);
        }
    }

    kuObjectView* m_owner;
    QHeaderView* m_header;
    std::function<void()> m_refit;
    QTimer m_timer;
    QList<QMetaObject::Connection> m_modelConnections;
    bool m_userSizing = false;
    // What the pending refit measures: every row shown, or the rows whose values changed.
    bool m_allRows = false;
    QSet<QModelIndex> m_changedRows;
};

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
        if (savedSectionCount(bytes) == header->count() && header->restoreState(bytes)) {
            // A saved width is kept, but it may be one fitted to other values
            // (or none yet): it only grows to show its header and values.
            m_keptSections.clear();
            for (int section = 0; section < header->count(); ++section)
                m_savedSections.insert(section);
        }
    }
    readColumnState();
    applyColumnState();
}

void kuObjectView::watchColumns(QAbstractItemView* view, QHeaderView* header, std::function<void()> refit)
{
    m_watch = std::make_unique<Watch>(this, view, header, std::move(refit));
}

void kuObjectView::watchModel(QAbstractItemModel* model)
{
    m_valueWidths.clear();
    m_numberWidths.clear();
    if (m_watch)
        m_watch->watchModel(model);
}

void kuObjectView::measureValues(const QHeaderView* header)
{
    const QVector<QModelIndex> rows = shownRows();
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        int value = m_valueWidths.value(section);
        int number = m_numberWidths.value(section);
        for (const QModelIndex& row : rows) {
            if (m_changedRows && !m_changedRows->contains(row))
                continue;
            const QModelIndex cell = row.sibling(row.row(), section);
            const int width = cellWidth(cell);
            if (width <= 0)
                continue;
            value = qMax(value, width);
            if (width > number && kuItemDelegate::isNumberText(cell.data(Qt::DisplayRole).toString()))
                number = width;
        }
        m_valueWidths.insert(section, value);
        m_numberWidths.insert(section, number);
    }
}

void kuObjectView::fitColumns(QHeaderView* header)
{
    if (!header)
        return;
    header->setSectionResizeMode(QHeaderView::Interactive);
    QVector<int> shown;
    for (int section = 0; section < header->count(); ++section) {
        if (!header->isSectionHidden(section))
            shown << section;
    }
    if (shown.isEmpty())
        return;
    measureValues(header);
    // A long text (a note, a reason) does not push the other columns out of sight.
    const int textCap = header->fontMetrics().averageCharWidth() * 40;
    QVector<int> sizes;
    QVector<int> free;
    int total = 0;
    for (int at = 0; at < shown.size(); ++at) {
        const int section = shown.at(at);
        const int number = m_numberWidths.value(section);
        int size = 0;
        if (m_keptSections.contains(section)) {
            size = qMax(header->sectionSize(section), number);
        } else {
            const int title = header->sectionSizeHint(section);
            size = qMax(qMax(header->minimumSectionSize(), title),
                        qMax(qMin(m_valueWidths.value(section), qMax(title, textCap)), number));
            if (m_savedSections.contains(section))
                size = qMax(size, header->sectionSize(section));
            else
                free << at;
        }
        sizes << size;
        total += size;
    }
    // Computed from the header's geometry: while a view is being shown its
    // header's viewport still has its old size.
    const int spare = header->width() - total;
    if (spare > 0 && !free.isEmpty()) {
        const int share = spare / free.size();
        int rest = spare % free.size();
        for (int at : free)
            sizes[at] += share + (rest-- > 0 ? 1 : 0);
    }
    const QScopedValueRollback<bool> fitting(m_fitting, true);
    for (int at = 0; at < shown.size(); ++at) {
        if (header->sectionSize(shown.at(at)) != sizes.at(at))
            header->resizeSection(shown.at(at), sizes.at(at));
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

void kuObjectView::repaintChangedRows(QAbstractItemView* view, bool settled, const QModelIndex& topLeft,
                                      const QModelIndex& bottomRight,
                                      const std::function<QRect(const QModelIndex&)>& rowRect,
                                      const std::function<void()>& handle)
{
    QWidget* viewport = view->viewport();
    // A view that waits to lay out its items (a timer of its own runs) repaints them all then,
    // and asking it where a row is now would lay them out before their time.
    const auto* dispatcher = QAbstractEventDispatcher::instance(view->thread());
    if (!settled || topLeft == bottomRight || !topLeft.isValid() || !bottomRight.isValid() ||
        topLeft.parent() != bottomRight.parent() || !view->isVisible() || QAccessible::isActive() ||
        viewport->testAttribute(Qt::WA_UpdatesDisabled) || !dispatcher ||
        !dispatcher->registeredTimers(view).isEmpty()) {
        handle();
        return;
    }
    const auto rows = [&] {
        const QRect first = rowRect(topLeft);
        const QRect last = rowRect(bottomRight);
        return first.isValid() && last.isValid() ? first | last : QRect();
    };
    const QRect before = rows();
    viewport->setAttribute(Qt::WA_UpdatesDisabled, true);
    handle();
    viewport->setAttribute(Qt::WA_UpdatesDisabled, false);
    const QRect after = rows();
    if (!before.isValid() || after != before) {
        viewport->update();
        return;
    }
    viewport->update(QRect(0, after.top(), viewport->width(), after.height()));
}

void kuObjectView::layOutScrollBars(QAbstractItemView* view, const std::function<void()>& layout)
{
    QScrollBar* bars[] = {view->verticalScrollBar(), view->horizontalScrollBar()};
    BarLook before[2];
    bool quieted[2] = {false, false};
    for (int i = 0; i < 2; ++i) {
        QScrollBar* bar = bars[i];
        // Only a bar on screen, whose updates nobody else holds.
        if (bar && bar->isVisible() && !bar->testAttribute(Qt::WA_UpdatesDisabled)) {
            before[i] = lookOf(bar);
            bar->setAttribute(Qt::WA_UpdatesDisabled, true);
            quieted[i] = true;
        }
    }
    layout();
    for (int i = 0; i < 2; ++i) {
        if (!quieted[i])
            continue;
        QScrollBar* bar = bars[i];
        bar->setAttribute(Qt::WA_UpdatesDisabled, false);
        if (!bar->isVisible() || !(lookOf(bar) == before[i]))
            bar->update();
    }
}
