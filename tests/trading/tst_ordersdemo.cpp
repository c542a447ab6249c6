#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "dcmessagepack.h"
#include "kuaccount.h"
#include "kuconnectionmanager.h"
#include "kudemomarket.h"
#include "kudemoserver.h"
#include "kumainconn.h"
#include "kuordermanager.h"
#include "kupaperlist.h"
#include "ordermanagerfixture.h"

#include <cmath>

namespace {
const QString stockAccount = QStringLiteral("Фондовый-DEMO");

class DemoConnector : public ConnectPluginInterface
{
public:
    explicit DemoConnector(QString url) : m_url(std::move(url)) {}
    int type() const override { return pkConnection; }
    QString pluginName() const override { return QStringLiteral("demo"); }
    QString description() const override { return pluginName(); }
    QString guid() const override { return QString(); }
    int version() const override { return 0; }
    QPointer<kuAbstractConn> create(QObject* parent) override
    {
        auto* conn = new kuMainConn(m_url, parent);
        kuConnTimings t;
        t.timePollMs = 3600000;
        t.pollTimeoutMs = t.requestTimeoutMs = 3000;
        conn->setTimings(t);
        return conn;
    }
    QString server() const override { return m_url; }
    int dataType() const override { return 3; }
    quint8 priority() const override { return 1; }

private:
    QString m_url;
};
} // namespace

// The order entry dialog against the demo server: what it sends, and how the answers reach the trader.
class tst_OrdersDemo : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<kuDemoServer> m_server;
    std::unique_ptr<kuConnectionManager> m_manager;
    std::unique_ptr<kuOrderManager> m_dialog;
    QStringList m_infos;
    int m_share = 0;

    QStringList orderRequests() const
    {
        QStringList found;
        for (const QString& target : m_server->requests()) {
            if (target.contains(QLatin1String("/kuOrderManager?")))
                found << target.mid(target.indexOf(QLatin1String("TYPE=")));
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        kuDemoServer::Options options;
        options.seed = 7;
        options.dataDir = m_dir.path();
        options.tickMs = 0;
        m_server = std::make_unique<kuDemoServer>(options);
        QVERIFY2(m_server->start({0}), qPrintable(m_server->errorString()));
        for (const kuDemoInstrument& i : m_server->market().instruments()) {
            if (i.type == 1 && i.lot == 1 && i.marketAllowed && !m_share)
                m_share = i.id;
        }
        QVERIFY(m_share);

        m_manager = std::make_unique<kuConnectionManager>(kuConnectionManager::Connectors{
                QSharedPointer<ConnectPluginInterface>(new DemoConnector(m_server->baseUrl()))});
        kuConnectionManager::setInstance(m_manager.get());
        auto* converter = qobject_cast<dcMessagePack*>(m_manager->dataConverter().data());
        QVERIFY(converter);
        connect(converter, &dcMessagePack::on_infoMessage, this, [this](QString text, int) { m_infos << text; });
        m_manager->connection()->authorize("DEMO", "demo", "1.6.3", "Linux");
        QTRY_VERIFY_WITH_TIMEOUT(kuAccount::instance()->contains(stockAccount), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(kuPaperList::instance()->paper(m_share), 5000);
        m_dialog = std::make_unique<kuOrderManager>();
    }

    void cleanupTestCase()
    {
        m_dialog.reset();
        kuConnectionManager::setInstance(nullptr);
        m_manager.reset();
        m_server.reset();
    }

    void init()
    {
        m_dialog->resetForm();
        QVERIFY(m_dialog->setAccount(stockAccount));
        m_dialog->setInstrument(m_share);
        QCOMPARE(m_dialog->paperID(), m_share);
        m_dialog->setAmount(3);
        const double step = kuPaperList::instance()->paper(m_share)->priceStep();
        const double price = std::round(m_server->market().bestBid(m_share) / step - 40) * step;
        m_dialog->setPrice(price);
        QVERIFY(m_dialog->price() > 0);
        m_infos.clear();
    }

    void confirmed()
    {
        const int before = orderRequests().size();
        m_dialog->findChild<QPushButton*>("btnBuyLimit")->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_infos.size(), 1, 5000);
        const QString ticker = kuPaperList::instance()->ticker(m_share);
        QCOMPARE(m_infos.first(),
                 QStringLiteral("Поручение на `Покупку` %1 в колличестве 3. Успешно отправлено.").arg(ticker));
        const QStringList sent = orderRequests().mid(before);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first().startsWith("TYPE=1001&ACC="), qPrintable(sent.first()));
        QVERIFY2(sent.first().contains(QStringLiteral("&PID=%1&ACT=1&QUANT=3&IM=0&PRICE=").arg(m_share)),
                 qPrintable(sent.first()));
        QVERIFY2(sent.first().endsWith("&TIME=1&EF=0"), qPrintable(sent.first()));
    }

    void refused()
    {
        BoxCatcher boxes;
        m_dialog->cancelOrder(QJsonObject{{"orderID", 987654}, {"paperID", m_share}, {"action", 1}, {"amount", 3}});
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts.size(), 1, 5000);
        QVERIFY2(boxes.texts.first().startsWith("Сервер отклонил запрос на отмену поручения: "),
                 qPrintable(boxes.texts.first()));
        QVERIFY(boxes.texts.first().contains(kuPaperList::instance()->ticker(m_share) + ", покупка, количество 3."));
        QVERIFY(m_infos.isEmpty());
    }

    void droppedReply()
    {
        // Every try: the network layer sends a request again once when its connection closes.
        m_server->setDropConnections(true, "kuOrderManager");
        BoxCatcher boxes;
        m_dialog->createStopOrder(-1); // first condition, market mode, trigger 0: refused here
        QCOMPARE(boxes.texts, QStringList{"Вы не указали цену срабатывания для первого условия!"});
        m_dialog->findChild<QPushButton*>("btnSellLimit")->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts.size(), 2, 5000);
        QVERIFY2(boxes.texts.last().startsWith("Подтверждение поручения не получено."), qPrintable(boxes.texts.last()));
        m_server->setDropConnections(false, "kuOrderManager");
        QVERIFY(m_infos.isEmpty());
    }
};

QTEST_MAIN(tst_OrdersDemo)
#include "tst_ordersdemo.moc"
