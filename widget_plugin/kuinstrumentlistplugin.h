#pragma once

#include "widgetplugininterface.h"

#include <QObject>

// Entry point of the instrument list plug-in.
class kuInstrumentListPlugin : public QObject, public WidgetPluginInterface
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID WidgetPluginInterface_iid)
    Q_INTERFACES(WidgetPluginInterface)

public:
    int type() const override;
    QString pluginName() const override;
    QString description() const override;
    QString guid() const override;
    int version() const override;
    QSharedPointer<kuAbstractPluginWidget> createWindow(kuAbstractPaperList* papers, kuAbstractAccount* account,
                                                        kuAbstractConnectionManager* connections,
                                                        QWidget* parent) override;
    QPixmap icon() const override;
};
