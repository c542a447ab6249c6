#include "kutabbar.h"

kuTabBar::kuTabBar(QWidget* parent) : QTabBar(parent)
{
    setObjectName(QStringLiteral("kuTabBar"));
    setMovable(true);
    setShape(QTabBar::RoundedSouth);
    setDrawBase(false);
}

void kuTabBar::tabInserted(int index)
{
    QTabBar::tabInserted(index);
    updateClosable();
}

void kuTabBar::tabRemoved(int index)
{
    QTabBar::tabRemoved(index);
    updateClosable();
}

void kuTabBar::updateClosable()
{
    const bool closable = count() >= 2;
    if (tabsClosable() != closable)
        setTabsClosable(closable);
}
