#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QSharedPointer>
#include <QVector>
#include <QWeakPointer>

class kuPaperInfo;

// One instrument of the instrument lists. Holds its record weakly: once the
// registry replaced the record, the row is blank and carries no instrument.
class kuPaperListItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    explicit kuPaperListItem(const QSharedPointer<kuPaperInfo>& paper);

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override;

    // 0 once the record is gone.
    int paperID() const;
    int exchangeID() const;
    bool isAlive() const;

private:
    QWeakPointer<kuPaperInfo> m_paper;
};

// Rows of the registry's instruments without the options, in its table's order.
QVector<QSharedPointer<kuObjectModelAbstractItem>> makeItems();
// Rows of the registry's options only.
QVector<QSharedPointer<kuObjectModelAbstractItem>> makeOptionItems();
