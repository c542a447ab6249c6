#pragma once

#include "kuwindowbase.h"

#include <QJsonArray>

#include <memory>

class kuLastTradesModel;
class kuLastTradesProxyModel;
class kuTableView;

namespace Ui {
class kuLastTrades;
}

// The tape of one instrument, newest trade on top. A dropped instrument
// switches the window to it.
class kuLastTrades : public kuWindowBase
{
    Q_OBJECT

public:
    explicit kuLastTrades(QWidget* parent = nullptr);
    ~kuLastTrades() override;

    // Lets the main window make tapes.
    static void registerWithClient();

    WinType winType() const override { return wtLastTrades; }
    void subscribe() override;
    // Binds the window to an instrument and asks for its trades.
    void setPaper(int paperID);
    // Sorts the batch by deal number and appends it as one insertion, drawn once.
    void appendTrades(QJsonArray trades);

    kuTableView* view() const { return m_view; }
    kuLastTradesProxyModel* proxy() const { return m_proxy.get(); }
    kuLastTradesModel* model() const { return m_model; }
    int decimals() const { return m_decimals; }
    int lot() const { return m_lot; }

public slots:
    void slot_snapshotLastTrades(int PaperID, QJsonArray lastTrades);
    void slot_updateLastTrades(int PaperID, QJsonArray lastTrades);
    void slot_reloadLastTrades(int paperID);

private:
    void init();

    std::unique_ptr<Ui::kuLastTrades> ui;
    kuTableView* m_view = nullptr;
    std::unique_ptr<kuLastTradesProxyModel> m_proxy;
    kuLastTradesModel* m_model = nullptr;
    int m_decimals = 2;
    int m_lot = 1;
    // Set while a reload gives the old stream back: its request runs queued slots.
    bool m_reloading = false;
};
