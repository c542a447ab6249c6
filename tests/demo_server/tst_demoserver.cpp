#include "kudemopacker.h"
#include "kudemoreplies.h"
#include "kudemoserver.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QThread>
#include <QtTest>

#include <msgpack.h>

#include <functional>
#include <memory>

#include <csignal>
#include <sys/types.h>

namespace {

// Texts stay raw bytes (str and bin alike), as the terminal reads them.
QVariant toVariant(const msgpack_object& o)
{
    switch (o.type) {
    case MSGPACK_OBJECT_NIL:
        return QVariant();
    case MSGPACK_OBJECT_BOOLEAN:
        return o.via.boolean;
    case MSGPACK_OBJECT_POSITIVE_INTEGER:
        return qint64(o.via.u64);
    case MSGPACK_OBJECT_NEGATIVE_INTEGER:
        return qint64(o.via.i64);
    case MSGPACK_OBJECT_FLOAT32:
    case MSGPACK_OBJECT_FLOAT64:
        return o.via.f64;
    case MSGPACK_OBJECT_STR:
        return QByteArray(o.via.str.ptr, int(o.via.str.size));
    case MSGPACK_OBJECT_BIN:
        return QByteArray(o.via.bin.ptr, int(o.via.bin.size));
    case MSGPACK_OBJECT_ARRAY: {
        QVariantList list;
        for (uint32_t i = 0; i < o.via.array.size; ++i)
            list.append(toVariant(o.via.array.ptr[i]));
        return list;
    }
    case MSGPACK_OBJECT_MAP: {
        QVariantMap map;
        for (uint32_t i = 0; i < o.via.map.size; ++i)
            map.insert(toVariant(o.via.map.ptr[i].key).toString(), toVariant(o.via.map.ptr[i].val));
        return map;
    }
    default:
        return QStringLiteral("<unsupported>");
    }
}

QVariant decode(const QByteArray& hex)
{
    const QByteArray bytes = QByteArray::fromHex(hex);
    msgpack_unpacked result;
    msgpack_unpacked_init(&result);
    size_t offset = 0;
    QVariant value(QStringLiteral("<undecodable>"));
    if (msgpack_unpack_next(&result, bytes.constData(), size_t(bytes.size()), &offset) == MSGPACK_UNPACK_SUCCESS &&
        offset == size_t(bytes.size()))
        value = toVariant(result.data);
    msgpack_unpacked_destroy(&result);
    return value;
}

QString koi8(const QVariant& bytes)
{
    return QTextCodec::codecForName("KOI8-R")->toUnicode(bytes.toByteArray());
}

QString accountHash(const QString& name)
{
    return QString::fromLatin1(
            QCryptographicHash::hash(QTextCodec::codecForName("KOI8-R")->fromUnicode(name), QCryptographicHash::Sha1)
                    .toHex());
}

int errorCode(const QVariant& reply)
{
    return reply.toMap().value(QStringLiteral("error_code"), -1).toInt();
}

// 2026-12-09 09:00:00 UTC, 12:00 at the server.
const qint64 startMs = 1796806800000LL;

QVariantList packed(const std::function<void(kuDemoPacker&)>& pack)
{
    kuDemoPacker p;
    pack(p);
    return decode(p.hex()).toList();
}

// A candle as text, every value exact.
QString candleText(const QVariantList& values, int at)
{
    QStringList parts;
    for (int k = 0; k < 7; ++k)
        parts << QString::number(values.at(at + k).toDouble(), 'g', 17);
    return parts.join(QLatin1Char(' '));
}

// The chart's grouping of minutes (oldest first, 7 values each) into candles of k minutes,
// days at the server's midnight; the last, maybe unfinished bucket included.
QStringList grouped(const QVariantList& minutes, int k)
{
    QStringList out;
    QVariantList bucket; // open, close, high, low, volume, start, k
    for (int i = 0; i + 7 <= minutes.size(); i += 7) {
        const qint64 t = minutes.at(i + 5).toLongLong();
        const qint64 start = k == 1440 ? (t + 10800) / 86400 * 86400 - 10800 : t - t % (k * 60);
        if (!bucket.isEmpty() && bucket.at(5).toLongLong() != start && bucket.at(4).toDouble() > 0) {
            out << candleText(bucket, 0);
            bucket.clear();
        }
        if (bucket.isEmpty() || bucket.at(4).toDouble() <= 0) {
            bucket = minutes.mid(i, 7);
            bucket[4] = 0.0;
            bucket[5] = start;
            bucket[6] = k;
        } else {
            bucket[2] = qMax(bucket.at(2).toDouble(), minutes.at(i + 2).toDouble());
            bucket[3] = qMin(bucket.at(3).toDouble(), minutes.at(i + 3).toDouble());
        }
        bucket[1] = minutes.at(i + 1);
        bucket[4] = bucket.at(4).toDouble() + minutes.at(i + 4).toDouble();
    }
    if (!bucket.isEmpty() && bucket.at(4).toDouble() > 0)
        out << candleText(bucket, 0);
    return out;
}

kuDemoOrderRequest limitOrder(const QString& account, int paperId, int action, int amount, double price)
{
    kuDemoOrderRequest r;
    r.code = 1001;
    r.account = account;
    r.paperId = paperId;
    r.action = action;
    r.amount = amount;
    r.price = price;
    return r;
}

struct Reply
{
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QByteArray body;
    QVariant value() const { return decode(body); }
};

} // namespace

class tst_DemoServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void sameSeedSameMarket();
    void login_data();
    void login();
    void requestErrors_data();
    void requestErrors();
    void instrumentList();
    void candles();
    void dayEndClosesTheSession();
    void liveCandlesOfEveryFrame();
    void seededHistory();
    void bookShowsRestingOrders();
    void largeOrderFillsPartly();
    void pluginListAndReport();
    void subscriptionsReachMarketPoll();
    void limitOrderFillsWhenMarketCrosses();
    void marketStopAndCancel();
    void sessionExpires();
    void faultSwitches();
    void hostileModes();
    void twoPortsShareSessions();
    void programLogsAndStops();
    void ownThreadAndKeepAlive();

private:
    Reply get(const QString& pathAndQuery, int portIndex = 0, int timeoutMs = 0, const QByteArray& verb = "GET");
    Reply fetch(const QUrl& url, const QSslCertificate& certificate, int timeoutMs = 0, const QByteArray& verb = "GET");
    QString logIn(const QByteArray& user = "DEMO", const QByteArray& password = "demo");
    QVariantList poll(const QString& session, const char* script);
    kuDemoServer::Options fixedClock() const;

    QTemporaryDir m_dataDir;
    std::unique_ptr<kuDemoServer> m_server;
    std::unique_ptr<QNetworkAccessManager> m_manager;
};

void tst_DemoServer::initTestCase()
{
    QVERIFY(m_dataDir.isValid());
}

// A fixed clock that moves only when a case steps the market.
kuDemoServer::Options tst_DemoServer::fixedClock() const
{
    kuDemoServer::Options options;
    options.dataDir = m_dataDir.path();
    options.startMs = startMs;
    options.tickMs = 0;
    return options;
}

void tst_DemoServer::init()
{
    kuDemoServer::Options seeded = fixedClock();
    seeded.seed = 42;
    m_server = std::make_unique<kuDemoServer>(seeded);
    QVERIFY2(m_server->start({0}), qPrintable(m_server->errorString()));
    QVERIFY(m_server->port() != 0);
    m_manager = std::make_unique<QNetworkAccessManager>();
}

void tst_DemoServer::cleanup()
{
    m_manager.reset();
    m_server.reset();
}

Reply tst_DemoServer::get(const QString& pathAndQuery, int portIndex, int timeoutMs, const QByteArray& verb)
{
    return fetch(QUrl(m_server->baseUrl(portIndex) + QLatin1Char('/') + pathAndQuery, QUrl::TolerantMode),
                 m_server->certificate(), timeoutMs, verb);
}

