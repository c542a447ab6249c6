#pragma once

#include <QStyledItemDelegate>

// The cell delegate of the list windows: as the standard one, except that a
// number (price, volume, sum, percentage, date or time) is never elided — a
// cut number reads as another number. The views widen such columns instead.
class kuItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit kuItemDelegate(QObject* parent = nullptr);

    // True for a text of digits with separators and signs (no letter in it).
    static bool isNumberText(const QString& text);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
