#include "kupaperlistitem.h"

#include "kupaperinfo.h"
#include "kupaperlist.h"

namespace {
QVector<QSharedPointer<kuObjectModelAbstractItem>> rowsOf(const QHash<int, QSharedPointer<kuPaperInfo>>& table)
{
    QVector<QSharedPointer<kuObjectModelAbstractItem>> rows;
    rows.reserve(table.size());
    for (const QSharedPointer<kuPaperInfo>& paper : table)
        rows.append(QSharedPointer<kuPaperListItem>::create(paper));
    return rows;
}
} // namespace

kuPaperListItem::kuPaperListItem(const QSharedPointer<kuPaperInfo>& paper) : m_paper(paper)
{}

QString kuPaperListItem::displayText(int column) const
{
    const QSharedPointer<kuPaperInfo> paper = m_paper.toStrongRef();
    if (!paper)
        return QString();
    switch (column) {
    case 1:
        return paper->exchangeName();
    case 2:
        return paper->ticker();
    case 3:
        return paper->shortName();
    case 4:
        return paper->issuer();
    case 5:
        return paper->typeName();
    default:
        return QString();
    }
}

QVariant kuPaperListItem::decoration(int) const
{
    return QVariant();
}

int kuPaperListItem::alignment(int) const
{
    return Qt::AlignLeft | Qt::AlignVCenter;
}

QColor kuPaperListItem::color(int) const
{
    return QColor(Qt::black);
}

QString kuPaperListItem::toolTip(int column) const
{
    return column >= 2 && column <= 4 ? displayText(column) : QString();
}

QVariant kuPaperListItem::sortValue(int column) const
{
    return displayText(column);
}

int kuPaperListItem::itemType() const
{
    return itPaperList;
}

int kuPaperListItem::paperID() const
{
    const QSharedPointer<kuPaperInfo> paper = m_paper.toStrongRef();
    return paper ? paper->id() : 0;
}

int kuPaperListItem::exchangeID() const
{
    const QSharedPointer<kuPaperInfo> paper = m_paper.toStrongRef();
    return paper ? paper->exchangeID() : 0;
}

bool kuPaperListItem::isAlive() const
{
    return !m_paper.isNull();
}

QVector<QSharedPointer<kuObjectModelAbstractItem>> makeItems()
{
    return rowsOf(kuPaperList::instance()->papersTable());
}

QVector<QSharedPointer<kuObjectModelAbstractItem>> makeOptionItems()
{
    return rowsOf(kuPaperList::instance()->optionsTable());
}
