// The data path as the terminal drives it: the demo server's replies go
// through the connection into the converter, and what comes out must be
// what the server meant.
#include "dcmessagepack.h"
#include "kuaccessdb.h"
#include "kuaccount.h"
#include "kucandlestore.h"
#include "kuconnectionwiring.h"
#include "kudemoserver.h"
#include "kumainconn.h"
#include "kumigration.h"
#include "kumsgpackreader.h"
#include "kupaperlist.h"
#include "serverclock.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>

namespace {

// A whole minute, so that history candles line up with the request range.
const qint64 startMs = 1796806800000LL;
const QString stockAccount = QStringLiteral("Фондовый-DEMO");
const QString futuresAccount = QStringLiteral("Срочный-DEMO");

struct Error
{
    int winType;
    QString text;
    int paperID;
};

// Everything the converter hands to the windows, collected on the GUI thread.
struct Received
{
    QList<QPair<int, QJsonObject>> quotes, quoteUpdates;
    QList<QPair<int, QJsonArray>> books, bookUpdates, tapes, tapeUpdates;
    QList<int> charts;
    QList<QPair<int, double>> lastPrices;
    QList<QPair<int, QJsonObject>> chartUpdates;
    QList<QPair<int, QVariantMap>> additional;
    QList<QJsonObject> positions, positionUpdates, orders, orderUpdates, trades, tradeUpdates;
    QList<Error> errors;
    QStringList infos;
    QList<QPair<int, QString>> outcomes; // order outcome and the server's text
    QList<QVariantList> sessions;
    QStringList order; // login outcome and session, in emission order
    int papers = 0;
    int syncs = 0;
};

// A text decoded with the wrong codec shows '?' or the replacement character.
bool readable(const QString& text)
{
    return !text.contains(QLatin1Char('?')) && !text.contains(QChar(QChar::ReplacementCharacter));
}

QStringList sortedKeys(const QJsonObject& o)
{
    QStringList keys = o.keys();
    keys.sort();
    return keys;
}

QStringList sorted(QStringList list)
{
    list.sort();
    return list;
}

bool sameDouble(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

} // namespace

class tst_DataPath : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<kuDemoServer> m_server;
    std::unique_ptr<dcMessagePack> m_converter;
    std::unique_ptr<kuMainConn> m_conn;
    Received m_got;
    int m_share = 0;
    int m_bond = 0;
    int m_filledOrder = 0;
    double m_stockBlocked = 0; // money the seeded active orders hold back

    kuDemoMarket& market() { return m_server->market(); }

    const kuDemoInstrument& instrument(int id) { return *market().instrument(id); }

    int countOf(const QString& script) const
    {
        const QString path = QLatin1String(kuDemoServer::basePath) + QLatin1Char('/') + script + QLatin1Char('?');
        int n = 0;
        for (const QString& target : m_server->requests())
            n += target.startsWith(path) ? 1 : 0;
        return n;
    }

    // Replies decoded and their queued signals delivered.
    void settle()
    {
        QVERIFY(m_converter->waitForDone(5000));
        QCoreApplication::sendPostedEvents();
    }

    // Waits for two more polls of a kind, so that a change made before has travelled.
    void waitForPolls(const QString& script)
    {
        const int seen = countOf(script);
        QTRY_VERIFY_WITH_TIMEOUT(countOf(script) >= seen + 2, 5000);
        settle();
    }