Reply tst_DemoServer::fetch(const QUrl& url, const QSslCertificate& certificate, int timeoutMs, const QByteArray& verb)
{
    QNetworkRequest request(url);
    // Trust exactly the server's own certificate: no error is ignored.
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates({certificate});
    request.setSslConfiguration(ssl);
    if (timeoutMs > 0)
        request.setTransferTimeout(timeoutMs);
    QNetworkReply* reply = m_manager->sendCustomRequest(request, verb);
    QSignalSpy finished(reply, &QNetworkReply::finished);
    Reply result;
    if (!finished.wait(10000)) {
        result.error = QNetworkReply::TimeoutError;
        reply->abort();
    } else {
        result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        result.error = reply->error();
        if (reply->isOpen())
            result.body = reply->readAll();
    }
    reply->deleteLater();
    return result;
}

QString tst_DemoServer::logIn(const QByteArray& user, const QByteArray& password)
{
    const Reply r = get(QStringLiteral("kuAuthorized?ID=%1&PW=%2&VER=10603000&OS=Linux")
                                .arg(QString::fromLatin1(user.toPercentEncoding()), QString::fromLatin1(password)));
    return r.value().toMap().value(QStringLiteral("session")).toList().value(0).toString();
}

QVariantList tst_DemoServer::poll(const QString& session, const char* script)
{
    return get(QStringLiteral("%1?ID=%2").arg(QLatin1String(script), session)).value().toList();
}

void tst_DemoServer::sameSeedSameMarket()
{
    auto snapshot = [](quint64 seed) {
        kuDemoMarket market(seed, startMs);
        kuDemoPacker p;
        p.array(3);
        kuDemoReplies(market).packInstruments(p);
        kuDemoReplies(market).packCandles(p, 1, startMs / 1000 - 3 * 3600, startMs / 1000, startMs / 1000 - 90 * 86400);
        p.array(quint32(market.instruments().size()));
        for (const kuDemoInstrument& i : market.instruments())
            p.real(market.lastPrice(i.id));
        return p.bytes();
    };
    QCOMPARE(snapshot(7), snapshot(7));
    QVERIFY(snapshot(7) != snapshot(8));

    // Stepping is reproducible too.
    kuDemoMarket a(7, startMs), b(7, startMs);
    for (int i = 0; i < 50; ++i) {
        a.step(250);
        b.step(250);
    }
    for (const kuDemoInstrument& i : a.instruments())
        QCOMPARE(a.lastPrice(i.id), b.lastPrice(i.id));
}

void tst_DemoServer::login_data()
{
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<int>("refuse");
    QTest::addColumn<int>("expectedError");

    QTest::newRow("demo") << QByteArray("DEMO") << QByteArray("demo") << 0 << -1;
    QTest::newRow("wrong password") << QByteArray("DEMO") << QByteArray("Demo") << 0 << 5;
    QTest::newRow("unknown user") << QByteArray("NOBODY") << QByteArray("demo") << 0 << 5;
    QTest::newRow("cyrillic user in cp1251")
            << QTextCodec::codecForName("cp1251")->fromUnicode(QStringLiteral("ИВАНОВ")) << QByteArray("secret") << 0
            << -1;
    QTest::newRow("refused") << QByteArray("DEMO") << QByteArray("demo") << 6 << 6;
}

void tst_DemoServer::login()
{
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    QFETCH(int, refuse);
    QFETCH(int, expectedError);

    const QString login = QTextCodec::codecForName("cp1251")->toUnicode(user);
    m_server->addUser(QStringLiteral("ИВАНОВ"), QStringLiteral("secret"));
    m_server->setRefuseLogins(refuse);
    const Reply r = get(QStringLiteral("kuAuthorized?ID=%1&PW=%2&VER=10603000&OS=Linux")
                                .arg(QString::fromLatin1(user.toPercentEncoding()), QString::fromLatin1(password)));
    QCOMPARE(r.status, 200);
    // The login name travels as %XX of its cp1251 bytes, one per letter.
    QVERIFY(m_server->requests().constLast().contains(QString::fromLatin1(user.toPercentEncoding())));
    const QVariantMap map = r.value().toMap();
    if (expectedError > 0) {
        QCOMPARE(errorCode(map), expectedError);
        QCOMPARE(m_server->sessionCount(), 0);
        return;
    }
    const QString session = map.value(QStringLiteral("session")).toList().value(0).toString();
    QCOMPARE(session.size(), 40);
    QCOMPARE(map.size(), 3);
    const QVariantList stock = map.value(QStringLiteral("account1")).toList();
    const QVariantList futures = map.value(QStringLiteral("account2")).toList();
    QCOMPARE(koi8(stock.value(0)), QStringLiteral("Фондовый-") + login);
    QCOMPARE(koi8(futures.value(0)), QStringLiteral("Срочный-") + login);
    QCOMPARE(stock.value(2).toInt(), 1);
    QCOMPARE(futures.value(2).toInt(), 0);
    QCOMPARE(stock.mid(3), QVariantList{1});
    QCOMPARE(futures.mid(3), QVariantList{2});

    // Each login opens a session of its own.
    QVERIFY(logIn(user, password) != session);
    QCOMPARE(m_server->sessionCount(), 2);
}

void tst_DemoServer::requestErrors_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QByteArray>("verb");
    QTest::addColumn<int>("code");

    QTest::newRow("unknown script") << "kuNoSuchThing?ID=%1" << QByteArray("GET") << 4;
    QTest::newRow("no parameters") << "kuGetInitInfo" << QByteArray("GET") << 2;
    QTest::newRow("missing parameter") << "kuGetOrderBook?ID=%1" << QByteArray("GET") << 4;
    QTest::newRow("empty value") << "kuGetOrderBook?ID=%1&PID=" << QByteArray("GET") << 3;
    QTest::newRow("unknown instrument") << "kuGetQuotes?ID=%1&PID=9999" << QByteArray("GET") << 3;
    QTest::newRow("unknown session") << "kuGetInitInfo?ID=0123456789" << QByteArray("GET") << 7;
    QTest::newRow("no session yet") << "kuGetDateTime?ID=" << QByteArray("GET") << 7;
    QTest::newRow("not GET") << "kuGetInitInfo?ID=%1" << QByteArray("DELETE") << 1;
    QTest::newRow("unknown account")
            << "kuOrderManager?ID=%1&TYPE=1001&ACC=00&PID=1&ACT=1&QUANT=10&IM=0&PRICE=1.000000&TIME=1&EF=0"
            << QByteArray("GET") << 12;
    QTest::newRow("unknown order type") << "kuOrderManager?ID=%1&TYPE=1999" << QByteArray("GET") << 3;
    QTest::newRow("cancel of unknown order") << "kuOrderManager?ID=%1&TYPE=1003&OID=77" << QByteArray("GET") << 3;
}

void tst_DemoServer::requestErrors()
{
    QFETCH(QString, request);
    QFETCH(QByteArray, verb);
    QFETCH(int, code);

    const QString session = logIn();
    QVERIFY(!session.isEmpty());
    const Reply r = get(request.contains(QLatin1String("%1")) ? request.arg(session) : request, 0, 0, verb);
    QCOMPARE(r.status, 200);
    QCOMPARE(errorCode(r.value()), code);
}

void tst_DemoServer::instrumentList()
{
    const QString session = logIn();
    const QVariantList list = get(QStringLiteral("kuGetInitInfo?ID=") + session).value().toList();
    QCOMPARE(list.size() % 14, 0);
    QVERIFY(list.size() / 14 >= 25);

    QSet<int> types, exchanges, ids;
    QMap<QString, QVariantList> byTicker;
    for (int i = 0; i + 14 <= list.size(); i += 14) {
        const QVariantList row = list.mid(i, 14);
        ids.insert(row.at(0).toInt());
        types.insert(row.at(1).toInt());
        exchanges.insert(row.at(3).toInt());
        QVERIFY(row.at(6).toDouble() > 0);
        QVERIFY(!koi8(row.at(13)).isEmpty());
        // Every text must survive KOI8-R: no letter replaced by '?'.
        for (int k = 9; k <= 13; ++k)
            QVERIFY2(!koi8(row.at(k)).contains(QLatin1Char('?')), qPrintable(koi8(row.at(k))));
        byTicker.insert(koi8(row.at(9)), row);
    }
    QCOMPARE(ids.size(), list.size() / 14);
    QCOMPARE(types, (QSet<int>{1, 2, 4, 5, 7}));
    QCOMPARE(exchanges, (QSet<int>{1, 2}));

    const QVariantList share = byTicker.value(QStringLiteral("VLMR"));
    QCOMPARE(koi8(share.at(10)), QStringLiteral("ПАО \"Велморан\""));
    QCOMPARE(share.at(2).toInt(), 10);
    const QVariantList bond = byTicker.value(QStringLiteral("VG26238"));
    QCOMPARE(bond.at(1).toInt(), 2);
    QCOMPARE(bond.at(7).toDouble(), 1000.0);
    QVERIFY(bond.at(8).toDouble() > 0);
    // The market refuses market orders on this one.
    QCOMPARE(byTicker.value(QStringLiteral("RPAR")).at(5).toInt(), 0);
}

