#pragma once

#include "kuobjectheaderitem.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QPoint>
#include <QSet>
#include <QSharedPointer>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QAbstractItemModel;
class QAbstractItemView;
class QHeaderView;
class QMouseEvent;
class QObject;

// The column map shared by the table and tree views: model column -> descriptor.
// Key 0 is a hidden placeholder, so a window's own columns start at 1.
// Also the pending instrument drag both views start.
class kuObjectView
{
public:
    using ColumnMap = QMap<int, QSharedPointer<kuObjectHeaderItem>>;

    // How soon the widths follow new rows, and how often at most changed values.
    static constexpr int rowsRefitDelay = 50;
    static constexpr int valuesRefitDelay = 1000;

    kuObjectView();
    virtual ~kuObjectView();

    // Appends the descriptors after the largest key present, then applies them.
    void buildColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns);
    void addPlaceholderColumn();
    // Runs the column settings dialog: OK applies, Cancel restores what the header shows.
    virtual void columnSetting();
    // Descriptors' visible flags from the header.
    virtual void readColumnState() = 0;
    // Header sections hidden or shown from the descriptors.
    virtual void applyColumnState() = 0;

    const ColumnMap& columnMap() const;
    QList<QSharedPointer<kuObjectHeaderItem>> columnList() const;

protected:
    // "columnState" of the windows: Base64 of the header's saved state as Latin-1, empty for none.
    static QString saveColumnState(const QHeaderView* header);
    // A non-empty text is restored into the header when it was saved for as many
    // columns; then, in every case, the descriptors are re-read and applied.
    void restoreColumnState(QHeaderView* header, const QString& state);
    // Each shown column gets the width of its header and of the widest value
    // seen in it (a text only within reason), and the columns the user did not
    // size share what is left of the width; a width the user dragged is kept,
    // one the saved layout gave is kept or widened to show header and values.
    // A column never gets narrower than its widest number: the view scrolls instead.
    void fitColumns(QHeaderView* header);
    // Starts following the user's drags on the header and refits with refit
    // (the view's own fitColumns) when rows or values arrive in the model or
    // come into sight.
    void watchColumns(QAbstractItemView* view, QHeaderView* header, std::function<void()> refit);
    void watchModel(QAbstractItemModel* model);
    // The column-0 index of each row shown now, at most a screenful.
    virtual QVector<QModelIndex> shownRows() const = 0;
    // The width a cell's content takes in the view, or 0 for a cell drawn elsewhere.
    virtual int cellWidth(const QModelIndex& index) const = 0;

    // The press a window's view recorded for a drag of an instrument.
    void setPendingDrag(const QPoint& pressPoint, int paperID);
    int pendingPaperID() const;
    // True when a left-button move got further than the start-drag distance from the press.
    bool dragDistanceReached(const QMouseEvent* event) const;
    // Runs the drag of the pending instrument (nothing when none) and clears it.
    void runPendingDrag(QObject* source, Qt::DropActions supportedActions);
    // The view's own handling of changed data (handle), with the repaint kept to the rows
    // of the range: Qt repaints the whole viewport for any range of more than one cell.
    // rowRect gives a row's place in the viewport, an invalid rectangle when it is unknown;
    // when it is unknown or moved by the change, or the view is busy (settled false: editing,
    // animating), the whole viewport repaints as before.
    static void repaintChangedRows(QAbstractItemView* view, bool settled, const QModelIndex& topLeft,
                                   const QModelIndex& bottomRight,
                                   const std::function<QRect(const QModelIndex&)>& rowRect,
                                   const std::function<void()>& handle);
    // The view's own layout of its scroll bars (layout), with a bar repainted only when it
    // looks different: a longer list whose slider stays as it was changes nothing on screen,
    // and a bar drawn again is drawn with what lies beneath it.
    static void layOutScrollBars(QAbstractItemView* view, const std::function<void()>& layout);

    ColumnMap m_columns;
    QPoint m_pressPoint;
    int m_pressPaperID = 0;

private:
    class Watch;
    friend class Watch;
    // Widest value and widest number seen per section.
    void measureValues(const QHeaderView* header);

    std::unique_ptr<Watch> m_watch;
    // Sections the user sized, and sections the saved layout sized.
    QSet<int> m_keptSections;
    QSet<int> m_savedSections;
    QHash<int, int> m_valueWidths;
    QHash<int, int> m_numberWidths;
    bool m_fitting = false;
    // While a refit for changed values alone runs: the rows whose values changed (column 0).
    // Every other row was measured with the values it shows, and widths only grow.
    const QSet<QModelIndex>* m_changedRows = nullptr;
};
