#pragma once

#include "kuitemdelegate.h"

#include <QFont>
#include <QHash>
#include <QStaticText>

// Paints the quotes cells as the standard delegate does, but keeps the laid
// out text of each string: the table repaints many times a second and text
// shaping is most of a cell's cost. A text that does not fit its cell goes
// the standard way (eliding a text, wrapping; a number is never elided).
class kuQuotesDelegate : public kuItemDelegate
{
    Q_OBJECT
public:
    explicit kuQuotesDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    struct Text
    {
        QStaticText text;
        // The advance of the whole line, which the style aligns by.
        qreal width = 0;
        qreal height = 0;
    };
    const Text& preparedText(const QString& text, const QFont& font) const;

    mutable QHash<QString, Text> m_texts;
    mutable QFont m_font;
};