void tst_DemoServer::candles()
{
    const QString session = logIn();
    const qint64 now = startMs / 1000;
    // Ask for more than there is: 60 days of minutes and 10 years of days.
    const QVariantList list = get(QStringLiteral("kuGetCandles?ID=%1&PID=1&SD=%2&ED=%3&SDD=%4&TYPE=1")
                                          .arg(session)
                                          .arg(now - 60 * 86400)
                                          .arg(now)
                                          .arg(now - 3650 * 86400))
                                      .value()
                                      .toList();
    QCOMPARE(list.size() % 7, 0);
    int minutes = 0, days = 0;
    qint64 previous = 0, lastMinute = 0;
    double lastClose = 0;
    for (int i = 0; i + 7 <= list.size(); i += 7) {
        const double open = list.at(i).toDouble(), close = list.at(i + 1).toDouble();
        const double high = list.at(i + 2).toDouble(), low = list.at(i + 3).toDouble();
        const qint64 time = list.at(i + 5).toLongLong();
        const int frame = list.at(i + 6).toInt();
        QVERIFY(high >= qMax(open, close) && low <= qMin(open, close) && low > 0);
        QVERIFY(time <= now);
        if (frame == 1) {
            QVERIFY(time > previous);
            ++minutes;
            lastMinute = time;
            lastClose = close;
        } else {
            QCOMPARE(frame, 1440);
            if (days == 0)
                previous = 0;
            ++days;
        }
        previous = time;
    }
    QCOMPARE(minutes, 30 * 1440);
    QCOMPARE(days, 5 * 365);
    // History runs into the live market without a gap or a jump.
    QCOMPARE(lastMinute, now / 60 * 60 - 60);
    QCOMPARE(lastClose, m_server->market().lastPrice(1));

    // The closed minutes of the live market join the history.
    m_server->step(60000);
    const QVariantList later = get(QStringLiteral("kuGetCandles?ID=%1&PID=1&SD=%2&ED=%3&SDD=%3&TYPE=1")
                                           .arg(session)
                                           .arg(now - 60)
                                           .arg(now + 60))
                                       .value()
                                       .toList();
    QCOMPARE(later.size(), 2 * 7);
    QCOMPARE(later.at(7 + 5).toLongLong(), now / 60 * 60);
}

void tst_DemoServer::dayEndClosesTheSession()
{
    // 23:59:00 at the server (UTC+3) on 9 December.
    const qint64 dayStart = startMs / 1000 - 12 * 3600;
    kuDemoMarket market(5, (dayStart + 86400 - 60) * 1000);
    for (int i = 0; i < 200; ++i)
        market.step(250);
    const double closing = market.lastPrice(1);
    const quint64 before = market.stamp();
    market.step(10000); // past midnight

    kuDemoPacker quote;
    kuDemoReplies(market).packQuote(quote, 1, false);
    const QVariantList q = decode(quote.hex()).toList();
    QCOMPARE(q.at(7).toDouble(), closing);  // open
    QCOMPARE(q.at(17).toDouble(), closing); // previous close
    QVERIFY(q.at(13).toInt() <= 1);         // trades of the new day

    // The finished day joins the daily candles and the chart's updates.
    kuDemoPacker candles;
    kuDemoReplies(market).packCandles(candles, 1, dayStart + 86400, dayStart + 86400, dayStart - 86400);
    const QVariantList list = decode(candles.hex()).toList();
    QCOMPARE(list.size(), 2 * 7);
    QCOMPARE(list.at(7 + 1).toDouble(), closing);
    QCOMPARE(list.at(7 + 5).toLongLong(), dayStart);
    QCOMPARE(list.at(7 + 6).toInt(), 1440);
    kuDemoPacker updates;
    kuDemoReplies(market).packMarketUpdates(updates, {{7, 1}}, before);
    const QVariantList closed = decode(updates.hex()).toList().value(0).toList();
    QCOMPARE(closed.mid(0, 3), (QVariantList{7, 1, 1}));
    QCOMPARE(closed.constLast().toInt(), 1440);
    QCOMPARE(closed.at(closed.size() - 2).toLongLong(), dayStart);
}

void tst_DemoServer::liveCandlesOfEveryFrame()
{
    // From 23:10 at the server to 00:27:30: buckets of every size close, the day among them.
    const qint64 dayStart = startMs / 1000 - 12 * 3600;
    const qint64 start = dayStart + 86400 - 50 * 60;
    kuDemoMarket market(11, start * 1000);
    const kuDemoReplies replies(market);
    QMap<int, QStringList> closed;
    QVariantList forming;
    quint64 since = market.stamp();
    const int steps = 77 * 12 + 6;
    for (int i = 0; i < steps; ++i) {
        market.step(5000);
        if (i % 20 != 0 && i != steps - 1)
            continue;
        // A poll now and then, as the terminal polls.
        for (const QVariant& e : packed([&](kuDemoPacker& p) { replies.packMarketUpdates(p, {{7, 1}}, since); })) {
            const QVariantList entry = e.toList();
            for (int at = 3; at + 7 <= entry.size(); at += 7) {
                const int frame = entry.at(at + 6).toInt();
                QVERIFY(frame == 1 || entry.at(at + 4).toDouble() > 0);
                if (entry.at(2).toInt() == 1 && frame != 1)
                    closed[frame] << candleText(entry, at);
            }
            if (entry.at(2).toInt() == 2)
                forming = entry.mid(3);
        }
        since = market.stamp();
    }
    for (const QVariant& e : packed([&](kuDemoPacker& p) { replies.packMarketUpdates(p, {{7, 1}}, 0); })) {
        if (e.toList().at(2).toInt() == 2)
            forming = e.toList().mid(3);
    }
    // The minute first, then the frames whose bucket has seen volume.
    QCOMPARE(forming.at(6).toInt(), 1);
    QMap<int, QString> formingByFrame;
    for (int at = 7; at + 7 <= forming.size(); at += 7)
        formingByFrame.insert(forming.at(at + 6).toInt(), candleText(forming, at));
    QVERIFY(formingByFrame.size() >= 5);

    // The same minutes, history and live, grouped as the chart groups its cache.
    const qint64 now = market.now() / 1000;
    const QVariantList minutes =
            packed([&](kuDemoPacker& p) { replies.packCandles(p, 1, dayStart, now, now + 86400); });
    const qint64 formingMinute = forming.at(5).toLongLong();
    QCOMPARE(formingMinute, now / 60 * 60);
    QCOMPARE(minutes.at(minutes.size() - 2).toLongLong(), formingMinute - 60);
    for (int k : {5, 10, 15, 30, 60, 1440}) {
        const qint64 formingStart = k == 1440 ? dayStart + 86400 : formingMinute - formingMinute % (k * 60);
        const QStringList withForming = grouped(minutes + forming.mid(0, 7), k);
        if (withForming.constLast().section(QLatin1Char(' '), 5, 5).toLongLong() == formingStart)
            QCOMPARE(formingByFrame.value(k), withForming.constLast());
        else
            QVERIFY(!formingByFrame.contains(k));
        // Closed live: the buckets from the one holding the start up to the forming one.
        QStringList expected;
        for (const QString& c : grouped(minutes, k)) {
            const qint64 t = c.section(QLatin1Char(' '), 5, 5).toLongLong();
            if (t + k * 60 > start && t < formingStart)
                expected << c;
        }
        QVERIFY(!expected.isEmpty());
        QCOMPARE(closed.value(k), expected);
    }
    QCOMPARE(closed.value(1440).size(), 1); // the day that began before the start
}

