#pragma once

#include <QPixmap>
#include <QSharedPointer>
#include <QtPlugin>

#include "kubaseplugininterface.h"

class QWidget;
class kuAbstractPluginWidget;
class kuPaperList;
class kuAccount;
class kuConnectionManager;

// A plug-in that adds a window to the program. The host types are only
// declared here so that this library does not depend on the program's layers;
// a plug-in includes their headers from the program to use them.
class WidgetPluginInterface : public kuBasePluginInterface
{
public:
    virtual QSharedPointer<kuAbstractPluginWidget> createWindow(kuPaperList* papers, kuAccount* account,
                                                                kuConnectionManager* connections, QWidget* parent) = 0;
    virtual QPixmap icon() const = 0;
};

#define WidgetPluginInterface_iid "ru.Brenholt.Velmoran.WidgetPluginInterface"
Q_DECLARE_INTERFACE(WidgetPluginInterface, WidgetPluginInterface_iid)
