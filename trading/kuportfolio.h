#pragma once

#include "kuportfoliomodel.h"
#include "kuwindowbase.h"

#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QModelIndex>
#include <QPersistentModelIndex>
#include <QString>
#include <QVariantMap>
#include <memory>

class QLineEdit;
class Ui_kuPortfolio;
class kuCheckComboBox;
class kuPortfolioMarginChart;
class kuPortfolioProxyModel;
class kuPortfolioView;

// The account-state window: positions and money of every account of the user,
// one tree row per account, and the margin panel of the selected account.
class kuPortfolio : public kuWindowBase
{
    Q_OBJECT
    Q_PROPERTY(QVariantMap chekedAccounts READ chekedAccounts WRITE setChekedAccounts)
    Q_PROPERTY(QString searchLine READ searchLine WRITE setSearchLine)
    Q_PROPERTY(QString columnState READ columnState WRITE setColumnState)
    Q_PROPERTY(bool showHideMarginPanel READ showHideMarginPanel WRITE setShowHideMarginPanel)

public:
    explicit kuPortfolio(QWidget* parent = nullptr);
    ~kuPortfolio() override;

    // Lets the main window make a new one for each "Состояние счета".
    static void registerWithClient();

    WinType winType() const override { return wtPortfolio; }
    void subscribe() override;
    QJsonObject saveSettings() override;

    QVariantMap chekedAccounts() const;
    void setChekedAccounts(const QVariantMap& accounts);
    QString searchLine() const;
    void setSearchLine(const QString& text);
    QString columnState() const;
    void setColumnState(const QString& state);
    bool showHideMarginPanel() const;
    void setShowHideMarginPanel(bool show);

    kuPortfolioProxyModel* proxy() const { return m_proxy; }
    kuPortfolioModel* model() const { return m_model; }
    kuPortfolioView* view() const { return m_view; }
    kuPortfolioMarginChart* marginChart() const { return m_margin; }
    // Paper id to whether its last price has been asked for on the current session.
    QMap<int, bool> lastPriceMarks() const { return m_lastPriceAsked; }

    // Account name to its rows (a kuPortfolioModel::Rows in each value); notes new paper ids.
    QMap<QString, QVariant> parsePositions(const QJsonObject& jsonPositions);
    // Account name to its kuPortfolioModel::marginParam, for accounts that carry one.
    static QMap<QString, QVariant> parseMargin(const QJsonObject& jsonPositions);

public slots:
    void updateLastPrice(int paperID, double lastPrice);
    void slot_snapshotPosition(QJsonObject jsonPositions);
    void slot_showAccounts(QModelIndex topLeft, QModelIndex bottomRight);
    void slot_filterAccepted(QString text);
    void slot_updatePosition(QJsonObject jsonPositions);
    void slot_changeSelection(QModelIndex index);
    void slot_showHideMarginPanel(bool showHide);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showFailedSnapshot() override;
    // The request alone: the account box keeps the user's checks.
    void askSnapshotAgain() override;

private:
    void init();
    // Hands each value to the account's top row of the model, shown or not.
    void applyToAccounts(const QMap<QString, QVariant>& values, int role);
    // Asks once per new paper id, on the GUI thread; the reply is not waited for.
    void requestLastPrices();
    // The selected account's own figures into the panel, or none without one.
    void showSelectedMargin();
    void layoutMarginPanel();

    std::unique_ptr<Ui_kuPortfolio> ui;
    kuPortfolioProxyModel* m_proxy;
    kuPortfolioModel* m_model = nullptr;
    kuPortfolioView* m_view = nullptr;
    kuCheckComboBox* m_accountBox = nullptr;
    QLineEdit* m_search = nullptr;
    kuPortfolioMarginChart* m_margin;
    QMap<int, bool> m_lastPriceAsked;
    // This window's selected row; another portfolio window has its own.
    QPersistentModelIndex m_selection;
    // The account of the selected row, kept by name: rows come anew with every update and snapshot.
    QString m_selectedAccount;
};
