#pragma once

#include <QFont>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QStyledItemDelegate>

class QStyle;

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

    // As the standard size, kept for a cell of text only: the views measure their
    // cells for column widths and row heights after every change, and laying out
    // the same text again is most of that cost.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Everything the style's size of a text-only cell depends on.
    struct SizeKey
    {
        const QWidget* widget;
        const QStyle* style;
        QFont font;
        QString text;
        int features;
        int state;
        int position;
        int alignment;
        int elide;
        bool operator==(const SizeKey& other) const;
    };
    friend uint qHash(const SizeKey& key, uint seed);

    mutable QHash<SizeKey, QSize> m_sizes;
    // The widgets watched for a change of style or font, which drops the kept sizes.
    mutable QSet<const QObject*> m_watched;
};
