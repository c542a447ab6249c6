#include "kuobjectheaderitem.h"

kuObjectHeaderItem::kuObjectHeaderItem(QObject* parent) : QObject(parent)
{}

kuObjectHeaderItem::kuObjectHeaderItem(const QString& title, const QString& toolTip, bool visible, QObject* parent)
    : QObject(parent), m_title(title), m_toolTip(toolTip), m_visible(visible)
{}

QSharedPointer<kuObjectHeaderItem> kuObjectHeaderItem::create(const QString& title, const QString& toolTip,
                                                              bool visible)
{
    return QSharedPointer<kuObjectHeaderItem>(new kuObjectHeaderItem(title, toolTip, visible));
}

QSharedPointer<kuObjectHeaderItem> kuObjectHeaderItem::createHidden(const QString& title)
{
    QSharedPointer<kuObjectHeaderItem> item = create(title, QString(), false);
    item->m_alwaysHidden = true;
    return item;
}

QString kuObjectHeaderItem::title() const
{
    return m_title;
}

void kuObjectHeaderItem::setTitle(const QString& title)
{
    m_title = title;
}

QString kuObjectHeaderItem::toolTip() const
{
    return m_toolTip;
}

void kuObjectHeaderItem::setToolTip(const QString& toolTip)
{
    m_toolTip = toolTip;
}

int kuObjectHeaderItem::alignment() const
{
    return m_alignment;
}

void kuObjectHeaderItem::setAlignment(int alignment)
{
    m_alignment = alignment;
}

bool kuObjectHeaderItem::isVisible() const
{
    return m_visible;
}

void kuObjectHeaderItem::setVisible(bool visible)
{
    m_visible = visible;
}

bool kuObjectHeaderItem::isAlwaysHidden() const
{
    return m_alwaysHidden;
}
