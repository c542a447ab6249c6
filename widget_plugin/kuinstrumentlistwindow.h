#pragma once

#include "kuabstractpluginwidget.h"

class QListWidget;

// Lists the instruments dropped on it, by ticker, issuer and exchange.
class kuInstrumentListWindow : public kuAbstractPluginWidget
{
    Q_OBJECT
public:
    kuInstrumentListWindow(kuAbstractPaperList* paperList, kuAbstractAccount* account,
                           kuAbstractConnectionManager* connectionManager, QWidget* parent);

    QJsonObject menuEntries() override;
    void addInstrument(int paperID);
    QStringList rows() const;

public slots:
    void showWindow();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QListWidget* m_list;
};
