#pragma once

#include "kuwindowbase.h"

#include <QJsonArray>
#include <QModelIndex>
#include <QPoint>

#include <memory>

class QAction;
class QMenu;
class QVBoxLayout;
class kuOrderBookModel;
class kuOrderBookProxyModel;
class kuTableView;

// The order book (market depth) of one instrument: the levels nearest the
// spread, live, with the user's own orders marked at their levels.
class kuOrderBook : public kuWindowBase
{
    Q_OBJECT
    Q_PROPERTY(int depth READ depth WRITE setDepth)
    Q_PROPERTY(int sortOrder READ sortOrder WRITE setSortOrder)
    Q_PROPERTY(QString bidColor READ bidColor WRITE setBidColor)
    Q_PROPERTY(QString offerColor READ offerColor WRITE setOfferColor)
    Q_PROPERTY(bool showOrders READ showOrders WRITE setShowOrders)

public:
    explicit kuOrderBook(QWidget* parent = nullptr);
    ~kuOrderBook() override;

    // Lets the main window make order books.
    static void registerWithClient();

    // Binds the window to an instrument and asks for its book.
    void setPaper(int paperID);
    WinType winType() const override { return wtOrderBook; }
    void subscribe() override;
    // The base's object with the group "orderBookSetting" of the five properties.
    QJsonObject saveSettings() override;

    int depth() const;
    void setDepth(int depth);
    int sortOrder() const;
    void setSortOrder(int order);
    QString bidColor() const;
    void setBidColor(const QString& name);
    QString offerColor() const;
    void setOfferColor(const QString& name);
    bool showOrders() const;
    void setShowOrders(bool show);

    kuTableView* tableView() const;
    kuOrderBookProxyModel* proxy() const { return m_proxy; }
    kuOrderBookModel* model() const { return m_model; }
    QMenu* menu() const { return m_menu; }
    QAction* reverseOrderAction() const { return m_reverseOrderAction; }
    QAction* showOrdersAction() const { return m_showOrdersAction; }
    int decimals() const { return m_decimals; }
    int lot() const { return m_lot; }

public slots:
    void slot_changeHiddenYield(bool hidden);
    void slot_snapshotOrderBook(int PaperID, QJsonArray orderBook);
    void slot_updateOrderBook(int PaperID, QJsonArray orderBook);
    void slot_changeDepth();
    void slot_changeColors();
    void slot_createOrder(QModelIndex index);
    void slot_showContextMenu(QPoint pos);
    void slot_sortOrder(Qt::SortOrder order);
    void slot_reloadOrderBook(int paperID);
    void slot_showOpenedOrders(bool cheked);
    void slot_showOrder(int paperID, qint64 orderID, double price, qint64 amount);
    void slot_hideOrder(int paperID, qint64 orderID);

protected:
    void showFailedSnapshot() override;

private:
    struct Form
    {
        QWidget* centralwidget = nullptr;
        QVBoxLayout* verticalLayout = nullptr;
        kuTableView* tableOrderBookView = nullptr;
    };
    enum class OrdersContact
    {
        Follow,       // its order signals connected, once
        FollowAndAsk, // the same, and its active orders of this instrument returned
        Leave         // its order signals cut
    };

    void setupForm();
    void setupView();
    void createMenu();
    // The one place that reaches the orders window, which lives in a library
    // above this one: by its signals' and method's names. No window, no contact.
    QJsonArray ordersWindowContact(OrdersContact contact);
    void repaintRows();

    std::unique_ptr<Form> ui;
    kuOrderBookProxyModel* m_proxy = nullptr;
    kuOrderBookModel* m_model = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_reverseOrderAction = nullptr;
    QAction* m_showOrdersAction = nullptr;
    int m_decimals = 2;
    int m_lot = 1;
    // A reload runs a blocking request; a drop inside it must not start another.
    bool m_reloading = false;
};