    void wire()
    {
        dcMessagePack* v = m_converter.get();
        using D = kuAbstractDataConverter;
        // As the connection manager wires them.
        wireConnection(m_conn.get(), v);

        // Receivers live here: signals of the decoding thread arrive queued.
        Received& g = m_got;
        connect(v, &D::on_statusAuthorization, this, [&g](QVariantList s) {
            g.sessions << s;
            g.order << "session";
        });
        connect(v, &D::on_receviedError, this, [&g](WinType wt, QString text, int id) {
            g.errors << Error{int(wt), text, id};
            if (wt == wtAuthorization)
                g.order << QStringLiteral("login %1").arg(id);
        });
        connect(v, &D::on_snapshotPapers, this, [&g] { ++g.papers; });
        connect(v, &D::on_syncDateTime, this, [&g] { ++g.syncs; });
        connect(v, &D::on_snapshotQuotes, this, [&g](int id, QJsonObject o) { g.quotes << qMakePair(id, o); });
        connect(v, &D::on_updateQuotes, this, [&g](int id, QJsonObject o) { g.quoteUpdates << qMakePair(id, o); });
        connect(v, &D::on_snapshotOrderBook, this, [&g](int id, QJsonArray a) { g.books << qMakePair(id, a); });
        connect(v, &D::on_updateOrderBook, this, [&g](int id, QJsonArray a) { g.bookUpdates << qMakePair(id, a); });
        connect(v, &D::on_snapshotLastTrades, this, [&g](int id, QJsonArray a) { g.tapes << qMakePair(id, a); });
        connect(v, &D::on_updateLastTrades, this, [&g](int id, QJsonArray a) { g.tapeUpdates << qMakePair(id, a); });
        connect(v, &D::on_snapshotChart, this, [&g](int id, QVariant data) {
            if (data.isNull())
                g.charts << id;
        });
        connect(v, &D::on_updateLastPrice, this, [&g](int id, double price) { g.lastPrices << qMakePair(id, price); });
        connect(v, &D::on_updateChart, this,
                [&g](int id, QVariant data) { g.chartUpdates << qMakePair(id, data.toJsonObject()); });
        connect(v, &D::on_snapshotAdditionalData, this,
                [&g](WinType wt, QVariantList, QVariantMap args) { g.additional << qMakePair(int(wt), args); });
        connect(v, &D::on_snapshotPositions, this, [&g](QJsonObject o) { g.positions << o; });
        connect(v, &D::on_updatePositions, this, [&g](QJsonObject o) { g.positionUpdates << o; });
        connect(v, &D::on_snapshotOrders, this, [&g](QJsonObject o) { g.orders << o; });
        connect(v, &D::on_updateOrders, this, [&g](QJsonObject o) { g.orderUpdates << o; });
        connect(v, &D::on_snapshotTrades, this, [&g](QJsonObject o) { g.trades << o; });
        connect(v, &D::on_updateTrades, this, [&g](QJsonObject o) { g.tradeUpdates << o; });
        connect(v, &D::on_orderOutcome, this,
                [&g](QJsonObject, int outcome, QString text) { g.outcomes << qMakePair(outcome, text); });
        connect(v, &dcMessagePack::on_infoMessage, this,
                [&g](QString text, int ms) { g.infos << QStringLiteral("%1 %2").arg(ms).arg(text); });
    }

    // The first order of the stock account matching the test, from the updates so far.
    QJsonObject orderUpdate(const std::function<bool(const QJsonObject&)>& match) const
    {
        for (const QJsonObject& update : m_got.orderUpdates) {
            for (const QJsonValue& o : update.value(stockAccount).toArray()) {
                if (match(o.toObject()))
                    return o.toObject();
            }
        }
        return QJsonObject();
    }

    QDateTime serverNow() { return kuDemoMarket::serverTime(market().now()); }

