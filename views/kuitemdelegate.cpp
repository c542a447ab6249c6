#include "kuitemdelegate.h"

kuItemDelegate::kuItemDelegate(QObject* parent) : QStyledItemDelegate(parent)
{}

bool kuItemDelegate::isNumberText(const QString& text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c.isDigit())
            digit = true;
        else if (c.isLetter())
            return false;
    }
    return digit;
}

void kuItemDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (isNumberText(option->text))
        option->textElideMode = Qt::ElideNone;
}
