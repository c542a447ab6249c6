#pragma once

#include "kuaccountwindowbase.h"

class Ui_kuTrades;
class kuTradesModel;
class kuTradesProxyModel;
class kuTradesView;

// The trades window: the trades and money operations of the user's accounts,
// a snapshot merged with live updates, account checks and a search line.
class kuTrades : public kuAccountWindowBase
{
    Q_OBJECT

public:
    explicit kuTrades(QWidget* parent = nullptr);
    ~kuTrades() override;

    // Lets the main window make the trades window.
    static void registerWithClient();

    QJsonObject saveSettings() override;
    WinType winType() const override { return wtTrades; }
    void subscribe() override;

    static ParsedRows parseTrades(const QJsonObject& jsonTrades);
    void applyTrades(const ParsedRows& rows, int role);

    kuTradesModel* model() const { return m_model; }
    kuTradesProxyModel* proxy() const { return m_proxy; }
    kuTradesView* view() const { return m_view; }

public slots:
    void slot_snapshotTrades(QJsonObject jsonTrades);
    void slot_updateTrades(QJsonObject jsonTrades);

protected:
    void changeEvent(QEvent* event) override;
    void showFailedSnapshot() override;
    void askSnapshotAgain() override;

private:
    void init();

    Ui_kuTrades* ui;
    kuTradesProxyModel* m_proxy;
    kuTradesModel* m_model = nullptr;
    kuTradesView* m_view = nullptr;
};