    void checkStamp(const QJsonObject& record, const char* dateKey, const char* timeKey)
    {
        const QDateTime at = QDateTime::fromString(record.value(dateKey).toString() + QLatin1Char(' ') +
                                                           record.value(timeKey).toString(),
                                                   QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        QVERIFY2(at.isValid(), qPrintable(record.value(dateKey).toString()));
        QCOMPARE(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                 serverNow().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }

private slots:
    void initTestCase()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(kuAccessDB::databasePath() + QLatin1String(suffix));
        QVERIFY(updateDatabaseSchema());

        kuDemoServer::Options options;
        options.seed = 7;
        options.dataDir = m_dir.path();
        options.startMs = startMs;
        options.tickMs = 0;
        m_server = std::make_unique<kuDemoServer>(options);
        QVERIFY2(m_server->start({0}), qPrintable(m_server->errorString()));
        for (const kuDemoInstrument& i : market().instruments()) {
            if (i.type == 1 && !m_share)
                m_share = i.id;
            if (i.type == 2 && !m_bond)
                m_bond = i.id;
        }
        QVERIFY(m_share && m_bond);
        // Some trading before anyone looks, within the first minute.
        for (int i = 0; i < 30; ++i)
            m_server->step(1000);

        m_converter = std::make_unique<dcMessagePack>();
        m_conn = std::make_unique<kuMainConn>(m_server->baseUrl());
        kuConnTimings t;
        t.marketPollMs = t.updatesPollMs = 20;
        t.timePollMs = 3600000;
        t.pollTimeoutMs = t.requestTimeoutMs = 3000;
        m_conn->setTimings(t);
        wire();
    }

    void cleanupTestCase()
    {
        if (m_conn)
            m_conn->stopUpdater();
        m_conn.reset();
        m_converter.reset();
    }

    // Login: outcome before session, two accounts by name, the default one
    // current; the instrument list and the server time follow.
    void login()
    {
        m_conn->authorize(QStringLiteral("DEMO"), QStringLiteral("demo"), QStringLiteral("1.6.3"),
                          QStringLiteral("Linux"));
        QTRY_COMPARE_WITH_TIMEOUT(m_got.sessions.size(), 1, 5000);
        QCOMPARE(m_got.order, (QStringList{"login 0", "session"}));
        QCOMPARE(m_got.errors.first().text, QString());
        QCOMPARE(m_got.sessions.first().value(0).toString(), m_conn->sessionId());
        QVERIFY(!m_conn->sessionId().isEmpty());

        const auto accounts = kuAccount::instance();
        QCOMPARE(accounts->accounts(), sorted(market().accounts(QStringLiteral("DEMO"))));
        QCOMPARE(accounts->accounts(), (QStringList{futuresAccount, stockAccount}));
        QCOMPARE(accounts->currentAccount(), stockAccount);
        QCOMPARE(accounts->accountData(stockAccount), QSet<int>{1});
        QCOMPARE(accounts->accountData(futuresAccount), QSet<int>{2});

        QTRY_COMPARE_WITH_TIMEOUT(m_got.syncs, 1, 5000);
        QCOMPARE(serverDate(), serverNow().date());
        QCOMPARE(serverTime(),
                 QTime::fromString(serverNow().toString(QStringLiteral("HH:mm:ss")), QStringLiteral("HH:mm:ss")));
    }

    // Every instrument the server offers reaches the registry as sent.
    void instrumentList()
    {
        QTRY_COMPARE_WITH_TIMEOUT(m_got.papers, 1, 5000);
        const auto registry = kuPaperList::instance();
        for (const kuDemoInstrument& i : market().instruments()) {
            const auto p = registry->paper(i.id);
            QVERIFY2(p, qPrintable(i.ticker));
            QCOMPARE(p->ticker(), i.ticker);
            QCOMPARE(p->issuer(), i.issuer);
            QCOMPARE(p->shortName(), i.shortName);
            QCOMPARE(p->exchangeName(), i.exchangeName);
            for (const QString& text : {p->ticker(), p->issuer(), p->shortName(), p->exchangeName(), p->spareText()})
                QVERIFY2(readable(text), qPrintable(text));
            QCOMPARE(p->type(), i.type);
            QCOMPARE(p->lot(), i.lot);
            QCOMPARE(p->exchangeID(), i.exchangeId);
            QCOMPARE(p->priceStep(), i.step);
            QCOMPARE(p->nominal(), i.nominal);
            QCOMPARE(p->accruedCoupon(), i.coupon);
            // Currency contracts and derivatives always allow market orders.
            QCOMPARE(p->isMarketAllowed(), i.marketAllowed != 0 || i.type == 4 || i.type == 5 || i.type == 7);
        }
        QCOMPARE(registry->exchanges(), (QMap<int, QString>{{1, "ВФБ"}, {2, "FORTS"}}));
        QCOMPARE(registry->ticker(m_share), QStringLiteral("VLMR"));
        QCOMPARE(registry->paper(m_bond)->typeName(), QStringLiteral("Облигация"));
    }

    void marketSnapshots_data()
    {
        QTest::addColumn<bool>("bond");
        QTest::newRow("share") << false;
        QTest::newRow("bond") << true;
    }

    // Quotes, order book and tape of one instrument, checked against the market.
    void marketSnapshots()
    {
        QFETCH(bool, bond);
        const int id = bond ? m_bond : m_share;
        const kuDemoInstrument& info = instrument(id);
        m_got.quotes.clear();
        m_got.books.clear();
        m_got.tapes.clear();
        m_conn->getQuotes(id);
        m_conn->getOrderBook(id);
        m_conn->getLastTrades(id);
        QTRY_VERIFY_WITH_TIMEOUT(m_got.quotes.size() == 1 && m_got.books.size() == 1 && m_got.tapes.size() == 1, 5000);

        QCOMPARE(m_got.quotes.first().first, id);
        const QJsonObject q = m_got.quotes.first().second;
        QCOMPARE(sortedKeys(q),
                 sorted({"paperID", "buy", "toBuy", "sell", "toSell", "toBuyTotal", "toSellTotal", "open", "max", "min",
                         "last", "avg", "paperVol", "volume", "moneyVol", "bestBuy", "bestSell", "price"}));
        QCOMPARE(q.value("paperID").toInt(), id);
        QCOMPARE(q.value("buy").toDouble(), market().bestBid(id));
        QCOMPARE(q.value("sell").toDouble(), market().bestAsk(id));
        QCOMPARE(q.value("last").toDouble(), market().lastPrice(id));
        QVERIFY(q.value("buy").toDouble() < q.value("sell").toDouble());
        QVERIFY(q.value("min").toDouble() <= q.value("last").toDouble());
        QVERIFY(q.value("last").toDouble() <= q.value("max").toDouble());
        QVERIFY(q.value("bestBuy").toDouble() >= q.value("buy").toDouble());
        QVERIFY(q.value("bestSell").toDouble() <= q.value("sell").toDouble());
        QVERIFY(q.value("toBuy").toInt() > 0 && q.value("toBuyTotal").toInt() >= q.value("toBuy").toInt());
        QVERIFY(q.value("toSell").toInt() > 0 && q.value("toSellTotal").toInt() >= q.value("toSell").toInt());
        QVERIFY(q.value("price").toDouble() > 0);

        QCOMPARE(m_got.books.first().first, id);
        const QJsonArray book = m_got.books.first().second;
        QCOMPARE(book.size(), 2 * kuDemoMarket::bookDepth);
        double bestBid = 0, bestOffer = 1e300;
        for (const QJsonValue& v : book) {
            const QJsonObject level = v.toObject();
            QCOMPARE(sortedKeys(level), sorted({"action", "amount", "price", "yeild"}));
            QVERIFY(level.value("amount").toInt() > 0);
            const double price = level.value("price").toDouble();
            // 1 is an offer; anything else is shown as a bid.
            if (level.value("action").toInt() == 1)
                bestOffer = std::min(bestOffer, price);
            else
                bestBid = std::max(bestBid, price);
            QCOMPARE(level.value("yeild").toDouble() > 0, bond);
        }
        QCOMPARE(bestBid, q.value("buy").toDouble());
        QCOMPARE(bestOffer, q.value("sell").toDouble());

        QCOMPARE(m_got.tapes.first().first, id);
        const QJsonArray tape = m_got.tapes.first().second;
        QVERIFY(!tape.isEmpty());
        qint64 pieces = 0;
        double money = 0;
        for (const QJsonValue& v : tape) {
            const QJsonObject trade = v.toObject();
            QCOMPARE(sortedKeys(trade), sorted({"unixtime", "amount", "price", "dealID"}));
            const qint64 at = qint64(trade.value("unixtime").toDouble());
            QVERIFY(at >= startMs / 1000 && at <= market().now() / 1000);
            QVERIFY(trade.value("amount").toInt() > 0);
            QVERIFY(trade.value("price").toDouble() >= q.value("min").toDouble());
            QVERIFY(trade.value("price").toDouble() <= q.value("max").toDouble());
            // Deal numbers beyond 2^31 keep their value.
            QVERIFY(trade.value("dealID").toDouble() > 2147483648.0);
            const qint64 n = trade.value("amount").toInt() * info.lot;
            pieces += n;
            money += info.value(trade.value("price").toDouble()) * n;
        }
        // The tape still holds every trade of the session.
        QCOMPARE(q.value("volume").toInt(), tape.size());
        QCOMPARE(q.value("paperVol").toInt(), pieces);
        QVERIFY2(std::fabs(q.value("moneyVol").toDouble() - money) < 0.01, qPrintable(QString::number(money)));
        QVERIFY(q.value("avg").toDouble() >= q.value("min").toDouble() &&
                q.value("avg").toDouble() <= q.value("max").toDouble());
    }

    // The candle snapshot lands in the cache tables, row for row as sent.
    void candles()
    {
        QVERIFY(kuCandleStore().createTables(m_share));
        QSignalSpy bodies(m_conn.get(), &kuAbstractConn::on_receivedMarketData);
        const qint64 now = market().now() / 1000;
        const qint64 minute = now / 60 * 60;
        m_conn->getCandles(m_share, QString::number(minute - 3600), QString::number(now),
                           QString::number(now - 10 * 86400));
        QTRY_COMPARE_WITH_TIMEOUT(m_got.charts, QList<int>{m_share}, 5000);

        QCOMPARE(bodies.size(), 1);
        QVariant sent;
        QVERIFY(kuMsgPackReader::unpackHex(bodies.first().first().toByteArray(), &sent));
        const QVariantList values = sent.toList();
        QCOMPARE(values.size() % 7, 0);
        QMap<qint64, QString> minutes, days;
        auto row = [](double open, double high, double low, double close, double volume) {
            QStringList r;
            for (double v : {open, high, low, close, volume})
                r << QString::number(v, 'f', 8);
            return r.join(QLatin1Char(' '));
        };
        for (int i = 0; i + 7 <= values.size(); i += 7) {
            const qint64 start = values.at(i + 5).toLongLong();
            const QString r = row(values.at(i).toDouble(), values.at(i + 2).toDouble(), values.at(i + 3).toDouble(),
                                  values.at(i + 1).toDouble(), values.at(i + 4).toDouble());
            (values.at(i + 6).toInt() == 1 ? minutes : days).insert(start, r);
        }
        QCOMPARE(minutes.size(), 60);
        QVERIFY(days.size() >= 9);

        kuAccessDB db;
        const QString minuteTable = kuCandleStore::tableName(m_share);
        for (const QString& table : {minuteTable, kuCandleStore::tableName(m_share, kuCandleStore::Table::Day)}) {
            const QVariantList stored = db.execute(
                    QStringLiteral("select min, open, high, low, close, volume from %1 order by min;").arg(table));
            QMap<qint64, QString> rows;
            for (int i = 0; i + 6 <= stored.size(); i += 6) {
                const double open = stored.at(i + 1).toDouble(), high = stored.at(i + 2).toDouble();
                const double low = stored.at(i + 3).toDouble(), close = stored.at(i + 4).toDouble();
                QVERIFY(low <= std::min(open, close) && high >= std::max(open, close));
                QVERIFY(stored.at(i + 5).toDouble() > 0);
                rows.insert(stored.at(i).toLongLong(), row(open, high, low, close, stored.at(i + 5).toDouble()));
            }
            QCOMPARE(rows, table == minuteTable ? minutes : days);
        }
        // Day candles start at midnight of the server's day.
        for (qint64 start : days.keys())
            QCOMPARE((start + kuDemoMarket::mskOffset) % 86400, 0);

        // A new minute: the one that closed comes as type 1, the forming one as type 2.
        m_got.chartUpdates.clear();
        m_server->step(60000);
        auto update = [&](int type) {
            for (const auto& u : qAsConst(m_got.chartUpdates)) {
                if (u.first == m_share && u.second.value("updateType").toInt() == type)
                    return u.second;
            }
            return QJsonObject();
        };
        QTRY_VERIFY_WITH_TIMEOUT(!update(1).isEmpty() && !update(2).isEmpty(), 5000);
        const QJsonArray closed = update(1).value("candles").toArray();
        QCOMPARE(closed.size(), 1);
        const QJsonArray forming = update(2).value("candles").toArray();
        // The forming minute first, then the longer candles the minutes are building.
        QList<int> frames;
        for (const QJsonValue& v : forming)
            frames << v.toObject().value("timeFrame").toInt();
        QCOMPARE(frames, (QList<int>{1, 5, 10, 15, 30, 60, 1440}));
        const qint64 first = startMs / 1000;
        for (const QJsonObject& c : {closed.first().toObject(), forming.first().toObject()}) {
            QCOMPARE(sortedKeys(c), sorted({"Open", "Close", "High", "Low", "Volume", "unixTime", "timeFrame"}));
            QCOMPARE(c.value("timeFrame").toInt(), 1);
            QVERIFY(c.value("Low").toDouble() <= std::min(c.value("Open").toDouble(), c.value("Close").toDouble()));
            QVERIFY(c.value("High").toDouble() >= std::max(c.value("Open").toDouble(), c.value("Close").toDouble()));
        }
        QCOMPARE(qint64(closed.first().toObject().value("unixTime").toDouble()), first);
        QVERIFY(closed.first().toObject().value("Volume").toDouble() > 0);
        QCOMPARE(qint64(forming.first().toObject().value("unixTime").toDouble()), first + 60);
        // The closed minute joins the history that the snapshot ended with.
        QCOMPARE(minutes.lastKey(), first - 60);
    }

    // Portfolio, orders and trades by account name before any trading: the accounts' history.
    void accountSnapshots()
    {
        m_conn->getPortfolio();
        m_conn->getOrders();
        m_conn->getTrades();
        QTRY_VERIFY_WITH_TIMEOUT(m_got.positions.size() == 1 && m_got.orders.size() == 1 && m_got.trades.size() == 1,
                                 5000);
        const QStringList names{futuresAccount, stockAccount};
        QCOMPARE(sortedKeys(m_got.orders.first()), names);
        QCOMPARE(sortedKeys(m_got.trades.first()), names);
        QMap<QString, double> activeBuys;
        for (const QString& name : names) {
            const QJsonArray orders = m_got.orders.first().value(name).toArray();
            QVERIFY(orders.size() >= 5);
            for (const QJsonValue& v : orders) {
                const QJsonObject o = v.toObject();
                QCOMPARE(o.size(), 20);
                QVERIFY(readable(o.value("reason").toString()));
                if (o.value("status").toInt() == 1 && o.value("act").toInt() == 1)
                    activeBuys[name] += o.value("balance").toDouble();
            }
            const QJsonArray trades = m_got.trades.first().value(name).toArray();
            QVERIFY(trades.size() >= 5);
            for (const QJsonValue& v : trades)
                QVERIFY(readable(v.toObject().value("note").toString()));
        }

        const QJsonObject portfolio = m_got.positions.first();
        QCOMPARE(sortedKeys(portfolio), names);
        QMap<int, int> held;
        for (const QString& name : names) {
            const QJsonObject account = portfolio.value(name).toObject();
            QCOMPARE(sortedKeys(account), sorted({"position", "money", "margin"}));
            QCOMPARE(sortedKeys(account.value("money").toObject()),
                     sorted({"balance", "blocked", "expected", "go", "profit", "pmarga"}));
            QCOMPARE(sortedKeys(account.value("margin").toObject()),
                     sorted({"marg_portfolio", "min_marga", "init_marga"}));
            QVERIFY(account.value("money").toObject().value("balance").toDouble() > 0);
            // The active buy orders of the history hold money back.
            const double blocked = account.value("money").toObject().value("blocked").toDouble();
            QVERIFY(blocked > 0);
            if (name == stockAccount) {
                QCOMPARE(blocked, activeBuys.value(name));
                m_stockBlocked = blocked;
            }
            for (const QJsonValue& v : account.value("position").toArray()) {
                const QJsonObject p = v.toObject();
                QCOMPARE(p.size(), 8);
                const int id = p.value("paper_id").toInt();
                // Only instruments of the account's exchanges.
                QVERIFY(kuAccount::instance()->accountData(name).contains(instrument(id).exchangeId));
                QVERIFY(QDate::fromString(p.value("bdate").toString(), QStringLiteral("yyyy-MM-dd")).isValid());
                QCOMPARE(p.value("lastprice").toDouble(), market().lastPrice(id));
                QCOMPARE(p.value("expected").toInt(), p.value("amount").toInt());
                held.insert(id, p.value("amount").toInt());
            }
        }
        QCOMPARE(held, (QMap<int, int>{{1, 100}, {3, 5}, {13, 20}, {18, 2000}, {22, 2}, {24, -3}}));
        QCOMPARE(portfolio.value(futuresAccount).toObject().value("money").toObject().value("go").toDouble() > 0, true);
    }

    // A limit buy below the market: confirmed, shown as active, filled when the
    // price comes down to it; the trade and the new position follow.
    void limitOrderFills()
    {
        const kuDemoInstrument& info = instrument(m_share);
        const double price = std::round((market().bestBid(m_share) - 5 * info.step) * 100) / 100;
        const QJsonObject order{{"paperID", m_share}, {"partID", stockAccount}, {"action", 1},  {"amount", 10},
                                {"price", price},     {"isMarket", 0},          {"ordTime", 0}, {"execFlag", 0}};
        m_conn->newOrder(order);
        QTRY_COMPARE_WITH_TIMEOUT(
                m_got.infos, QStringList{"5000 Поручение на покупку VLMR в количестве 10. Успешно отправлено."}, 5000);

        auto ours = [&](const QJsonObject& o) {
            return o.value("paper_id").toInt() == m_share && sameDouble(o.value("price").toDouble(), price);
        };
        QJsonObject active;
        QTRY_VERIFY_WITH_TIMEOUT(!(active = orderUpdate(ours)).isEmpty(), 5000);
        QCOMPARE(active.size(), 20);
        QCOMPARE(active.value("status").toInt(), 1);
        QCOMPARE(active.value("act").toInt(), 1);
        QCOMPARE(active.value("amount").toInt(), 10);
        QCOMPARE(active.value("type").toInt(), 0);
        QVERIFY(std::fabs(active.value("balance").toDouble() - price * 10) < 0.005);
        checkStamp(active, "date", "time");
        const int orderId = active.value("order_id").toInt();
        QVERIFY(orderId > 0);
        // Money for the order is set aside.
        QTRY_VERIFY_WITH_TIMEOUT(!m_got.positionUpdates.isEmpty() && m_got.positionUpdates.last()
                                                                                     .value(stockAccount)
                                                                                     .toObject()
                                                                                     .value("money")
                                                                                     .toObject()
                                                                                     .value("blocked")
                                                                                     .toDouble() > m_stockBlocked,
                                 5000);

        m_got.tradeUpdates.clear();
        m_got.positionUpdates.clear();
        market().setLastPrice(m_share, price - 2 * info.step);
        QJsonObject filled;
        QTRY_VERIFY_WITH_TIMEOUT(!(filled = orderUpdate([&](const QJsonObject& o) {
                                       return o.value("order_id").toInt() == orderId && o.value("status").toInt() == 3;
                                   })).isEmpty(),
                                 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_got.tradeUpdates.isEmpty() && !m_got.positionUpdates.isEmpty(), 5000);
        settle();

        QCOMPARE(sortedKeys(m_got.tradeUpdates.first()), QStringList{stockAccount});
        const QJsonArray fills = m_got.tradeUpdates.first().value(stockAccount).toArray();
        QCOMPARE(fills.size(), 1);
        const QJsonObject fill = fills.first().toObject();
        QCOMPARE(fill.size(), 11);
        QCOMPARE(fill.value("paper_id").toInt(), m_share);
        QCOMPARE(fill.value("act").toInt(), 1);
        QCOMPARE(fill.value("amount").toInt(), 10);
        QVERIFY(fill.value("price").toDouble() <= price);
        QVERIFY(std::fabs(fill.value("total").toDouble() - fill.value("price").toDouble() * 10) < 0.005);
        QVERIFY(fill.value("comiss").toDouble() > 0);
        QVERIFY(fill.value("account").toDouble() > 0 && fill.value("account").toDouble() < 1000000);
        QCOMPARE(fill.value("note").toString(), QStringLiteral("Сделка по поручению %1").arg(orderId));
        checkStamp(fill, "date", "time");

        const QJsonObject stock = m_got.positionUpdates.last().value(stockAccount).toObject();
        QCOMPARE(stock.value("money").toObject().value("blocked").toDouble(), m_stockBlocked);
        QCOMPARE(stock.value("money").toObject().value("balance").toDouble(), fill.value("account").toDouble());
        int amount = 0;
        for (const QJsonValue& v : stock.value("position").toArray()) {
            if (v.toObject().value("paper_id").toInt() == m_share)
                amount = v.toObject().value("amount").toInt();
        }
        QCOMPARE(amount, 110);
        m_filledOrder = orderId;
    }

    // Orders that end without a fill: each is confirmed as sent, and its end
    // arrives as an order update with the reason.
    void ordersWithoutFill_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("infos");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        const QString sent = QStringLiteral("5000 Поручение на %1 VLMR в количестве 10. Успешно отправлено.");
        QTest::newRow("price off the grid")
                << "offGrid" << QStringList{sent.arg("продажу")} << 5 << "Цена не кратна шагу цены (0.01)";
        QTest::newRow("cancelled") << "cancel"
                                   << QStringList{sent.arg("покупку"),
                                                  "5000 Запрос на отмену поручения на покупку по инструменту VLMR в "
                                                  "количестве 10. Успешно отправлен."}
                                   << 6 << "Снято по запросу клиента";
        QTest::newRow("stop order cancelled")
                << "stop"
                << QStringList{"5000 Стоп-поручение на продажу VLMR в количестве 10. Успешно отправлено.",
                               "5000 Запрос на отмену стоп-поручения на продажу по инструменту VLMR в количестве "
                               "10. Успешно отправлен."}
                << 6 << "Снято по запросу клиента";
    }

