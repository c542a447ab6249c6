#pragma once

#include <QJsonObject>
#include <QWidget>

class kuAbstractPaperList;
class kuAbstractAccount;
class kuAbstractConnectionManager;

// Base of the window a widget plug-in gives to the program. The registries
// are the program's; the window only borrows them.
class kuAbstractPluginWidget : public QWidget
{
    Q_OBJECT
public:
    kuAbstractPluginWidget(kuAbstractPaperList* paperList, kuAbstractAccount* account,
                           kuAbstractConnectionManager* connectionManager, QWidget* parent = nullptr);

    // Menu entries the window wants under "Расширения": each value an object
    // with "callback" (a method signature of the window), "description" and "icon".
    virtual QJsonObject menuEntries();

protected:
    kuAbstractPaperList* paperList() const { return m_paperList; }
    kuAbstractAccount* account() const { return m_account; }
    kuAbstractConnectionManager* connectionManager() const { return m_connectionManager; }

private:
    kuAbstractPaperList* const m_paperList;
    kuAbstractAccount* const m_account;
    kuAbstractConnectionManager* const m_connectionManager;
};
