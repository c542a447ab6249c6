#pragma once

#include <QDialog>
#include <QJsonObject>
#include <QModelIndex>
#include <QPointer>
#include <QSharedPointer>
#include <initializer_list>
#include <memory>

class QAbstractButton;
class QAbstractItemModel;
class QCompleter;
class QSignalMapper;
class Ui_kuOrderManager;
class kuAbstractConn;
class kuAbstractDataConverter;
class kuDoubleSpinBox;
class kuInstrumentsProxyModel;
class kuPaperInfo;
class kuPaperListModel;

// The one dialog through which the user places, changes and cancels orders
// and stop orders. Callers fetch it from the main window (which resets it),
// fill it through the setters and run it; the buttons check the input, hand
// the order object to the current connection and close the dialog. The
// server's answer comes back later: a refusal or a missing answer is shown
// in an error box, a confirmation on the message bar.
class kuOrderManager : public QDialog
{
    Q_OBJECT

public:
    explicit kuOrderManager(QWidget* parent = nullptr);
    ~kuOrderManager() override;

    // Lets the main window make, reset and own this dialog.
    static void registerWithClient();

    void resetForm();
    // Selects the account and narrows the instruments to its exchanges; false when the combo lacks it
    // (then no account is selected and an order is refused).
    bool setAccount(const QString& account);
    void setInstrument(int paperID);
    void setOrderID(qint64 orderID);
    qint64 orderID() const { return m_orderID; }
    void setCurrentTab(int index);
    void setFirstCondition(const QJsonObject& order);
    void setSecondCondition(const QJsonObject& order);
    QSharedPointer<kuPaperInfo> currentPaper() const;
    int paperID() const { return m_paperID; }
    double amount() const;
    double lotAmount() const;
    double price() const;
    bool validateOrderInput(int isMarket);

    // The button's icon: "<h2>title <sub>subtitle</sub></h2>" painted on a transparent pixmap.
    static void setButtonFace(QAbstractButton* button, const QString& title, const QString& subtitle);
    // The completer's rows (the account's instruments), for tests and callers that look up tickers.
    QAbstractItemModel* instruments() const;

public slots:
    void setAmount(double amount);
    void setLotAmount(double amount);
    void setPrice(double price);
    void createOrder(int buySell, int isMarket);
    void createStopOrder(int buySell);
    void cancelOrder(QJsonObject orderObject);
    void cancelStopOrder(QJsonObject stopOrderObject);
    void setTotalSum();
    void slot_accountComboBoxIndexChanged(QString account);
    void slot_instrumentIndexChanged(QModelIndex modelIndex);
    void slot_chooseInstrument();
    void slot_checkInstrument();

protected:
    void changeEvent(QEvent* event) override;

private:
    // A quantity typed into its field: the lot count follows, the quantity stays as typed.
    void amountTyped(double amount);
    void showTitle();
    void fillAccounts();
    void fillInstruments();
    void selectCurrentAccount();
    void applyExchanges(const QString& account);
    void selectRow(int row);
    void resetStopTab();
    void fillCondition(const QJsonObject& order, int condition);
    QJsonObject orderHead(int buySell) const;
    void setStopMode(int condition, bool market);
    // The current connection when it can carry an order; else null, after an error box.
    QPointer<kuAbstractConn> orderConnection();
    void watchOutcomes();
    void showOutcome(const QJsonObject& order, int outcome, const QString& text);
    bool priceOnStep(double price) const;
    // Takes what is being typed in the boxes; false, after a message, when an entry was refused:
    // the box went back to its previous value, which the trader has not seen yet.
    bool takeEntries(std::initializer_list<kuDoubleSpinBox*> boxes);
    QList<kuDoubleSpinBox*> numberBoxes() const;

    std::unique_ptr<Ui_kuOrderManager> ui;
    kuPaperListModel* m_paperModel = nullptr;
    kuInstrumentsProxyModel* m_filter = nullptr;
    QCompleter* m_completer = nullptr;
    QSignalMapper* m_lotMapper = nullptr;
    QPointer<kuAbstractDataConverter> m_outcomeSource;
    qint64 m_orderID = 0;
    int m_paperID = 0;
    bool m_firstConditionFilled = false;
    // The registry's change count the completer's rows were made at.
    quint64 m_papersFilledAt = 0;
    bool m_connectionUp = true;
};
