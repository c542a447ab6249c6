#pragma once

#include "kuwindowbase.h"

#include <QHash>
#include <QJsonObject>
#include <QModelIndex>
#include <QPointer>
#include <QSet>
#include <QVariantList>

#include <memory>

class QAction;
class QMenu;
class kuAbstractConn;
class kuQuotesModel;
class kuQuotesProxyModel;
class kuQuotesView;

namespace Ui {
class kuQuotes;
}

// The one quotes window: a row per instrument the user put in, each with a
// stream of its own. An instrument is requested once per session: adding it
// again, or subscribing again while it is live, sends nothing.
class kuQuotes : public kuWindowBase
{
    Q_OBJECT
    Q_PROPERTY(QVariantList paperList READ paperList WRITE setPaperList)
    Q_PROPERTY(QString columnState READ columnState WRITE setColumnState)
    Q_PROPERTY(bool showHideControlPanel READ showHideControlPanel WRITE setShowHideControlPanel)

public:
    explicit kuQuotes(QWidget* parent = nullptr);
    ~kuQuotes() override;

    // Lets the main window make the quotes window.
    static void registerWithClient();

    QJsonObject saveSettings() override;
    // Ends the stream of every instrument; the instruments stay, so that
    // subscribe() asks for them again when the hidden window is shown.
    void unsubscribe() override;
    WinType winType() const override { return wtQuotes; }
    // Connects the converter and requests every instrument not live on this session.
    void subscribe() override;

    QVariantList paperList() const;
    void setPaperList(const QVariantList& list);
    QString columnState() const;
    void setColumnState(const QString& state);
    bool showHideControlPanel() const;
    void setShowHideControlPanel(bool show);

    const QSet<int>& paperSet() const { return m_paperSet; }
    kuQuotesView* view() const { return m_view; }
    kuQuotesProxyModel* proxy() const { return m_proxy.get(); }
    kuQuotesModel* model() const { return m_model; }
    // Requests the window holds for the instrument on its connection.
    int heldRequests(int paperID) const { return m_streams.value(paperID).requests; }
    // add, remove, chart, order book, all trades, control panel.
    QList<QAction*> windowActions() const;
    // The context menu as it would open at pos of the view's viewport (the caller owns it).
    QMenu* buildContextMenu(const QPoint& pos);

public slots:
    void append();
    void remove();
    void subscribe(int paperID);
    void slot_snapshotQuotes(int PaperID, QJsonObject quotes);
    void slot_updateQuotes(int PaperID, QJsonObject quotes);
    void slot_showError(WinType winType, QString msg, int paperID) override;
    void slot_showContextMenu(QPoint pos);
    void slot_createOrderBook();
    void slot_createLastTrades();
    void slot_createChart();
    void slot_createOrder(QModelIndex index);

private:
    struct Stream
    {
        QPointer<kuAbstractConn> connection;
        QString session;
        int requests = 0;
    };

    void init();
    void createActions();
    void fillToolBar();
    void connectConverter();
    // Sorts the rows once the records queued now are in, however many there are.
    void scheduleSort();
    void unsubscribePaper(int paperID);
    // Gives back what the window holds of the instrument's stream on that connection.
    void endStream(int paperID, const QPointer<kuAbstractConn>& connection);
    // The paper id of the view's current row, 0 when none.
    int currentPaperID() const;

    std::unique_ptr<Ui::kuQuotes> ui;
    kuQuotesView* m_view = nullptr;
    std::unique_ptr<kuQuotesProxyModel> m_proxy;
    kuQuotesModel* m_model = nullptr;
    QSet<int> m_paperSet;
    QHash<int, Stream> m_streams;
    QAction* m_addAction = nullptr;
    QAction* m_removeAction = nullptr;
    QAction* m_chartAction = nullptr;
    QAction* m_orderBookAction = nullptr;
    QAction* m_lastTradesAction = nullptr;
    QAction* m_controlPanelAction = nullptr;
    // Set while unsubscribe() runs: its blocking requests run queued slots.
    bool m_unsubscribing = false;
    bool m_sortPending = false;
};
