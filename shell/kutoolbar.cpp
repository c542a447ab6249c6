#include "kutoolbar.h"

kuToolBar::kuToolBar(QWidget* parent) : QToolBar(parent)
{
    setObjectName(QStringLiteral("kuToolBar"));
    setContextMenuPolicy(Qt::PreventContextMenu);
}
