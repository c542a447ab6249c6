#pragma once

#include "kuobjectmodelabstractitem.h"

#include <QSharedPointer>
#include <QStringList>
#include <QVariantList>

// A row whose cells are given as texts and sort values; column c answers
// "tip c" as tooltip and colours by the sign of its sort value.
class TestItem : public kuObjectModelAbstractItem
{
public:
    explicit TestItem(const QStringList& texts, const QVariantList& sortValues = {}, int type = itQuotes)
        : m_texts(texts), m_sortValues(sortValues), m_type(type)
    {}

    static QSharedPointer<kuObjectModelAbstractItem> make(const QStringList& texts, const QVariantList& sortValues = {})
    {
        return QSharedPointer<TestItem>::create(texts, sortValues);
    }

    QString displayText(int column) const override { return m_texts.value(column); }
    void setText(int column, const QString& text) { m_texts[column] = text; }
    QVariant decoration(int column) const override { return column == 1 ? QVariant(QColor(Qt::red)) : QVariant(); }
    int alignment(int column) const override { return column == 1 ? int(Qt::AlignLeft | Qt::AlignVCenter) : 130; }
    QColor color(int column) const override { return signColor(m_sortValues.value(column).toDouble()); }
    QString toolTip(int column) const override { return QStringLiteral("tip %1").arg(column); }
    QVariant sortValue(int column) const override { return m_sortValues.value(column); }
    int itemType() const override { return m_type; }

private:
    QStringList m_texts;
    QVariantList m_sortValues;
    int m_type;
};
