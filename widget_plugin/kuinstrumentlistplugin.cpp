#include "kuinstrumentlistplugin.h"

#include "kuinstrumentlistwindow.h"

int kuInstrumentListPlugin::type() const
{
    return pkWidget;
}

QString kuInstrumentListPlugin::pluginName() const
{
    return tr("Список инструментов");
}

QString kuInstrumentListPlugin::description() const
{
    return tr("Окно со списком инструментов, перенесенных в него мышью");
}

QString kuInstrumentListPlugin::guid() const
{
    return QStringLiteral(KU_PLUGIN_GUID);
}

int kuInstrumentListPlugin::version() const
{
    return KU_PLUGIN_VERSION;
}

QSharedPointer<kuAbstractPluginWidget> kuInstrumentListPlugin::createWindow(kuAbstractPaperList* papers,
                                                                            kuAbstractAccount* account,
                                                                            kuAbstractConnectionManager* connections,
                                                                            QWidget* parent)
{
    return QSharedPointer<kuAbstractPluginWidget>(new kuInstrumentListWindow(papers, account, connections, parent));
}

QPixmap kuInstrumentListPlugin::icon() const
{
    return QPixmap(QStringLiteral(":/ku_instrumentlist/ku_instrumentlist.png"));
}
