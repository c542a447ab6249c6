#pragma once

#include "kuaccountwindowbase.h"

#include <QJsonArray>
#include <QSet>

class Ui_kuOrders;
class kuOrdersModel;
class kuOrdersProxyModel;
class kuOrdersView;

// The one orders window: the orders and stop orders of the user's accounts,
// a snapshot merged with live updates, account checks and a search line. It
// is also the order book's source of the user's active orders.
class kuOrders : public kuAccountWindowBase
{
    Q_OBJECT

public:
    explicit kuOrders(QWidget* parent = nullptr);
    ~kuOrders() override;

    // Lets the main window make the orders window.
    static void registerWithClient();

    QJsonObject saveSettings() override;
    WinType winType() const override { return wtOrders; }
    void subscribe() override;

    static ParsedRows parseOrders(const QJsonObject& jsonOrders);
    void applyOrders(const ParsedRows& rows, int role);
    // The active orders of every account (status 1, then 2), whatever the checks
    // and the search show; of the given instruments only, unless the set is empty.
    Q_INVOKABLE QJsonArray activeOrders(QSet<int> paperIDs);

    kuOrdersModel* model() const { return m_model; }
    kuOrdersProxyModel* proxy() const { return m_proxy; }
    kuOrdersView* view() const { return m_view; }

signals:
    void on_showOrder(int paperID, qint64 orderID, double price, qint64 amount);
    void on_hideOrder(int paperID, qint64 orderID);

public slots:
    void slot_snapshotOrders(QJsonObject jsonOrders);
    void slot_updateOrders(QJsonObject jsonOrders);

protected:
    void changeEvent(QEvent* event) override;
    void showFailedSnapshot() override;
    // The request alone: the account box keeps the user's checks.
    void askSnapshotAgain() override;

private:
    void init();

    Ui_kuOrders* ui;
    kuOrdersProxyModel* m_proxy;
    kuOrdersModel* m_model = nullptr;
    kuOrdersView* m_view = nullptr;
};
