#pragma once

#include "kutableview.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QSharedPointer>

#include <functional>

class kuQuotesItem;
class kuQuotesModel;

// The quotes table, whose rows can be dragged out as instruments.
//
// With tracked updates on, changed records do not repaint the whole table:
// refreshCells(), run once a burst of records is in and sorted, repaints
// only the cells whose content differs from what was painted there.
class kuQuotesView : public kuTableView
{
    Q_OBJECT
public:
    explicit kuQuotesView(QWidget* parent = nullptr);

    // The caller then runs refreshCells() after every change of the rows' data.
    void setTrackedUpdates(bool tracked);
    bool trackedUpdates() const { return m_tracked; }
    void refreshCells();
    // Runs change (a sort of the rows), then refreshCells(); the header repaints only if its
    // sections moved.
    void refreshAfter(const std::function<void()>& change);

protected:
    // A left press on a row arms the drag of that row's instrument.
    void mousePressEvent(QMouseEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QVector<int>& roles = QVector<int>()) override;
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    // What was painted into one cell.
    struct Painted
    {
        QSharedPointer<kuQuotesItem> item;
        QSize size;
        bool selected = false;
        bool current = false;
    };

    kuQuotesModel* quotesModel() const;
    template <typename Visit>
    void forEachVisibleCell(Visit visit) const;
    Painted paintedNow(const QModelIndex& index, const QRect& rect) const;
    bool lookChanged() const;

    bool m_tracked = false;
    QHash<quint64, Painted> m_painted;
    int m_rowsAtRefresh = -1;
    QColor m_upColor;
    QColor m_downColor;
    QFont m_font;
};
