#pragma once

#include "kuitemdelegate.h"

#include <QColor>

// Paints account rows as one line (title left, summary right) and item rows
// with a grid of left and bottom edges.
class kuTreeViewDelegate : public kuItemDelegate
{
    Q_OBJECT
public:
    explicit kuTreeViewDelegate(QObject* parent = nullptr);

    QColor gridColor() const;
    void setGridColor(const QColor& color);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QColor m_gridColor = QColor(QStringLiteral("#6c6c6c"));
};