void tst_DemoServer::seededHistory()
{
    kuDemoMarket market(42, startMs);
    market.addUser(QStringLiteral("DEMO"));
    const kuDemoReplies replies(market);
    const QVariantList orders =
            packed([&](kuDemoPacker& p) { replies.packOrders(p, QStringLiteral("DEMO"), 0, false); });
    const QVariantList trades =
            packed([&](kuDemoPacker& p) { replies.packTrades(p, QStringLiteral("DEMO"), 0, false); });
    const QVariantList portfolio =
            packed([&](kuDemoPacker& p) { replies.packPortfolio(p, QStringLiteral("DEMO"), 0, false); });
    QCOMPARE(orders.size(), 2);
    QSet<int> acts;
    for (int n = 0; n < 2; ++n) {
        const QString account = koi8(orders.at(n).toMap().value(QStringLiteral("part_id")));
        QVERIFY(account.endsWith(QLatin1String("-DEMO")));
        const QVariantList list = orders.at(n).toMap().value(QStringLiteral("orders")).toList();
        QSet<int> statuses;
        bool activeLimit = false, activeStop = false;
        for (int i = 0; i + 20 <= list.size(); i += 20) {
            const int status = list.at(i + 8).toInt(), act = list.at(i + 4).toInt();
            const double last = market.lastPrice(list.at(i + 3).toInt());
            statuses.insert(status);
            QVERIFY(list.at(i + 1).toString() < QLatin1String("2026-12-09"));
            const QString reason = koi8(list.at(i + 11));
            QCOMPARE(reason.isEmpty(), status != 5 && status != 6);
            QVERIFY(!reason.contains(QLatin1Char('?')));
            if (status == 1 && (act == 1 || act == 2))
                activeLimit = std::fabs(list.at(i + 6).toDouble() / last - 1) > 0.04;
            if (status == 1 && (act == 5 || act == 6))
                activeStop = list.at(i + 12).toInt() && list.at(i + 13).toInt() && list.at(i + 16).toDouble() < last &&
                             list.at(i + 18).toDouble() > last;
        }
        QVERIFY2(statuses.contains({1, 3, 5, 6}), qPrintable(account));
        QVERIFY2(activeLimit && activeStop, qPrintable(account));

        // Operations in time order, positions as the trades left them, the last balance the money.
        QCOMPARE(koi8(trades.at(n).toMap().value(QStringLiteral("part_id"))), account);
        const QVariantList ops = trades.at(n).toMap().value(QStringLiteral("trades")).toList();
        QString previous;
        QMap<int, int> held;
        for (int i = 0; i + 11 <= ops.size(); i += 11) {
            const QString when = ops.at(i + 1).toString() + QLatin1Char(' ') + ops.at(i + 2).toString();
            QVERIFY2(when > previous, qPrintable(when));
            previous = when;
            const int act = ops.at(i + 4).toInt();
            acts.insert(act);
            QVERIFY(ops.at(i + 9).toDouble() > 0);
            QVERIFY(!koi8(ops.at(i + 10)).isEmpty() && !koi8(ops.at(i + 10)).contains(QLatin1Char('?')));
            if (act == 1 || act == 2)
                held[ops.at(i + 3).toInt()] += (act == 1 ? 1 : -1) * ops.at(i + 5).toInt();
        }
        const QVariantMap money = portfolio.at(n).toMap();
        QCOMPARE(ops.at(ops.size() - 2).toDouble(), money.value(QStringLiteral("money")).toList().at(0).toDouble());
        const QVariantList positions = money.value(QStringLiteral("position")).toList();
        QMap<int, int> positionAmounts;
        for (int i = 0; i + 8 <= positions.size(); i += 8) {
            positionAmounts.insert(positions.at(i).toInt(), positions.at(i + 2).toInt());
            // A future's book value is in price points: the terminal values it by price step.
            const kuDemoInstrument* instrument = market.instrument(positions.at(i).toInt());
            if (instrument && instrument->isDerivative())
                QCOMPARE(positions.at(i + 4).toDouble(), positions.at(i + 2).toInt() * positions.at(i + 3).toDouble());
        }
        held.remove(2); // a round trip
        QCOMPARE(held, positionAmounts);
    }
    QCOMPARE(acts, (QSet<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
}

void tst_DemoServer::bookShowsRestingOrders()
{
    kuDemoMarket market(42, startMs);
    market.addUser(QStringLiteral("DEMO"));
    market.addUser(QStringLiteral("OTHER"));
    const kuDemoReplies replies(market);
    auto book = [&] { return packed([&](kuDemoPacker& p) { replies.packOrderBook(p, 1, false); }); };
    auto amountAt = [&](int action, double price) {
        const QVariantList levels = book();
        int amount = 0;
        for (int i = 0; i + 4 <= levels.size(); i += 4) {
            if (levels.at(i).toInt() == action && qFuzzyCompare(levels.at(i + 2).toDouble(), price))
                amount += levels.at(i + 1).toInt();
        }
        return amount;
    };
    const QVariantList levels = book();
    QCOMPARE(levels.size(), 2 * 25 * 4);
    for (int i = 4; i < levels.size(); i += 4) {
        QVERIFY(levels.at(i + 2).toDouble() < levels.at(i - 2).toDouble());
        QVERIFY(levels.at(i).toInt() >= levels.at(i - 4).toInt()); // offers, then bids
    }

    // One user's buy at a bid level adds to it; another user's sell far out makes a level of its own.
    const double bid = std::round((market.bestBid(1) - 0.03) * 100) / 100;
    const double far = std::round((market.bestAsk(1) + 0.40) * 100) / 100;
    const int before = amountAt(2, bid);
    const quint64 since = market.stamp();
    const int buy =
            market.orderRequest(QStringLiteral("DEMO"), limitOrder(QStringLiteral("Фондовый-DEMO"), 1, 1, 30, bid));
    const int sell =
            market.orderRequest(QStringLiteral("OTHER"), limitOrder(QStringLiteral("Фондовый-OTHER"), 1, -1, 20, far));
    QCOMPARE(market.order(buy)->status, 1);
    QCOMPARE(market.order(sell)->status, 1);
    QCOMPARE(amountAt(2, bid), before + 3);
    QCOMPARE(amountAt(1, far), 2);
    QCOMPARE(book().size(), (2 * 25 + 1) * 4);
    // Pollers of the book hear of it without a market step.
    const QVariantList update = packed([&](kuDemoPacker& p) { replies.packMarketUpdates(p, {{10, 1}}, since); });
    QCOMPARE(update.value(0).toList().value(0).toInt(), 10);

    kuDemoOrderRequest cancel;
    cancel.code = 1003;
    cancel.orderId = buy;
    QCOMPARE(market.orderRequest(QStringLiteral("DEMO"), cancel), buy);
    QCOMPARE(amountAt(2, bid), before);
}

void tst_DemoServer::largeOrderFillsPartly()
{
    kuDemoMarket market(42, startMs);
    market.addUser(QStringLiteral("DEMO"));
    const QString stock = QStringLiteral("Фондовый-DEMO");
    const kuDemoReplies replies(market);
    // Offers run down to the best, bids from the best down.
    auto bestLots = [&](int action) {
        const QVariantList levels = packed([&](kuDemoPacker& p) { replies.packOrderBook(p, 1, false); });
        int lots = 0;
        for (int i = 0; i + 4 <= levels.size(); i += 4) {
            if (levels.at(i).toInt() == action && (action == 1 || lots == 0))
                lots = levels.at(i + 1).toInt();
        }
        return lots;
    };
    const quint64 since = market.stamp();
    const double ask = market.bestAsk(1);
    const int level = bestLots(1) * 10;
    const int id = market.orderRequest(QStringLiteral("DEMO"), limitOrder(stock, 1, 1, level + 30, ask));
    QCOMPARE(market.order(id)->status, 2);
    QCOMPARE(market.order(id)->filled, level);
    // The rest waits in the book at its price, above what is left of the offers.
    const QVariantList levels = packed([&](kuDemoPacker& p) { replies.packOrderBook(p, 1, false); });
    for (int i = 0; i + 4 <= levels.size(); i += 4) {
        if (levels.at(i).toInt() == 1)
            QVERIFY(levels.at(i + 2).toDouble() > ask);
        else if (qFuzzyCompare(levels.at(i + 2).toDouble(), ask))
            QCOMPARE(levels.at(i + 1).toInt(), 3);
    }
    // It waits for the next seller, then fills at its price.
    market.step(1500);
    QCOMPARE(market.order(id)->status, 2);
    market.step(600);
    market.setLastPrice(1, ask - 0.01);
    QCOMPARE(market.order(id)->status, 3);

    // Two trades for the order, both polled; a cancel after a partial fill closes it as partly filled.
    const int second = market.orderRequest(QStringLiteral("DEMO"),
                                           limitOrder(stock, 1, -1, bestLots(2) * 10 + 10, market.bestBid(1)));
    QCOMPARE(market.order(second)->status, 2);
    kuDemoOrderRequest cancel;
    cancel.code = 1003;
    cancel.orderId = second;
    QCOMPARE(market.orderRequest(QStringLiteral("DEMO"), cancel), second);
    QCOMPARE(market.order(second)->status, 4);
    QVERIFY(!market.order(second)->reason.isEmpty());
    const QVariantList trades =
            packed([&](kuDemoPacker& p) { replies.packTrades(p, QStringLiteral("DEMO"), since, true); });
    const QVariantList fills = trades.at(1).toMap().value(QStringLiteral("trades")).toList();
    QCOMPARE(fills.size(), 3 * 11);
    QCOMPARE(fills.at(5).toInt() + fills.at(11 + 5).toInt(), level + 30);
    QVERIFY(fills.at(11 + 6).toDouble() <= ask);
    QVERIFY(koi8(fills.at(11 + 10)).endsWith(QString::number(id)));
}

void tst_DemoServer::pluginListAndReport()
{
    const QString session = logIn();
    const QVariantList plugins =
            get(QStringLiteral("kuGetPluginList?ID=%1&OS=windowsXP&ARCH=x86&V=10603000").arg(session)).value().toList();
    QCOMPARE(plugins.size(), 2 * 7);
    QSet<QByteArray> guids;
    for (int i = 0; i < plugins.size(); i += 7) {
        const QByteArray guid = plugins.at(i).toByteArray();
        QCOMPARE(guid.size(), 64);
        guids.insert(guid);
        QVERIFY(!koi8(plugins.at(i + 1)).isEmpty() && !koi8(plugins.at(i + 1)).contains(QLatin1Char('?')));
        QVERIFY(plugins.at(i + 3).toLongLong() > 0);
        QVERIFY(plugins.at(i + 6).toByteArray().startsWith("ku_"));
    }
    QCOMPARE(guids.size(), 2);

    // The report lists the account's trades of the period.
    const QString stock = accountHash(QStringLiteral("Фондовый-DEMO"));
    get(QStringLiteral("kuOrderManager?ID=%1&TYPE=1001&ACC=%2&PID=1&ACT=1&QUANT=10&IM=1&PRICE=0.000000&TIME=1&EF=0")
                .arg(session, stock));
    const QString report = QStringLiteral("kuGetReportData?ID=%1&TYPE=1&SDATE=%2&EDATE=%3&ACC=%4");
    QCOMPARE(get(report.arg(session, QStringLiteral("2026-12-09"), QStringLiteral("2026-12-09"), stock))
                     .value()
                     .toList()
                     .size(),
             11);
    // Earlier days hold the account's history, each row of its period.
    const QVariantList week =
            get(report.arg(session, QStringLiteral("01.12.2026"), QStringLiteral("08.12.2026"), stock))
                    .value()
                    .toList();
    QVERIFY(week.size() >= 5 * 11);
    QCOMPARE(week.size() % 11, 0);
    for (int i = 0; i < week.size(); i += 11) {
        const QString day = week.at(i + 1).toString();
        QVERIFY2(day >= QLatin1String("2026-12-01") && day <= QLatin1String("2026-12-08"), qPrintable(day));
    }
    QCOMPARE(get(report.arg(session, QStringLiteral("01.11.2026"), QStringLiteral("20.11.2026"), stock))
                     .value()
                     .toList()
                     .size(),
             0);
    QCOMPARE(errorCode(get(report.arg(session, QStringLiteral("2026-12-09"), QStringLiteral("2026-12-09"),
                                      accountHash(QString())))
                               .value()),
             12);
}

void tst_DemoServer::subscriptionsReachMarketPoll()
{
    const QString session = logIn();
    QCOMPARE(poll(session, "kuMarketDataUpdate"), QVariantList());

    const QVariantList book = get(QStringLiteral("kuGetOrderBook?ID=%1&PID=2").arg(session)).value().toList();
    QCOMPARE(book.size(), 2 * kuDemoMarket::bookDepth * 4);
    QCOMPARE(book.at(0).toInt(), 1); // offers first
    QCOMPARE(book.constLast().toDouble(), 0.0);
    const QVariantList quote = get(QStringLiteral("kuGetQuotes?ID=%1&PID=3").arg(session)).value().toList();
    QCOMPARE(quote.size(), 18);
    QCOMPARE(quote.at(0).toInt(), 3);
    QVERIFY(quote.at(1).toDouble() < quote.at(3).toDouble());
    QCOMPARE(get(QStringLiteral("kuLastTrades?ID=%1&PID=4").arg(session)).status, 200);
    QCOMPARE(get(QStringLiteral("kuGetCandles?ID=%1&PID=5&SD=0&ED=0&SDD=0&TYPE=1").arg(session)).value().toList(),
             QVariantList());
    QCOMPARE(get(QStringLiteral("kuLastPrice?ID=%1&PID=6").arg(session)).status, 200);

    // A minute and a half of market: every stream has news.
    for (int i = 0; i < 360; ++i)
        m_server->step(250);
    QMap<int, QVariantList> kinds;
    for (const QVariant& entry : poll(session, "kuMarketDataUpdate")) {
        const QVariantList e = entry.toList();
        kinds[e.value(0).toInt()].append(QVariant(e));
    }
    QCOMPARE(kinds.keys(), (QList<int>{1, 7, 10, 13, 14}));
    QCOMPARE(kinds.value(10).size(), 1);
    const QVariantList bookUpdate = kinds.value(10).at(0).toList();
    QCOMPARE(bookUpdate.at(1).toInt(), 2);
    QCOMPARE((bookUpdate.size() - 2) % 4, 0);
    const QVariantList quoteUpdate = kinds.value(1).at(0).toList();
    QCOMPARE(quoteUpdate.size(), 20);
    QCOMPARE(quoteUpdate.at(1).toInt(), 3);
    QCOMPARE(quoteUpdate.at(2).toInt(), 3);
    const QVariantList tape = kinds.value(13).at(0).toList();
    QCOMPARE(tape.at(1).toInt(), 4);
    QVERIFY(tape.size() > 2 && (tape.size() - 2) % 4 == 0);
    QVERIFY(tape.at(5).toLongLong() > (qint64(1) << 31)); // deal numbers need 64 bits
    // Closed minutes come as update type 1, the forming one as type 2.
    QSet<int> candleTypes;
    for (const QVariant& e : kinds.value(7)) {
        QCOMPARE(e.toList().at(1).toInt(), 5);
        QCOMPARE((e.toList().size() - 3) % 7, 0);
        candleTypes.insert(e.toList().at(2).toInt());
    }
    QCOMPARE(candleTypes, (QSet<int>{1, 2}));
    const QVariantList prices = kinds.value(14).at(0).toList();
    QCOMPARE(prices, (QVariantList{14, 6, m_server->market().lastPrice(6)}));

    // Nothing new without a step; nothing of a stream after its unsubscribe.
    QCOMPARE(poll(session, "kuMarketDataUpdate"), QVariantList());
    for (int pid : {2, 3, 4, 5, 6}) {
        const int kind = pid == 2 ? 10 : pid == 3 ? 1 : pid == 4 ? 13 : pid == 5 ? 7 : 14;
        QCOMPARE(get(QStringLiteral("kuUnsubscribe?ID=%1&WT=%2&PID=%3").arg(session).arg(kind).arg(pid)).status, 200);
    }
    for (int i = 0; i < 40; ++i)
        m_server->step(250);
    QCOMPARE(poll(session, "kuMarketDataUpdate"), QVariantList());
    QVERIFY(m_server->requests().contains(
            QStringLiteral("/Brenholt/vlmV1.6/kuUnsubscribe?ID=%1&WT=10&PID=2").arg(session)));
}

void tst_DemoServer::limitOrderFillsWhenMarketCrosses()
{
    const QString session = logIn();
    QCOMPARE(poll(session, "kuGetUpdates"), QVariantList());
    const QVariantList orders = get(QStringLiteral("kuGetOrders?ID=") + session).value().toList();
    QCOMPARE(orders.size(), 2);
    QCOMPARE(koi8(orders.at(0).toMap().value(QStringLiteral("part_id"))), QStringLiteral("Фондовый-DEMO"));
    QCOMPARE(get(QStringLiteral("kuGetTrades?ID=") + session).value().toList().size(), 2);
    const QVariantList portfolio = get(QStringLiteral("kuGetPortfolio?ID=") + session).value().toList();
    QCOMPARE(portfolio.size(), 2);
    const QVariantMap stockBefore = portfolio.at(0).toMap();
    QCOMPARE(stockBefore.value(QStringLiteral("money")).toList().size(), 6);
    QCOMPARE(stockBefore.value(QStringLiteral("margin")).toList().size(), 3);
    QCOMPARE(stockBefore.value(QStringLiteral("position")).toList().size() % 8, 0);
    const QVariantList positionsBefore = stockBefore.value(QStringLiteral("position")).toList();
    QCOMPARE(positionsBefore.at(0).toInt(), 1);
    const int heldBefore = positionsBefore.at(2).toInt();
    const double moneyBefore = stockBefore.value(QStringLiteral("money")).toList().at(0).toDouble();

    // Buy 10 VLMR ten steps under the market.
    const double price = std::round((m_server->market().lastPrice(1) - 0.10) * 100) / 100;
    const QString url =
            QStringLiteral("kuOrderManager?ID=%1&TYPE=1001&ACC=%2&PID=1&ACT=1&QUANT=10&IM=0&PRICE=%3&TIME=1&EF=0")
                    .arg(session, accountHash(QStringLiteral("Фондовый-DEMO")), QString::number(price, 'f', 6));
    const QVariantList placed = get(url).value().toList();
    QCOMPARE(placed.size(), 1);
    const int orderId = placed.at(0).toInt();
    QVERIFY(m_server->requests().contains(QStringLiteral("/Brenholt/vlmV1.6/") + url));

    auto updatesOf = [&](int kind) {
        QVariantList found;
        for (const QVariant& e : poll(session, "kuGetUpdates")) {
            if (e.toList().value(0).toInt() == kind)
                found = e.toList().mid(1);
        }
        return found;
    };
    const QVariantList accepted = updatesOf(82);
    QCOMPARE(accepted.size(), 1);
    const QVariantList order = accepted.at(0).toMap().value(QStringLiteral("orders")).toList();
    QCOMPARE(order.size(), 20);
    QCOMPARE(order.at(0).toInt(), orderId);
    QCOMPARE(order.at(1).toString(), QStringLiteral("2026-12-09"));
    QCOMPARE(order.at(2).toString(), QStringLiteral("12:00:00"));
    QCOMPARE(order.at(3).toInt(), 1);
    QCOMPARE(order.at(4).toInt(), 1);
    QCOMPARE(order.at(5).toInt(), 10);
    QCOMPARE(order.at(6).toDouble(), price);
    QCOMPARE(order.at(8).toInt(), 1); // accepted, resting

    // The market comes down to the order: the best offer meets its price.
    m_server->market().setLastPrice(1, price - 0.01);
    QVariantList updates = poll(session, "kuGetUpdates");
    QMap<int, QVariantList> kinds;
    for (const QVariant& e : updates)
        kinds.insert(e.toList().value(0).toInt(), e.toList().mid(1));
    QCOMPARE(kinds.keys(), (QList<int>{80, 82, 83}));
    QCOMPARE(kinds.value(82).at(0).toMap().value(QStringLiteral("orders")).toList().at(8).toInt(), 3);
    const QVariantMap tradeGroup = kinds.value(83).at(0).toMap();
    QCOMPARE(koi8(tradeGroup.value(QStringLiteral("part_id"))), QStringLiteral("Фондовый-DEMO"));
    const QVariantList trade = tradeGroup.value(QStringLiteral("trades")).toList();
    QCOMPARE(trade.size(), 11);
    QCOMPARE(trade.at(3).toInt(), 1);
    QCOMPARE(trade.at(4).toInt(), 1);
    QCOMPARE(trade.at(5).toInt(), 10);
    QCOMPARE(trade.at(6).toDouble(), price);
    QCOMPARE(trade.at(7).toDouble(), price * 10);
    QVERIFY(koi8(trade.at(10)).contains(QString::number(orderId)));
    QVERIFY(!koi8(trade.at(10)).contains(QLatin1Char('?')));
    const QVariantMap stockAfter = kinds.value(80).at(0).toMap();
    QCOMPARE(stockAfter.value(QStringLiteral("position")).toList().at(2).toInt(), heldBefore + 10);
    const double comiss = trade.at(8).toDouble();
    QCOMPARE(stockAfter.value(QStringLiteral("money")).toList().at(0).toDouble(), moneyBefore - price * 10 - comiss);
    QCOMPARE(trade.at(9).toDouble(), moneyBefore - price * 10 - comiss);

    // The orders snapshot now holds the filled order.
    const QVariantList after =
            get(QStringLiteral("kuGetOrders?ID=") + session).value().toList().at(0).toMap().value("orders").toList();
    int status = -1;
    for (int i = 0; i + 20 <= after.size(); i += 20) {
        if (after.at(i).toInt() == orderId)
            status = after.at(i + 8).toInt();
    }
    QCOMPARE(status, 3);
}

void tst_DemoServer::marketStopAndCancel()
{
    const QString session = logIn();
    get(QStringLiteral("kuGetOrders?ID=") + session);
    poll(session, "kuGetUpdates");
    const QString stock = accountHash(QStringLiteral("Фондовый-DEMO"));
    kuDemoMarket& market = m_server->market();
    auto statusOf = [&](int id) { return market.order(id) ? market.order(id)->status : -1; };
    auto send = [&](const QString& query) {
        return get(QStringLiteral("kuOrderManager?ID=%1&%2").arg(session, query)).value();
    };

    // A market buy fills at once at the best offer.
    const double ask = market.bestAsk(3);
    const int bought =
            send(QStringLiteral("TYPE=1001&ACC=%1&PID=3&ACT=1&QUANT=2&IM=1&PRICE=0.000000&TIME=1&EF=0").arg(stock))
                    .toList()
                    .value(0)
                    .toInt();
    QCOMPARE(statusOf(bought), 3);
    QCOMPARE(market.order(bought)->type, 1);

    // Refusals still make an order, rejected with a reason.
    const int illiquid =
            send(QStringLiteral("TYPE=1001&ACC=%1&PID=12&ACT=1&QUANT=1&IM=1&PRICE=0.000000&TIME=1&EF=0").arg(stock))
                    .toList()
                    .value(0)
                    .toInt();
    QCOMPARE(statusOf(illiquid), 5);
    QVERIFY(!market.order(illiquid)->reason.isEmpty());
    const int wrongLot =
            send(QStringLiteral("TYPE=1001&ACC=%1&PID=1&ACT=1&QUANT=5&IM=0&PRICE=100.000000&TIME=1&EF=0").arg(stock))
                    .toList()
                    .value(0)
                    .toInt();
    QCOMPARE(statusOf(wrongLot), 5);
    const int otherExchange =
            send(QStringLiteral("TYPE=1001&ACC=%1&PID=22&ACT=1&QUANT=1&IM=1&PRICE=0.000000&TIME=1&EF=0").arg(stock))
                    .toList()
                    .value(0)
                    .toInt();
    QCOMPARE(statusOf(otherExchange), 5);

    // A stop sell on the first condition: when the price falls to 95 % a market sell goes out.
    const double trigger = std::round(market.lastPrice(3) * 0.95 / 0.5) * 0.5;
    const int stop = send(QStringLiteral("TYPE=1010&ACC=%1&PID=3&ACT=-1&QUANT=2&FC=1&P1=%2&P2=0.000000&M1=1&SC=0&P3=0."
                                         "000000&P4=0.000000&M2=0&EF=0")
                                  .arg(stock, QString::number(trigger, 'f', 6)))
                             .toList()
                             .value(0)
                             .toInt();
    QCOMPARE(statusOf(stop), 1);
    QCOMPARE(market.order(stop)->act, 6);
    market.setLastPrice(3, trigger + 0.5);
    QCOMPARE(statusOf(stop), 1);
    market.setLastPrice(3, trigger);
    QCOMPARE(statusOf(stop), 3);
    const int child = stop + 1;
    QCOMPARE(market.order(child)->act, 2);
    QCOMPARE(statusOf(child), 3);
    QVERIFY(market.order(stop)->reason.contains(QString::number(child)));
    QVERIFY(!market.order(stop)->reason.contains(QLatin1Char('?')));

    // A resting sell far above the market: change it, cancel it, cancel it again.
    const double far = std::round(market.lastPrice(1) * 1.5 * 100) / 100;
    const int resting = send(QStringLiteral("TYPE=1001&ACC=%1&PID=1&ACT=-1&QUANT=10&IM=0&PRICE=%2&TIME=2&EF=0")
                                     .arg(stock, QString::number(far, 'f', 6)))
                                .toList()
                                .value(0)
                                .toInt();
    QCOMPARE(statusOf(resting), 1);
    QCOMPARE(market.order(resting)->limitation, 1);
    const QVariant changed =
            send(QStringLiteral("TYPE=1002&ACC=%1&PID=1&ACT=-1&QUANT=20&IM=0&PRICE=%2&TIME=1&EF=0&OID=%3")
                         .arg(stock, QString::number(far + 1, 'f', 6))
                         .arg(resting));
    QCOMPARE(changed.toList().value(0).toInt(), resting);
    QCOMPARE(market.order(resting)->amount, 20);
    QCOMPARE(market.order(resting)->price, far + 1);
    // A change the market refuses leaves the order as it was.
    QCOMPARE(errorCode(send(QStringLiteral("TYPE=1002&ACC=%1&PID=1&ACT=-1&QUANT=5&IM=0&PRICE=%2&TIME=1&EF=0&OID=%3")
                                    .arg(stock, QString::number(far, 'f', 6))
                                    .arg(resting))),
             3);
    QCOMPARE(market.order(resting)->amount, 20);
    QCOMPARE(statusOf(resting), 1);
    QCOMPARE(send(QStringLiteral("TYPE=1012&OID=%1").arg(resting)).toMap().value(QStringLiteral("error_code")).toInt(),
             3);
    QCOMPARE(send(QStringLiteral("TYPE=1003&OID=%1").arg(resting)).toList().value(0).toInt(), resting);
    QCOMPARE(statusOf(resting), 6);
    QCOMPARE(errorCode(send(QStringLiteral("TYPE=1003&OID=%1").arg(resting))), 10);

    // Every change reached the orders poll; the market buy is priced at the offer.
    QSet<int> seen;
    for (const QVariant& e : poll(session, "kuGetUpdates")) {
        if (e.toList().value(0).toInt() != 82)
            continue;
        const QVariantList list = e.toList().at(1).toMap().value(QStringLiteral("orders")).toList();
        for (int i = 0; i + 20 <= list.size(); i += 20)
            seen.insert(list.at(i).toInt());
    }
    QCOMPARE(seen, (QSet<int>{bought, illiquid, wrongLot, otherExchange, stop, child, resting}));
    QCOMPARE(market.order(bought)->price, ask);
}

void tst_DemoServer::sessionExpires()
{
    m_server->setSessionTimeout(60000);
    const QString kept = logIn();
    const QString idle = logIn();
    m_server->step(40000);
    QCOMPARE(get(QStringLiteral("kuGetDateTime?ID=") + kept).value().toList(),
             (QVariantList{QByteArray("09.12.2026"), QByteArray("12:00:40")}));
    m_server->step(30000);
    QCOMPARE(m_server->sessionCount(), 1);
    QCOMPARE(errorCode(get(QStringLiteral("kuGetDateTime?ID=") + idle).value()), 7);
    QCOMPARE(get(QStringLiteral("kuGetDateTime?ID=") + kept).value().toList().size(), 2);

    // Logging out ends the session at once.
    QCOMPARE(get(QStringLiteral("kuUnAuthorized?ID=") + kept).status, 200);
    QCOMPARE(errorCode(get(QStringLiteral("kuMarketDataUpdate?ID=") + kept).value()), 7);
}

void tst_DemoServer::faultSwitches()
{
    const QString session = logIn();
    const QString time = QStringLiteral("kuGetDateTime?ID=") + session;

    m_server->setReplyStatus(503);
    Reply r = get(time);
    QCOMPARE(r.status, 503);
    QVERIFY(r.body.isEmpty());
    m_server->setReplyStatus(0);
    QCOMPARE(get(time).status, 200);

    // Two failed market polls, then the poll works again and has lost nothing.
    get(QStringLiteral("kuGetOrderBook?ID=%1&PID=1").arg(session));
    m_server->setReplyStatus(500, QStringLiteral("kuMarketDataUpdate"), 2);
    m_server->step(250);
    m_server->market().setLastPrice(1, m_server->market().lastPrice(1) + 0.05);
    const QString marketPoll = QStringLiteral("kuMarketDataUpdate?ID=") + session;
    QCOMPARE(get(marketPoll).status, 500);
    QCOMPARE(get(time).status, 200);
    QCOMPARE(get(marketPoll).status, 500);
    r = get(marketPoll);
    QCOMPARE(r.status, 200);
    QCOMPARE(r.value().toList().value(0).toList().value(0).toInt(), 10);

    // A delayed reply misses a short client time-out but arrives for a patient client.
    m_server->setReplyDelay(3000);
    QCOMPARE(get(time, 0, 100).error, QNetworkReply::OperationCanceledError);
    m_server->setReplyDelay(50);
    QCOMPARE(get(time, 0, 5000).status, 200);
    m_server->setReplyDelay(0);

    m_server->setDropConnections(true);
    r = get(time);
    QCOMPARE(r.status, 0);
    QVERIFY(r.error != QNetworkReply::NoError);
    m_server->setDropConnections(false);

    const quint16 port = m_server->port();
    m_server->stopListening();
    QVERIFY(!m_server->isListening());
    QCOMPARE(get(time).error, QNetworkReply::ConnectionRefusedError);
    QVERIFY(m_server->restartListening());
    QCOMPARE(m_server->port(), port);
    // The session outlived the outage.
    QCOMPARE(get(time).value().toList().size(), 2);

    // The client may retry a dropped request; every attempt is on record.
    const QStringList seen = m_server->requests();
    QVERIFY(seen.count(QStringLiteral("/Brenholt/vlmV1.6/") + time) >= 7);
    QCOMPARE(seen.constLast(), QStringLiteral("/Brenholt/vlmV1.6/") + time);
}

void tst_DemoServer::hostileModes()
{
    const QString session = logIn();
    const QString time = QStringLiteral("kuGetDateTime?ID=") + session;
    const QString script = QStringLiteral("kuGetDateTime");

    // An oversized reply is still one valid value.
    m_server->setOversizedBytes(100000);
    m_server->setHostile(kuDemoHostile::Oversized, script, 1);
    Reply r = get(time);
    QCOMPARE(r.status, 200);
    QVERIFY(qAbs(r.body.size() - 100000) < 20);
    QCOMPARE(r.value().toList().size(), (100000 - 10) / 18);
    QCOMPARE(r.value().toList().constFirst().toDouble(), 123.456);

    // A gzip body that a client inflating it reads as the real reply.
    m_server->setHostile(kuDemoHostile::Gzip, script, 1);
    r = get(time);
    QCOMPARE(r.error, QNetworkReply::NoError);
    QCOMPARE(r.value().toList().size(), 2);

    // A gzip bomb: small on the wire, inflating to the size asked for.
    const QByteArray bomb = kuDemoHostile::gzipBomb(8 * 1024 * 1024);
    QVERIFY(bomb.size() < 64 * 1024);
    m_server->setBombBytes(8 * 1024 * 1024);
    m_server->setHostile(kuDemoHostile::GzipBomb, script, 1);
    r = get(time);
    QCOMPARE(r.body.size(), 8 * 1024 * 1024);
    QCOMPARE(r.body.count('0'), r.body.size());

    // A cut-off body: the connection closes early, which the client sees as an error.
    m_server->setHostile(kuDemoHostile::CutOff, script, 1);
    r = get(time);
    QVERIFY(r.error != QNetworkReply::NoError);

    // A slow body arrives whole, only late.
    m_server->setSlowBodyMs(300);
    m_server->setHostile(kuDemoHostile::Slow, script, 1);
    QElapsedTimer clock;
    clock.start();
    r = get(time);
    QVERIFY(clock.elapsed() >= 250);
    QCOMPARE(r.value().toList().size(), 2);

    // A reply that never comes.
    m_server->setHostile(kuDemoHostile::Hang, script, 1);
    QCOMPARE(get(time, 0, 200).error, QNetworkReply::OperationCanceledError);
    QCOMPARE(m_server->hungRequests(), 1);

    // A login without a session, and a catalogue whose icons declare 20000 x 20000 pixels.
    m_server->setHostile(kuDemoHostile::NoSession, QStringLiteral("kuAuthorized"), 1);
    r = get(QStringLiteral("kuAuthorized?ID=DEMO&PW=demo&VER=1&OS=Linux"));
    const QVariantList sessionList = r.value().toMap().value(QStringLiteral("session")).toList();
    QCOMPARE(sessionList.size(), 1);
    QVERIFY(sessionList.constFirst().isNull());
    QVERIFY(r.value().toMap().size() > 1); // the accounts are there
    m_server->setHostile(kuDemoHostile::HugeIcon, QStringLiteral("kuGetPluginList"), 1);
    const QVariantList catalogue =
            get(QStringLiteral("kuGetPluginList?ID=%1&OS=linux&ARCH=x86_64&V=10603000").arg(session)).value().toList();
    QVERIFY(catalogue.size() >= 7);
    const QByteArray png = QByteArray::fromHex(catalogue.at(4).toByteArray());
    QVERIFY(png.startsWith("\x89PNG"));
    QCOMPARE(qFromBigEndian<quint32>(png.constData() + 16), 20000u);
    QCOMPARE(qFromBigEndian<quint32>(png.constData() + 20), 20000u);
    QVERIFY(png.size() < 512 * 1024);

    // Each mode was used up; the server answers normally again.
    QCOMPARE(get(time).value().toList().size(), 2);
    QCOMPARE(kuDemoServer::maskedTarget("/x/kuAuthorized?ID=DEMO&PW=secret&VER=1"),
             QByteArray("/x/kuAuthorized?ID=DEMO&PW=***&VER=1"));
    QCOMPARE(kuDemoHostile::fromName(QStringLiteral("gzipbomb")), kuDemoHostile::GzipBomb);
    QCOMPARE(kuDemoHostile::fromName(QStringLiteral("nonsense")), kuDemoHostile::None);
}

void tst_DemoServer::twoPortsShareSessions()
{
    m_server.reset();
    m_server = std::make_unique<kuDemoServer>(fixedClock());
    QVERIFY(m_server->start({0, 0}));
    QCOMPARE(m_server->ports().size(), 2);
    QVERIFY(m_server->ports().at(0) != m_server->ports().at(1));
    const QString session = logIn();
    QVERIFY(!session.isEmpty());
    QCOMPARE(get(QStringLiteral("kuGetDateTime?ID=") + session, 1).value().toList().size(), 2);
}

void tst_DemoServer::programLogsAndStops()
{
    QTemporaryDir dataDir;
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    QByteArray log;
    connect(&program, &QProcess::readyRead, this, [&] { log += program.readAll(); });
    program.start(QStringLiteral(VELMORAN_BINARY_DIR "/bin/velmoran-demo-server"),
                  {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--data-dir"), dataDir.path(),
                   QStringLiteral("--seed"), QStringLiteral("3")});
    QVERIFY(program.waitForStarted());
    const QRegularExpression listening(
            QStringLiteral("listening on (https://127\\.0\\.0\\.1:\\d+/Brenholt/vlmV1\\.6)"));
    QTRY_VERIFY_WITH_TIMEOUT(listening.match(QString::fromUtf8(log)).hasMatch(), 30000);
    const QString base = listening.match(QString::fromUtf8(log)).captured(1);
    QFile certFile(dataDir.filePath(QStringLiteral("server.crt")));
    QVERIFY(certFile.open(QIODevice::ReadOnly));
    const QSslCertificate certificate(certFile.readAll(), QSsl::Pem);
    // The key stays private to its owner.
    QCOMPARE(QFile::permissions(dataDir.filePath(QStringLiteral("server.key"))) & (QFile::ReadGroup | QFile::ReadOther),
             QFile::Permissions());

    const QUrl url(base + QStringLiteral("/kuAuthorized?ID=DEMO&PW=demo&VER=1&OS=Linux"));
    const QByteArray session =
            fetch(url, certificate).value().toMap().value(QStringLiteral("session")).toList().value(0).toByteArray();
    QVERIFY(session.size() > 4);
    QTRY_VERIFY(log.contains("GET /Brenholt/vlmV1.6/kuAuthorized?ID=DEMO&PW=***&VER=1&OS=Linux -> 200"));
    // The session id is shown cut to its first four characters.
    QCOMPARE(
            fetch(QUrl(base + QStringLiteral("/kuGetDateTime?ID=") + QString::fromLatin1(session)), certificate).status,
            200);
    QTRY_VERIFY(log.contains("GET /Brenholt/vlmV1.6/kuGetDateTime?ID=" + session.left(4) + "*** -> 200"));
    QVERIFY(!log.contains(session));

    ::kill(pid_t(program.processId()), SIGUSR1);
    QTRY_VERIFY(log.contains("stopped listening"));
    QCOMPARE(fetch(url, certificate).error, QNetworkReply::ConnectionRefusedError);
    ::kill(pid_t(program.processId()), SIGUSR2);
    QTRY_VERIFY(log.contains("listening again"));
    QCOMPARE(fetch(url, certificate).status, 200);

    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    log += program.readAll();
    QVERIFY(log.contains("stopping"));
}

void tst_DemoServer::ownThreadAndKeepAlive()
{
    m_server.reset();
    auto* server = new kuDemoServer(fixedClock());
    QThread thread;
    server->moveToThread(&thread);
    thread.start();
    bool started = false;
    QMetaObject::invokeMethod(
            server, [&] { started = server->start({0}); }, Qt::BlockingQueuedConnection);
    QVERIFY(started);

    // A blocking client in this thread: two requests on one connection.
    QSslSocket socket;
    QSslConfiguration ssl = socket.sslConfiguration();
    ssl.setCaCertificates({server->certificate()});
    socket.setSslConfiguration(ssl);
    socket.connectToHostEncrypted(QStringLiteral("127.0.0.1"), server->port());
    QVERIFY2(socket.waitForEncrypted(10000), qPrintable(socket.errorString()));
    auto exchange = [&](const QByteArray& target) {
        socket.write("GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
        QByteArray data;
        int headEnd = -1, length = -1;
        while (length < 0 || data.size() < headEnd + 4 + length) {
            if (!socket.waitForReadyRead(10000))
                return QByteArray("<no reply>");
            data += socket.readAll();
            headEnd = data.indexOf("\r\n\r\n");
            const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Content-Length: (\\d+)"))
                                                      .match(QString::fromLatin1(data.left(qMax(headEnd, 0))));
            if (headEnd >= 0 && m.hasMatch())
                length = m.captured(1).toInt();
        }
        return data;
    };
    const QByteArray first = exchange("/Brenholt/vlmV1.6/kuAuthorized?ID=DEMO&PW=demo&VER=1&OS=Linux");
    QVERIFY2(first.startsWith("HTTP/1.1 200 OK\r\n"), first.constData());
    QVERIFY(first.contains("Connection: keep-alive"));
    const QString session = decode(first.mid(first.indexOf("\r\n\r\n") + 4))
                                    .toMap()
                                    .value(QStringLiteral("session"))
                                    .toList()
                                    .value(0)
                                    .toString();
    const QByteArray second = exchange("/Brenholt/vlmV1.6/kuGetDateTime?ID=" + session.toLatin1());
    QCOMPARE(decode(second.mid(second.indexOf("\r\n\r\n") + 4)).toList().size(), 2);
    QCOMPARE(socket.state(), QAbstractSocket::ConnectedState);

    QMetaObject::invokeMethod(
            server, [server] { delete server; }, Qt::BlockingQueuedConnection);
    thread.quit();
    QVERIFY(thread.wait(10000));
}

QTEST_GUILESS_MAIN(tst_DemoServer)
#include "tst_demoserver.moc"
