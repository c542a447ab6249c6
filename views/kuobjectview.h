#pragma once

#include "kuobjectheaderitem.h"

#include <QList>
#include <QMap>
#include <QPoint>
#include <QSharedPointer>
#include <QString>

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
    static void fitColumns(QHeaderView* header);

    // The press a window's view recorded for a drag of an instrument.
    void setPendingDrag(const QPoint& pressPoint, int paperID);
    int pendingPaperID() const;
    // True when a left-button move got further than the start-drag distance from the press.
    bool dragDistanceReached(const QMouseEvent* event) const;
    // Runs the drag of the pending instrument (nothing when none) and clears it.
    void runPendingDrag(QObject* source, Qt::DropActions supportedActions);

    ColumnMap m_columns;
    QPoint m_pressPoint;
    int m_pressPaperID = 0;
};