    void ordersWithoutFill()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, infos);
        QFETCH(int, status);
        QFETCH(QString, reason);
        const double step = instrument(m_share).step;
        const double bid = market().bestBid(m_share);
        const double ask = market().bestAsk(m_share);
        auto cents = [](double v) { return std::round(v * 100) / 100; };
        m_got.infos.clear();
        m_got.orderUpdates.clear();
        QJsonObject order{{"paperID", m_share}, {"partID", stockAccount}, {"amount", 10}, {"execFlag", 0}};
        if (kind == QLatin1String("stop")) {
            const QJsonObject conditions{{"action", -1},
                                         {"fcond", 1},
                                         {"ifPrice1", cents(bid - 50 * step)},
                                         {"stopPrice1", cents(bid - 51 * step)},
                                         {"isMarket1", 0},
                                         {"scond", 1},
                                         {"ifPrice2", cents(ask + 50 * step)},
                                         {"stopPrice2", cents(ask + 52 * step)},
                                         {"isMarket2", 0}};
            for (auto it = conditions.begin(); it != conditions.end(); ++it)
                order.insert(it.key(), it.value());
            m_conn->newStopOrder(order);
        } else {
            order.insert("action", kind == QLatin1String("offGrid") ? -1 : 1);
            order.insert("price", kind == QLatin1String("offGrid") ? bid - step / 2 : cents(bid - 40 * step));
            order.insert("isMarket", 0);
            order.insert("ordTime", 0);
            m_conn->newOrder(order);
        }
        QJsonObject placed;
        QTRY_VERIFY_WITH_TIMEOUT(!(placed = orderUpdate([](const QJsonObject&) { return true; })).isEmpty(), 5000);
        const int id = placed.value("order_id").toInt();
        if (kind == QLatin1String("stop")) {
            QCOMPARE(placed.value("act").toInt(), 6);
            QCOMPARE(placed.value("status").toInt(), 1);
            // Each condition's price pair in the order it was given.
            for (const char* key : {"fcond", "scond", "isMarket1", "isMarket2"})
                QCOMPARE(placed.value(key).toInt(), order.value(key).toInt());
            for (const char* key : {"ifPrice1", "stopPrice1", "ifPrice2", "stopPrice2"})
                QCOMPARE(placed.value(key).toDouble(), order.value(key).toDouble());
            m_conn->cancelStopOrder(QJsonObject{{"orderID", id}, {"paperID", m_share}, {"action", 6}, {"amount", 10}});
        } else if (kind == QLatin1String("cancel")) {
            QCOMPARE(placed.value("status").toInt(), 1);
            m_conn->cancelOrder(QJsonObject{{"orderID", id}, {"paperID", m_share}, {"action", 1}, {"amount", 10}});
        }
        QJsonObject ended;
        QTRY_VERIFY_WITH_TIMEOUT(!(ended = orderUpdate([&](const QJsonObject& o) {
                                       return o.value("order_id").toInt() == id && o.value("status").toInt() == status;
                                   })).isEmpty(),
                                 5000);
        QCOMPARE(ended.value("reason").toString(), reason);
        settle();
        QCOMPARE(m_got.infos, infos);
    }

    // The plug-in catalogue goes into the plugins table, titles readable.
    void pluginCatalogue()
    {
        m_conn->getPluginList(QStringLiteral("Debian 12"), QStringLiteral("x86_64"));
        QTRY_COMPARE_WITH_TIMEOUT(m_got.additional.size(), 1, 5000);
        QCOMPARE(m_got.additional.first().first, int(wtPluginList));
        const QStringList guids = m_got.additional.first().second.value("guids").toStringList();
        QCOMPARE(guids.size(), 2);
        kuAccessDB db;
        const QVariantList rows = db.execute(QStringLiteral("select guid, title, description, plugin_name, price, "
                                                            "version, status from plugins order by plugin_name;"));
        QStringList got;
        for (int i = 0; i + 7 <= rows.size(); i += 7) {
            QVERIFY(guids.contains(rows.at(i).toString()));
            QVERIFY(readable(rows.at(i + 1).toString()) && readable(rows.at(i + 2).toString()));
            got << QStringLiteral("%1 %2 %3 %4 %5")
                            .arg(rows.at(i + 1).toString(), rows.at(i + 3).toString(),
                                 QString::number(rows.at(i + 4).toDouble(), 'f', 2), rows.at(i + 5).toString(),
                                 rows.at(i + 6).toString());
        }
        QCOMPARE(got, (QStringList{"Калькулятор облигаций ku_bondcalc 1500.00 10500000 1",
                                   "Лента новостей ku_newsfeed 0.00 10601000 1"}));
    }

    // Requests the server refuses: its text as the order's outcome, no stream error, no confirmation.
    void refusedOrders_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("code");
        QTest::newRow("account of someone else") << false << 12;
        QTest::newRow("cancel of a filled order") << true << 10;
    }

    void refusedOrders()
    {
        QFETCH(bool, cancel);
        QFETCH(int, code);
        m_got.errors.clear();
        m_got.infos.clear();
        m_got.outcomes.clear();
        if (cancel) {
            QVERIFY(m_filledOrder > 0);
            m_conn->cancelOrder(
                    QJsonObject{{"orderID", m_filledOrder}, {"paperID", m_share}, {"action", 1}, {"amount", 10}});
        } else {
            m_conn->newOrder(QJsonObject{{"paperID", m_share},
                                         {"partID", "Чужой счёт"},
                                         {"action", 1},
                                         {"amount", 10},
                                         {"price", market().bestBid(m_share)},
                                         {"isMarket", 0},
                                         {"ordTime", 0},
                                         {"execFlag", 0}});
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_got.outcomes.size(), 1, 5000);
        QCOMPARE(m_got.outcomes.first().first, int(kuAbstractDataConverter::ooRefused));
        QCOMPARE(m_got.outcomes.first().second, dcMessagePack::serverErrorText(code));
        settle();
        QCOMPARE(m_got.errors.size(), 0);
        QCOMPARE(m_got.infos, QStringList());
    }

    // Once unsubscribed, an instrument's changes no longer arrive; those of
    // an instrument still followed do.
    void unsubscribe()
    {
        for (WinType wt : {wtQuotes, wtOrderBook, wtLastTrades})
            m_conn->unsubscribe(wt, m_bond);
        QCOMPARE(countOf(QStringLiteral("kuUnsubscribe")), 3);
        const int asked = countOf(QStringLiteral("kuLastPrice"));
        m_conn->requestLastPrice(m_share);
        QTRY_VERIFY(countOf(QStringLiteral("kuLastPrice")) > asked);
        waitForPolls(QStringLiteral("kuMarketDataUpdate"));
        m_got.quoteUpdates.clear();
        m_got.bookUpdates.clear();
        m_got.tapeUpdates.clear();
        m_got.lastPrices.clear();

        market().setLastPrice(m_bond, market().lastPrice(m_bond) + 3 * instrument(m_bond).step);
        market().setLastPrice(m_share, market().lastPrice(m_share) + 3 * instrument(m_share).step);
        QTRY_VERIFY_WITH_TIMEOUT(!m_got.quoteUpdates.isEmpty() && !m_got.bookUpdates.isEmpty() &&
                                         !m_got.tapeUpdates.isEmpty() && !m_got.lastPrices.isEmpty(),
                                 5000);
        waitForPolls(QStringLiteral("kuMarketDataUpdate"));
        for (const auto& u : qAsConst(m_got.quoteUpdates))
            QCOMPARE(u.first, m_share);
        QCOMPARE(m_got.quoteUpdates.last().second.value("last").toDouble(), market().lastPrice(m_share));
        for (const auto& u : qAsConst(m_got.bookUpdates))
            QCOMPARE(u.first, m_share);
        for (const auto& u : qAsConst(m_got.tapeUpdates))
            QCOMPARE(u.first, m_share);
        QCOMPARE(m_got.lastPrices, (QList<QPair<int, double>>{{m_share, market().lastPrice(m_share)}}));
    }

    void logout()
    {
        QCOMPARE(m_server->sessionCount(), 1);
        QCOMPARE(m_conn->unAuthorize(QStringLiteral("Unknown")), 0);
        QVERIFY(!m_conn->isPolling());
        QCOMPARE(m_server->sessionCount(), 0);
        QCOMPARE(countOf(QStringLiteral("kuUnAuthorized")), 1);
    }
};

QTEST_GUILESS_MAIN(tst_DataPath)
#include "tst_datapath.moc"
