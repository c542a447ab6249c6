#include "kupluginmanagerabstractitem.h"

kuPluginManagerAbstractItem::kuPluginManagerAbstractItem(QObject* parent) : QObject(parent)
{}

uint kuPluginManagerAbstractItem::stateFlags() const
{
    return 0;
}

bool kuPluginManagerAbstractItem::isInstalled() const
{
    return false;
}

bool kuPluginManagerAbstractItem::isEnabled() const
{
    return false;
}

bool kuPluginManagerAbstractItem::reservedFlag() const
{
    return false;
}

int kuPluginManagerAbstractItem::downloadProgress() const
{
    return 0;
}

double kuPluginManagerAbstractItem::price() const
{
    return 0.0;
}
