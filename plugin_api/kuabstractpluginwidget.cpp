#include "kuabstractpluginwidget.h"

#include <QDebug>

kuAbstractPluginWidget::kuAbstractPluginWidget(kuAbstractPaperList* paperList, kuAbstractAccount* account,
                                               kuAbstractConnectionManager* connectionManager, QWidget* parent)
    : QWidget(parent), m_paperList(paperList), m_account(account), m_connectionManager(connectionManager)
{}

QJsonObject kuAbstractPluginWidget::menuEntries()
{
    qWarning().noquote() << tr("Не удалось встроиться в меню приложения");
    return QJsonObject();
}
