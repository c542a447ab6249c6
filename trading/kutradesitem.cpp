#include "kutradesitem.h"

#include "kufunctions.h"

namespace {
const QChar blank(QLatin1Char(' '));
} // namespace

kuTradesItem::kuTradesItem(qint64 tradeID, int paperID, const QDateTime& dateTime, int act, qint64 amount, double price,
                           double total, double comiss, double balance, const QString& note)
    : kuAccountRowItem(paperID, dateTime, act, amount, price, total), m_tradeID(tradeID), m_comiss(comiss),
      m_balance(balance), m_note(note)
{}

QString kuTradesItem::actText(int act)
{
    switch (act) {
    case 1:
        return tr("Покупка");
    case 2:
        return tr("Продажа");
    case 3:
    case 6:
    case 10:
        return tr("Зачисление");
    case 4:
    case 7:
    case 11:
        return tr("Списание");
    case 5:
        return tr("Пересчет");
    case 8:
        return tr("Процент");
    case 9:
        return tr("Депозитарный сбор");
    default:
        return QString();
    }
}

QString kuTradesItem::displayText(int column) const
{
    switch (column) {
    case 4:
        return actText(m_act);
    case 8:
        return formatNumber(m_comiss, 2, blank);
    case 9:
        return formatNumber(m_balance, 2, blank);
    case 10:
        return m_note;
    default:
        return kuAccountRowItem::displayText(column);
    }
}

int kuTradesItem::alignment(int column) const
{
    switch (column) {
    case 8:
    case 9:
        return Qt::AlignRight | Qt::AlignVCenter;
    default:
        return kuAccountRowItem::alignment(column);
    }
}

QColor kuTradesItem::actColor(int) const
{
    switch (m_act) {
    case 1:
        return QColor(QStringLiteral("#90EE90"));
    case 2:
        return QColor(QStringLiteral("#FFC0CB"));
    default:
        return QColor(Qt::transparent);
    }
}

bool kuTradesItem::sameColumn(const kuTradesItem& other, int column) const
{
    switch (column) {
    case 2:
    case 3:
        // The tool tip tells the issuer.
        return sameSharedColumn(other, column) && m_issuer == other.m_issuer;
    case 4:
        return actText(m_act) == actText(other.m_act);
    case 8:
        return m_comiss == other.m_comiss;
    case 9:
        return m_balance == other.m_balance;
    case 10:
        return m_note == other.m_note;
    default:
        return sameSharedColumn(other, column);
    }
}

QString kuTradesItem::toolTip(int column) const
{
    switch (column) {
    case 10:
        return m_note;
    default:
        return kuAccountRowItem::toolTip(column);
    }
}

QVariant kuTradesItem::sortValue(int column) const
{
    switch (column) {
    case 8:
        return m_comiss;
    case 9:
        return m_balance;
    default:
        return kuAccountRowItem::sortValue(column);
    }
}

int kuTradesItem::itemType() const
{
    return itTrades;
}
