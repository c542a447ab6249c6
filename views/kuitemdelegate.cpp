#include "kuitemdelegate.h"

#include <QApplication>
#include <QEvent>
#include <QStyle>

namespace {
// Kept sizes beyond this are dropped together: the texts of a busy market keep changing.
constexpr int maxKeptSizes = 4096;
} // namespace

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

bool kuItemDelegate::SizeKey::operator==(const SizeKey& other) const
{
    return widget == other.widget && style == other.style && features == other.features && state == other.state &&
           position == other.position && alignment == other.alignment && elide == other.elide &&
           text == other.text && font == other.font;
}

uint qHash(const kuItemDelegate::SizeKey& key, uint seed)
{
    return qHash(key.text, seed) ^ qHash(key.font, seed) ^ qHash(quintptr(key.widget), seed) ^
           qHash(key.features * 31 + key.state * 7 + key.position, seed);
}

QSize kuItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant fixed = index.data(Qt::SizeHintRole);
    if (fixed.isValid())
        return qvariant_cast<QSize>(fixed);
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // An icon, a check box or wrapped text: measured each time, as the standard delegate does.
    const auto other = QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator |
                       QStyleOptionViewItem::WrapText;
    if (!widget || (opt.features & other))
        return style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
    const SizeKey key{widget,
                      style,
                      opt.font,
                      opt.text,
                      int(opt.features),
                      int(opt.state),
                      int(opt.viewItemPosition),
                      int(opt.displayAlignment),
                      int(opt.textElideMode)};
    const auto kept = m_sizes.constFind(key);
    if (kept != m_sizes.constEnd())
        return *kept;
    if (!m_watched.contains(widget)) {
        // A new style sheet for the application keeps the style object: the view's events tell.
        const_cast<QWidget*>(widget)->installEventFilter(const_cast<kuItemDelegate*>(this));
        m_watched.insert(widget);
        connect(widget, &QObject::destroyed, this, [this](QObject* gone) {
            m_watched.remove(gone);
            m_sizes.clear();
        });
    }
    if (m_sizes.size() >= maxKeptSizes)
        m_sizes.clear();
    const QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
    m_sizes.insert(key, size);
    return size;
}

bool kuItemDelegate::eventFilter(QObject* watched, QEvent* event)
{
    // A watched view is no editor: its keys and focus are none of the delegate's business.
    if (!m_watched.contains(watched))
        return QStyledItemDelegate::eventFilter(watched, event);
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        m_sizes.clear();
    return false;
}
