#include "kuquotesdelegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace {
// Enough for every text a screen of quotes shows, and then some.
constexpr int maxTexts = 8192;
} // namespace

kuQuotesDelegate::kuQuotesDelegate(QObject* parent) : kuItemDelegate(parent)
{}

const kuQuotesDelegate::Text& kuQuotesDelegate::preparedText(const QString& text, const QFont& font) const
{
    if (font != m_font || m_texts.size() >= maxTexts) {
        m_texts.clear();
        m_font = font;
    }
    auto it = m_texts.find(text);
    if (it == m_texts.end()) {
        Text prepared;
        prepared.text.setText(text);
        prepared.text.setTextFormat(Qt::PlainText);
        prepared.text.prepare(QTransform(), font);
        const QFontMetricsF metrics(font);
        // The laid out line has the advance already, but leaves trailing blanks out of it.
        prepared.width = text.endsWith(QLatin1Char(' ')) || text.endsWith(QChar::Nbsp)
                                 ? metrics.horizontalAdvance(text)
                                 : prepared.text.size().width();
        prepared.height = metrics.height();
        it = m_texts.insert(text, prepared);
    }
    return it.value();
}

void kuQuotesDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // A style sheet pads and paints the cells its own way: leave them to it.
    if (style->inherits("QStyleSheetStyle")) {
        kuItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString text = opt.text;
    const bool plain = opt.direction == Qt::LeftToRight && !text.contains(QLatin1Char('\n')) &&
                       !(opt.features & QStyleOptionViewItem::HasCheckIndicator) &&
                       opt.decorationPosition == QStyleOptionViewItem::Left &&
                       opt.showDecorationSelected
                       // The style's focus frame goes over the text: the one current cell goes its way.
                       && !(opt.state & (QStyle::State_HasFocus | QStyle::State_Editing));
    if (!plain || text.isEmpty()) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    // The style lays the cell out without its text: background, selection, icon.
    opt.text.clear();
    opt.features &= ~QStyleOptionViewItem::HasDisplay;
    const bool decorated = opt.features & QStyleOptionViewItem::HasDecoration;
    // The style leaves a cell without icon, background or selection as it is
    // and gives its text the whole cell.
    const bool bare = !decorated && opt.backgroundBrush.style() == Qt::NoBrush &&
                      !(opt.state & (QStyle::State_Selected | QStyle::State_MouseOver));
    const QRect display = decorated ? style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget) : opt.rect;
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = display.adjusted(margin, 0, -margin, 0);
    const Text& prepared = preparedText(text, opt.font);
    const QSizeF size(prepared.width, prepared.height);
    if (size.width() > textRect.width() || size.height() > textRect.height()) {
        opt.text = text;
        opt.features |= QStyleOptionViewItem::HasDisplay;
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    if (!bare)
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QColor colour =
            opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text);

    qreal x = textRect.left();
    if (opt.displayAlignment & Qt::AlignRight)
        x = textRect.left() + textRect.width() - size.width();
    else if (opt.displayAlignment & Qt::AlignHCenter)
        x = textRect.left() + (textRect.width() - size.width()) / 2;
    qreal y = textRect.top() + (textRect.height() - size.height()) / 2;
    if (opt.displayAlignment & Qt::AlignTop)
        y = textRect.top();
    else if (opt.displayAlignment & Qt::AlignBottom)
        y = textRect.top() + textRect.height() - size.height();

    painter->save();
    painter->setClipRect(opt.rect);
    painter->setPen(colour);
    painter->setFont(opt.font);
    painter->drawStaticText(QPointF(x, y), prepared.text);
    painter->restore();
}
