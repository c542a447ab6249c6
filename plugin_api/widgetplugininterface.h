#pragma once

#include <QPixmap>
#include <QSharedPointer>
#include <QtPlugin>

#include "kubaseplugininterface.h"

class QWidget;
class kuAbstractPluginWidget;
class kuAbstractPaperList;
class kuAbstractAccount;
class kuAbstractConnectionManager;

// A plug-in that adds a window to the program. It is handed the program's
// registries through their interfaces only, so a plug-in builds from this
// library's headers alone.
class WidgetPluginInterface : public kuBasePluginInterface
{
public:
    virtual QSharedPointer<kuAbstractPluginWidget> createWindow(kuAbstractPaperList* papers, kuAbstractAccount* account,
                                                                kuAbstractConnectionManager* connections,
                                                                QWidget* parent) = 0;
    virtual QPixmap icon() const = 0;
};

#define WidgetPluginInterface_iid "ru.Brenholt.Velmoran.WidgetPluginInterface"
Q_DECLARE_INTERFACE(WidgetPluginInterface, WidgetPluginInterface_iid)
