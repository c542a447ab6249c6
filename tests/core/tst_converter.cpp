#include "converterrecorder.h"
#include "dcmessagepack.h"
#include "kuaccount.h"
#include "kupaperlist.h"
#include "kurecordkeys.h"
#include "msgpackfixture.h"
#include "serverclock.h"

#include <QtTest>

namespace {

const QString unknownError = QStringLiteral("Сервер сообщил об ошибке с неизвестным кодом.");
const QString networkError = QStringLiteral("Ошибка сетевого доступа.");
const QString wrongPassword = QStringLiteral("Неверное имя пользователя или пароль.");
const QString emptyPapers =
        QStringLiteral("errorMessage Список инструментов не получен: сервер прислал пустой список. Он будет запрошен "
                       "снова. 10000");

QVariantList repeat(const QVariantList& group, int times)
{
    QVariantList out;
    for (int i = 0; i < times; ++i)
        out += group;
    return out;
}

QVariantList quoteValues(int id)
{
    return {id, 1.5, 2, 3.5, 4, 5, 6, 7.5, 8.5, 9.5, 10.5, 11.5, 12, 13, 14.5, 15.5, 16.5, 17.5};
}

const char* quoteJson(int id)
{
    static QByteArray text;
    text = QStringLiteral(
                   "{\"avg\":11.5,\"bestBuy\":15.5,\"bestSell\":16.5,\"buy\":1.5,\"last\":10.5,\"max\":8.5,\"min\":9.5,"
                   "\"moneyVol\":14.5,\"open\":7.5,\"paperID\":%1,\"paperVol\":12,\"price\":17.5,\"sell\":3.5,"
                   "\"toBuy\":2,"
                   "\"toBuyTotal\":5,\"toSell\":4,\"toSellTotal\":6,\"volume\":13}")
                   .arg(id)
                   .toUtf8();
    return text.constData();
}

QVariantList orderValues(int id, const QVariant& reason)
{
    return {id,
            QByteArray("2026-12-09"),
            QByteArray("10:00:00"),
            42,
            1,
            10,
            250.5,
            5.0,
            2,
            1,
            0,
            reason,
            3,
            4,
            0,
            1,
            1.25,
            2.25,
            3.25,
            4.25};
}

QString orderJson(int id, const QString& reason)
{
    return QStringLiteral(
                   "{\"act\":1,\"amount\":10,\"balance\":5,\"date\":\"2026-12-09\",\"fcond\":3,\"ifPrice1\":1.25,"
                   "\"ifPrice2\":3.25,\"isMarket1\":0,\"isMarket2\":1,\"limitation\":0,\"order_id\":%1,\"paper_id\":42,"
                   "\"price\":250.5,\"reason\":\"%2\",\"scond\":4,\"status\":2,\"stopPrice1\":2.25,\"stopPrice2\":4.25,"
                   "\"time\":\"10:00:00\",\"type\":1}")
            .arg(id)
            .arg(reason);
}

QVariantList tradeValues(int id, const QVariant& account)
{
    return {id,
            QByteArray("2026-12-09"),
            QByteArray("10:00:01"),
            42,
            -1,
            3,
            99.5,
            298.5,
            0.25,
            account,
            bin(koi8(QStringLiteral("Заметка")))};
}

QString tradeJson(int id, const QString& account)
{
    return QStringLiteral("{\"account\":%2,\"act\":-1,\"amount\":3,\"comiss\":0.25,\"date\":\"2026-12-09\",\"note\":"
                          "\"Заметка\","
                          "\"paper_id\":42,\"price\":99.5,\"time\":\"10:00:01\",\"total\":298.5,\"trade_id\":%1}")
            .arg(id)
            .arg(account);
}

QVariantList paperValues(int id, int type, const QVariant& ticker, const QVariant& exchange)
{
    return {id,
            type,
            10,
            3,
            0,
            0,
            0.01,
            1000.0,
            0.0,
            ticker,
            bin(koi8(QStringLiteral("ПАО Сбербанк"))),
            koi8(QStringLiteral("Сбер")),
            QByteArray(),
            exchange};
}

} // namespace

class tst_Converter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void interfaceOrder();
    void serverErrors_data();
    void serverErrors();
    void everyStreamAfterError_data();
    void everyStreamAfterError();
    void unhandledKindsIgnored();
    void failedRequests_data();
    void failedRequests();
    void papersAskedAgainAfterHealthyPoll();
    void snapshotsAskedAgainAfterHealthyPoll_data();
    void snapshotsAskedAgainAfterHealthyPoll();
    void snapshots_data();
    void snapshots();
    void hostileNumbers_data();
    void hostileNumbers();
    void nonFiniteFigures_data();
    void nonFiniteFigures();
    void largeNumbers_data();
    void largeNumbers();
    void wholeNumbersReadBack();
    void updates_data();
    void updates();
    void repliesKeepArrivalOrder();
    void accountRecords_data();
    void accountRecords();
    void papers_data();
    void papers();
    void papersKeepTheirOwnTexts();
    void papersReachRegistryOnGuiThread();
    void failedInstrumentLists_data();
    void failedInstrumentLists();
    void login_data();
    void login();
    void loginDisconnectsStatusReceivers();
    void serverClock_data();
    void serverClock();
    void orderStatus_data();
    void orderStatus();
    void reportData();

private:
    QStringList run(const std::function<void(dcMessagePack*)>& call)
    {
        call(converter);
        return recorder->take();
    }

    dcMessagePack* converter = nullptr;
    ConverterRecorder* recorder = nullptr;
};

void tst_Converter::init()
{
    converter = new dcMessagePack;
    recorder = new ConverterRecorder(converter);
}

void tst_Converter::cleanup()
{
    delete recorder;
    delete converter;
}

void tst_Converter::interfaceOrder()
{
    // Plug-ins and saved connections address these by meta-object index.
    const QStringList expected{"on_statusAuthorization(QVariantList)",
                               "on_statusAuthorization()",
                               "on_snapshotPapers()",
                               "on_snapshotChart(int,QVariant)",
                               "on_updateChart(int,QVariant)",
                               "on_snapshotOrderBook(int,QJsonArray)",
                               "on_updateOrderBook(int,QJsonArray)",
                               "on_snapshotLastTrades(int,QJsonArray)",
                               "on_updateLastTrades(int,QJsonArray)",
                               "on_snapshotQuotes(int,QJsonObject)",
                               "on_updateQuotes(int,QJsonObject)",
                               "on_syncDateTime()",
                               "on_updateLastPrice(int,double)",
                               "on_snapshotPositions(QJsonObject)",
                               "on_updatePositions(QJsonObject)",
                               "on_snapshotOrders(QJsonObject)",
                               "on_updateOrders(QJsonObject)",
                               "on_snapshotTrades(QJsonObject)",
                               "on_updateTrades(QJsonObject)",
                               "on_receviedError(WinType,QString,int)",
                               "on_snapshotAdditionalData(WinType,QVariantList,QVariantMap)",
                               "on_orderOutcome(QJsonObject,int,QString)",
                               "slot_authorizedData(QByteArray)",
                               "slot_marketDataReceived(QByteArray,int,WinType)",
                               "slot_tradeDataReceived(QByteArray,WinType)",
                               "slot_additionalDataReceived(QByteArray,WinType,QVariantMap)",
                               "slot_snapshotDateTime(QByteArray)",
                               "slot_orderStatus(QByteArray,QJsonObject)",
                               "slot_receivedUpdates(QByteArray)"};
    const QMetaObject& meta = kuAbstractDataConverter::staticMetaObject;
    QStringList actual;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        actual << QString::fromLatin1(meta.method(i).methodSignature());
    QCOMPARE(actual, expected);
}

void tst_Converter::serverErrors_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");

    const QList<QPair<int, QString>> codes = {
            {1, "Обращение к серверу не методом GET."},
            {2, "Нет входных параметров (скрипт на сервере вызван без параметров)."},
            {3, "Нет значений входных параметров скрипта."},
            {4, "Неверные имена параметров при вызове скрипта."},
            {5, "Неверное имя пользователя или пароль."},
            {6, "Счет заблокирован. Пожалуйста, свяжитесь с менеджером Бренхольт."},
            {7, "Сессия закрыта. Если эта ошибка будет повторяться, пожалуйста, свяжитесь с Бренхольт."},
            {8, "Отсутствует информация о денежном счете. Пожалуйста, свяжитесь с менеджером Бренхольт."},
            {9, "Ошибка сетевого доступа."},
            {10, "Вы уже посылали запрос на отмену этого поручения."},
            {11, "Ошибка сериализации данных."},
            {12, "Неверный идентификатор связанного счета. Пожалуйста, свяжитесь с менеджером Бренхольт."},
            {13, "Неверный идентификатор плагина."},
            {90, "Вы не меняли пароль уже более года. Рекомендуем Вам сменить пароль."},
            {99, "Ошибка БД. Пожалуйста, свяжитесь с Бренхольт."},
            {0, "Сервер сообщил об ошибке с неизвестным кодом."},
            {14, "Сервер сообщил об ошибке с неизвестным кодом."},
            {-1, "Сервер сообщил об ошибке с неизвестным кодом."},
    };
    for (const auto& code : codes)
        QTest::addRow("code %d", code.first) << packHex(QVariantMap{{"error_code", code.first}}) << code.second;

    // A code the integer cannot hold is no code, not the code of its low bits.
    QTest::newRow("code 2^32 + 5") << packHex(QVariantMap{{"error_code", qlonglong(4294967301LL)}}) << unknownError;
    QTest::newRow("code 2^64 - 1") << packHex(QVariantMap{{"error_code", ~qulonglong(0)}}) << unknownError;
    QTest::newRow("code 1e31") << packHex(QVariantMap{{"error_code", 1e31}}) << unknownError;
    QTest::newRow("code NaN") << packHex(QVariantMap{{"error_code", qQNaN()}}) << unknownError;
    QTest::newRow("code 5.0") << packHex(QVariantMap{{"error_code", 5.0}}) << wrongPassword;
    QTest::newRow("map without code") << packHex(QVariantMap{{"message", "x"}}) << unknownError;
    QTest::newRow("scalar") << packHex(42) << unknownError;
    QTest::newRow("text") << packHex(QByteArray("ok")) << unknownError;
    QTest::newRow("odd-length hex") << QByteArray("921") << unknownError;
    QTest::newRow("non-hex text") << QByteArray("<html>") << unknownError;
    QTest::newRow("truncated") << packHex(QVariantList{1, 2, 3}).chopped(2) << unknownError;
    QTest::newRow("array claiming 2^32 elements") << QByteArray("ddffffffff") << unknownError;
    QTest::newRow("nesting 10000 deep") << QByteArray("91").repeated(10000) + "90" << unknownError;
}

void tst_Converter::serverErrors()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    const QStringList events = run([&](dcMessagePack* c) { c->slot_marketDataReceived(body, 5, wtOrderBook); });
    QCOMPARE(events, QStringList({"error 10 " + text + " -100", "snapshotOrderBook 5 []"}));
    QCOMPARE(dcMessagePack::serverErrorText(-5), unknownError);
}

void tst_Converter::everyStreamAfterError_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("winType");
    QTest::addColumn<QStringList>("expected");

    const QString error = " " + wrongPassword + " -100";
    QTest::newRow("quotes") << "market" << 1 << QStringList{"error 1" + error, "snapshotQuotes 3 {}"};
    QTest::newRow("last trades") << "market" << 13 << QStringList{"error 13" + error, "snapshotLastTrades 3 []"};
    QTest::newRow("candles") << "market" << 7 << QStringList{"error 7" + error, "snapshotChart 3 null"};
    QTest::newRow("positions") << "trade" << 80 << QStringList{"error 80" + error, "snapshotPositions {}"};
    QTest::newRow("orders") << "trade" << 82 << QStringList{"error 82" + error, "snapshotOrders {}"};
    QTest::newRow("trades") << "trade" << 83 << QStringList{"error 83" + error, "snapshotTrades {}"};
    // A failed list restores no layout: it is asked for again.
    QTest::newRow("instruments") << "trade" << 1001 << QStringList{"error 1001" + error};
    QTest::newRow("report") << "additional" << 2000
                            << QStringList{"error 2000" + error, "additional 2000 [] {\"k\":1}"};
}

void tst_Converter::everyStreamAfterError()
{
    QFETCH(QString, slot);
    QFETCH(int, winType);
    QFETCH(QStringList, expected);
    const QByteArray body = packHex(QVariantMap{{"error_code", 5}});
    const auto wt = static_cast<WinType>(winType);
    const QStringList events = run([&](dcMessagePack* c) {
        if (slot == "market")
            c->slot_marketDataReceived(body, 3, wt);
        else if (slot == "trade")
            c->slot_tradeDataReceived(body, wt);
        else
            c->slot_additionalDataReceived(body, wt, QVariantMap{{"k", 1}});
    });
    QCOMPARE(events, expected);
}

void tst_Converter::failedRequests_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("winType");
    QTest::addColumn<QStringList>("expected");
    auto failed = [](const char* what) {
        return QStringLiteral("errorMessage Запрос к серверу не выполнен: %1. 10000").arg(QString::fromUtf8(what));
    };
    QTest::newRow("quotes") << "market" << 1 << QStringList{failed("котировки"), "snapshotQuotes 3 {}"};
    QTest::newRow("candles") << "market" << 7 << QStringList{failed("свечи графика"), "snapshotChart 3 null"};
    // No book, positions or orders is no empty one: the window says so and asks again.
    QTest::newRow("order book") << "market" << 10 << QStringList{failed("биржевые заявки"), "snapshotFailed 10 3"};
    QTest::newRow("positions") << "trade" << 80 << QStringList{failed("состояние счета"), "snapshotFailed 80 0"};
    QTest::newRow("orders") << "trade" << 82 << QStringList{failed("поручения"), "snapshotFailed 82 0"};
    QTest::newRow("trades") << "trade" << 83 << QStringList{failed("сделки"), "snapshotFailed 83 0"};
    QTest::newRow("report") << "additional" << 2000
                            << QStringList{failed("данные отчёта"), "additional 2000 [] {\"k\":1}"};
    // No list is no empty list: the windows wait for the one asked for again.
    QTest::newRow("instruments")
            << "trade" << 1001
            << QStringList{"errorMessage Список инструментов не получен: запрос к серверу не выполнен. Он будет "
                           "запрошен снова. 10000"};
}

// A request that failed or timed out comes back with no body: the user is told, the
// log says it, and nothing passes for a server's answer that was never given.
void tst_Converter::failedRequests()
{
    QFETCH(QString, slot);
    QFETCH(int, winType);
    QFETCH(QStringList, expected);
    const auto wt = static_cast<WinType>(winType);
    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Request of stream %1 failed: no reply body").arg(winType)));
    const QStringList events = run([&](dcMessagePack* c) {
        if (slot == "market")
            c->slot_marketDataReceived(QByteArray(), 3, wt);
        else if (slot == "trade")
            c->slot_tradeDataReceived(QByteArray(), wt);
        else
            c->slot_additionalDataReceived(QByteArray(), wt, QVariantMap{{"k", 1}});
    });
    QCOMPARE(events, expected);
}

// The list that did not come is asked for once the server answers a poll again.
void tst_Converter::papersAskedAgainAfterHealthyPoll()
{
    QTest::ignoreMessage(QtWarningMsg, "Request of stream 1001 failed: no reply body");
    QCOMPARE(run([](dcMessagePack* c) { c->slot_tradeDataReceived(QByteArray(), wtInitInfo); }).size(), 1);
    // A closed session is no answer.
    const QByteArray closed = packHex(QVariantMap{{"error_code", 7}});
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_receivedUpdates(closed); }).filter("papersWanted"), QStringList());
    const QByteArray healthy = packHex(QVariantList{});
    QCOMPARE(run([&](dcMessagePack* c) {
                 c->slot_receivedUpdates(healthy);
                 c->slot_receivedUpdates(healthy);
             }),
             QStringList{"papersWanted"});
    const QByteArray list = packHex(paperValues(7, 1, bin(koi8(QStringLiteral("SBER"))), koi8(QStringLiteral("ММВБ"))));
    QCOMPARE(run([&](dcMessagePack* c) {
                 c->slot_tradeDataReceived(list, wtInitInfo);
                 c->slot_receivedUpdates(healthy);
             }),
             QStringList{"papers"});
}

void tst_Converter::snapshotsAskedAgainAfterHealthyPoll_data()
{
    QTest::addColumn<int>("winType");
    QTest::newRow("order book") << int(wtOrderBook);
    QTest::newRow("positions") << int(wtPortfolio);
    QTest::newRow("orders") << int(wtOrders);
}

// A failed snapshot is asked for again once a poll shows the server answering, once per failure.
void tst_Converter::snapshotsAskedAgainAfterHealthyPoll()
{
    QFETCH(int, winType);
    const auto wt = static_cast<WinType>(winType);
    auto ask = [&](dcMessagePack* c, const QByteArray& body) {
        if (wt == wtOrderBook)
            c->slot_marketDataReceived(body, 4, wt);
        else
            c->slot_tradeDataReceived(body, wt);
    };
    const QString failed = QStringLiteral("snapshotFailed %1 %2").arg(winType).arg(wt == wtOrderBook ? 4 : 0);
    const QByteArray healthy = packHex(QVariantList{});
    // A reply that came, even empty, is the server's answer: nothing is asked again.
    QCOMPARE(run([&](dcMessagePack* c) {
                 ask(c, healthy);
                 c->slot_receivedUpdates(healthy);
             }).filter(QRegularExpression("Failed|Wanted")),
             QStringList());

    QTest::ignoreMessage(QtWarningMsg,
                         qPrintable(QStringLiteral("Request of stream %1 failed: no reply body").arg(winType)));
    QCOMPARE(run([&](dcMessagePack* c) { ask(c, QByteArray()); }).filter("snapshot"), QStringList{failed});
    // A closed session is no answer.
    const QByteArray closed = packHex(QVariantMap{{"error_code", 7}});
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_receivedUpdates(closed); }).filter("Wanted"), QStringList());
    QCOMPARE(run([&](dcMessagePack* c) {
                 c->slot_receivedUpdates(healthy);
                 c->slot_receivedUpdates(healthy);
             }),
             QStringList{"snapshotsWanted"});
}

void tst_Converter::unhandledKindsIgnored()
{
    const QByteArray body = packHex(QVariantList{1, 2, 3, 4});
    const QStringList events = run([&](dcMessagePack* c) {
        c->slot_marketDataReceived(body, 1, wtPortfolio);
        c->slot_marketDataReceived(body, 1, wtLastPrice);
        c->slot_tradeDataReceived(body, wtQuotes);
        c->slot_additionalDataReceived(body, wtOrders, {});
        c->slot_marketDataReceived(QByteArray("zz"), 1, static_cast<WinType>(5));
    });
    QCOMPARE(events, QStringList());
}

void tst_Converter::snapshots_data()
{
    QTest::addColumn<int>("winType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    QTest::newRow("quote") << 1 << packHex(quoteValues(77)) << QString("snapshotQuotes 5 ") + quoteJson(77);
    QTest::newRow("quote one value short") << 1 << packHex(quoteValues(77).mid(1)) << "snapshotQuotes 5 {}";
    QTest::newRow("order book, partial level ignored")
            << 10 << packHex(QVariantList{1, 100, 250.5, 0.0, 2, 50, 251.0, 0.5, 1})
            << "snapshotOrderBook 5 [{\"action\":1,\"amount\":100,\"price\":250.5,\"yeild\":0},"
               "{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":0.5}]";
    // Levels repeat fields of the one before, also of one dropped part way through.
    QTest::newRow("order book, repeated fields and a dropped level")
            << 10
            << packHex(QVariantList{1, 100, 250.5, 0.0, 2, 50, qQNaN(), 1.5,  2,  50, qQNaN(), 1.5, 2, 50, 251.0, 1.5,
                                    2, 50,  251.0, 1.5, 2, 50, 251.0,   -0.0, 2u, 50, 251.0f,  0.0})
            << "snapshotOrderBook 5 [{\"action\":1,\"amount\":100,\"price\":250.5,\"yeild\":0},"
               "{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":1.5},"
               "{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":1.5},"
               "{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":0},"
               "{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":0}]";
    QTest::newRow("last trades, 64-bit deal id")
            << 13 << packHex(QVariantList{qlonglong(1765270800), 7, 99.5, qlonglong(1099511627776123LL), 1, 2, 3})
            << "snapshotLastTrades 5 "
               "[{\"amount\":7,\"dealID\":1099511627776123,\"price\":99.5,\"unixtime\":1765270800}]";
    QTest::newRow("empty list") << 13 << packHex(QVariantList{}) << "snapshotLastTrades 5 []";
}

void tst_Converter::snapshots()
{
    QFETCH(int, winType);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    const QStringList events =
            run([&](dcMessagePack* c) { c->slot_marketDataReceived(body, 5, static_cast<WinType>(winType)); });
    QCOMPARE(events, QStringList{expected});
}

void tst_Converter::hostileNumbers_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<qlonglong>("asInt");   // read into a 32-bit field
    QTest::addColumn<qlonglong>("asInt64"); // read into a 64-bit field
    QTest::addColumn<bool>("quantity");     // a quantity may hold it: NaN and infinities drop theirs

    // What an integer cannot hold reads as 0, as a value that does not convert.
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("1e31") << QVariant(1e31) << 0LL << 0LL << true;
    QTest::newRow("-1e300") << QVariant(-1e300) << 0LL << 0LL << true;
    QTest::newRow("NaN") << QVariant(qQNaN()) << 0LL << 0LL << false;
    QTest::newRow("+inf") << QVariant(inf) << 0LL << 0LL << false;
    QTest::newRow("-inf") << QVariant(-inf) << 0LL << 0LL << false;
    QTest::newRow("32-bit float NaN") << QVariant(float(qQNaN())) << 0LL << 0LL << false;
    QTest::newRow("2^63 as a float") << QVariant(9223372036854775808.0) << 0LL << 0LL << true;
    QTest::newRow("2^64 - 1") << QVariant(~qulonglong(0)) << 0LL << 0LL << true;
    QTest::newRow("3e9") << QVariant(3e9) << 0LL << 3000000000LL << true;
    QTest::newRow("2^40") << QVariant(qlonglong(1) << 40) << 0LL << 1099511627776LL << true;
    // What fits reads as before, rounded as before.
    QTest::newRow("2^31 - 1 as a float") << QVariant(2147483647.0) << 2147483647LL << 2147483647LL << true;
    QTest::newRow("-2^31 as a float") << QVariant(-2147483648.0) << -2147483648LL << -2147483648LL << true;
    QTest::newRow("-1e15") << QVariant(-1e15) << 0LL << -1000000000000000LL << true;
    QTest::newRow("-2.5") << QVariant(-2.5) << -2LL << -2LL << true;
    QTest::newRow("7.5") << QVariant(7.5) << 8LL << 8LL << true;
}

// The value in every integer position of levels, trades and update entries; quantities
// and ids are 64-bit.
void tst_Converter::hostileNumbers()
{
    QFETCH(QVariant, value);
    QFETCH(qlonglong, asInt);
    QFETCH(qlonglong, asInt64);
    QFETCH(bool, quantity);
    const QStringList events = run([&](dcMessagePack* c) {
        c->slot_marketDataReceived(packHex(QVariantList{value, value, 250.5, 0.0}), 5, wtOrderBook);
        c->slot_marketDataReceived(packHex(QVariantList{value, value, 99.5, value}), 5, wtLastTrades);
        c->slot_receivedUpdates(packHex(QVariantList{
                QVariantList{value, 1, 2}, QVariantList{10, value, 1, 100, 250.5, 0.0}, QVariantList{14, value, 1.5},
                QVariantList{7, 42, value, 1.0, 2.0, 3.0, 0.5, 10.0, value, value}}));
    });
    const QString i = QString::number(asInt);
    const QString l = QString::number(asInt64);
    QCOMPARE(events,
             (QStringList{"snapshotOrderBook 5 " + (quantity ? "[{\"action\":" + i + ",\"amount\":" + l +
                                                                       ",\"price\":250.5,\"yeild\":0}]"
                                                             : QString("[]")),
                          "snapshotLastTrades 5 " + (quantity ? "[{\"amount\":" + l + ",\"dealID\":" + l +
                                                                        ",\"price\":99.5,\"unixtime\":" + l + "}]"
                                                              : QString("[]")),
                          // The entry whose kind is no kind is skipped.
                          "updateOrderBook " + i + " [{\"action\":1,\"amount\":100,\"price\":250.5,\"yeild\":0}]",
                          "updateLastPrice " + i + " 1.5",
                          "updateChart 42 {\"candles\":[{\"Close\":2,\"High\":3,\"Low\":0.5,\"Open\":1,\"Volume\":10,"
                          "\"timeFrame\":" +
                                  i + ",\"unixTime\":" + l + "}],\"updateType\":" + i + "}"}));
}

void tst_Converter::nonFiniteFigures_data()
{
    QTest::addColumn<QVariant>("value");
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("NaN") << QVariant(qQNaN());
    QTest::newRow("+inf") << QVariant(inf);
    QTest::newRow("-inf") << QVariant(-inf);
    QTest::newRow("32-bit float NaN") << QVariant(float(qQNaN()));
    QTest::newRow("32-bit float inf") << QVariant(float(inf));
}

// NaN or an infinity in a price, volume or sum is no figure: its level, trade, candle,
// quote or price is dropped, never handed on as null or inf to be shown or summed.
void tst_Converter::nonFiniteFigures()
{
    QFETCH(QVariant, value);
    QVariantList quote = quoteValues(77);
    quote[10] = value; // last
    QVariantList quoteUpdate = quoteValues(77);
    quoteUpdate[14] = value; // moneyVol
    QVariantList order = orderValues(1, QByteArray());
    order[6] = value; // price
    QVariantList trade = tradeValues(1, 4001);
    trade[7] = value; // total
    const QStringList events = run([&](dcMessagePack* c) {
        c->slot_marketDataReceived(
                packHex(QVariantList{1, 100, value, 0.0, 2, 50, 251.0, 0.5, 1, 10, 250.0, value, 2, value, 249.0, 0.0}),
                5, wtOrderBook);
        c->slot_marketDataReceived(
                packHex(QVariantList{1765270800, 7, value, 1, 1765270801, 8, 99.5, 2, 1765270802, value, 99.7, 3}), 5,
                wtLastTrades);
        c->slot_marketDataReceived(packHex(quote), 5, wtQuotes);
        c->slot_receivedUpdates(packHex(QVariantList{
                QVariantList{1, 77} + quoteUpdate, QVariantList{14, 7, value, 9, 12.25},
                QVariantList{7,   42,  2,     value,      2.0, 3.0, 0.5, 10.0, 1765270800, 1,    1.0,        2.0,
                             3.0, 0.5, value, 1765270860, 1,   1.0, 2.0, 3.0,  0.5,        10.0, 1765270920, 1},
                QVariantList{82, QVariantMap{{"part_id", QByteArray("A")},
                                             {"orders", order + orderValues(2, QByteArray())}}},
                QVariantList{83, QVariantMap{{"part_id", QByteArray("A")}, {"trades", trade + tradeValues(2, 4002)}}},
                QVariantList{80, QVariantMap{{"part_id", QByteArray("A")},
                                             {"position",
                                              QVariantList{42, QByteArray("2026-12-01"), 10, 99.5, 995.0, 1, 2, value,
                                                           43, QByteArray("2026-12-02"), 5, 9.5, 47.5, 0, 0, 9.0}},
                                             {"money", QVariantList{1.0, value, 3.0, 4.0, 5.0, 6.0}},
                                             {"margin", QVariantList{value, 2.5, 3.5}}}}}));
    });
    QCOMPARE(events,
             (QStringList{"snapshotOrderBook 5 [{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":0.5}]",
                          "snapshotLastTrades 5 [{\"amount\":8,\"dealID\":2,\"price\":99.5,\"unixtime\":1765270801}]",
                          "snapshotQuotes 5 {}", "updateQuotes 77 {}", "updateLastPrice 9 12.25",
                          "updateChart 42 {\"candles\":[{\"Close\":2,\"High\":3,\"Low\":0.5,\"Open\":1,\"Volume\":10,"
                          "\"timeFrame\":1,\"unixTime\":1765270920}],\"updateType\":2}",
                          "updateOrders {\"A\":[" + orderJson(2, "") + "]}",
                          "updateTrades {\"A\":[" + tradeJson(2, "4002") + "]}",
                          "updatePositions {\"A\":{\"margin\":{},\"money\":{},\"position\":[{\"amount\":5,\"balance\":"
                          "47.5,\"bdate\":\"2026-12-02\",\"blocked\":0,\"expected\":0,\"lastprice\":9,\"paper_id\":43,"
                          "\"price\":9.5}]}}"}));
}

void tst_Converter::largeNumbers_data()
{
    QTest::addColumn<int>("winType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    // Volumes of liquid low-priced papers pass 2^31; ids pass 2^53, where a double
    // would round them: those travel as their digits.
    const qlonglong big = 3000000000LL;
    const qlonglong beyondDouble = (1LL << 53) + 1;
    QVariantList quote = quoteValues(77);
    for (int position : {2, 4, 5, 6, 12, 13})
        quote[position] = big;
    QTest::newRow("quote volumes of 3e9")
            << 1 << packHex(quote)
            << QString("snapshotQuotes 5 ") + QString(quoteJson(77))
                                                      .replace("\"paperVol\":12", "\"paperVol\":3000000000")
                                                      .replace("\"toBuy\":2", "\"toBuy\":3000000000")
                                                      .replace("\"toBuyTotal\":5", "\"toBuyTotal\":3000000000")
                                                      .replace("\"toSell\":4", "\"toSell\":3000000000")
                                                      .replace("\"toSellTotal\":6", "\"toSellTotal\":3000000000")
                                                      .replace("\"volume\":13", "\"volume\":3000000000");
    QTest::newRow("level of 3e9") << 10 << packHex(QVariantList{1, big, 250.5, 0.0})
                                  << "snapshotOrderBook 5 [{\"action\":1,\"amount\":3000000000,\"price\":250.5,"
                                     "\"yeild\":0}]";
    QTest::newRow("deal id 2^53 + 1, amount 3e9")
            << 13 << packHex(QVariantList{qlonglong(1765270800), big, 99.5, beyondDouble})
            << "snapshotLastTrades 5 [{\"amount\":3000000000,\"dealID\":\"9007199254740993\",\"price\":99.5,"
               "\"unixtime\":1765270800}]";
    QTest::newRow("largest and smallest 64-bit ids")
            << 13
            << packHex(QVariantList{1, 1, 1.0, std::numeric_limits<qlonglong>::max(), 1, 1, 1.0,
                                    std::numeric_limits<qlonglong>::min(), 1, 1, 1.0, -(1LL << 53)})
            << "snapshotLastTrades 5 [{\"amount\":1,\"dealID\":\"9223372036854775807\",\"price\":1,\"unixtime\":1},"
               "{\"amount\":1,\"dealID\":\"-9223372036854775808\",\"price\":1,\"unixtime\":1},"
               "{\"amount\":1,\"dealID\":-9007199254740992,\"price\":1,\"unixtime\":1}]";

    QVariantList order = orderValues(1, QByteArray());
    order[0] = beyondDouble;
    order[5] = big;
    QTest::newRow("order id 2^53 + 1, amount 3e9")
            << 82 << packHex(QVariantList{QVariantMap{{"part_id", QByteArray("A")}, {"orders", order}}})
            << "snapshotOrders {\"A\":[" +
                       orderJson(1, "")
                               .replace("\"order_id\":1,", "\"order_id\":\"9007199254740993\",")
                               .replace("\"amount\":10,", "\"amount\":3000000000,") +
                       "]}";
    QVariantList trade = tradeValues(1, 4001);
    trade[0] = qlonglong(2147483653LL);
    trade[5] = big;
    QTest::newRow("trade id 2^31 + 5, amount 3e9")
            << 83 << packHex(QVariantList{QVariantMap{{"part_id", QByteArray("A")}, {"trades", trade}}})
            << "snapshotTrades {\"A\":[" +
                       tradeJson(1, "4001")
                               .replace("\"trade_id\":1}", "\"trade_id\":2147483653}")
                               .replace("\"amount\":3,", "\"amount\":3000000000,") +
                       "]}";
    QTest::newRow("position of 3e9")
            << 80
            << packHex(QVariantList{QVariantMap{
                       {"part_id", QByteArray("A")},
                       {"position", QVariantList{42, QByteArray("2026-12-01"), big, 0.5, 1.5e9, big, -big, 0.5}}}})
            << "snapshotPositions {\"A\":{\"margin\":{},\"money\":{},\"position\":[{\"amount\":3000000000,"
               "\"balance\":1500000000,\"bdate\":\"2026-12-01\",\"blocked\":3000000000,\"expected\":-3000000000,"
               "\"lastprice\":0.5,\"paper_id\":42,\"price\":0.5}]}}";
}

// Quantities and ids keep their value whatever their size, and read back exactly.
void tst_Converter::largeNumbers()
{
    QFETCH(int, winType);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    const auto wt = static_cast<WinType>(winType);
    const QStringList events = run([&](dcMessagePack* c) {
        if (winType < 80)
            c->slot_marketDataReceived(body, 5, wt);
        else
            c->slot_tradeDataReceived(body, wt);
    });
    QCOMPARE(events, QStringList{expected});
}

// The windows read whole numbers back from the records, stored in objects and arrays as they go.
void tst_Converter::wholeNumbersReadBack()
{
    const qlonglong values[] = {0,
                                -1,
                                3000000000LL,
                                1LL << 53,
                                (1LL << 53) + 1,
                                -(1LL << 53) - 1,
                                std::numeric_limits<qlonglong>::max(),
                                std::numeric_limits<qlonglong>::min()};
    for (const qlonglong n : values) {
        const QJsonArray stored{QJsonObject{{"n", kuKeys::wholeValue(n)}}};
        QCOMPARE(kuKeys::wholeNumber(stored.at(0).toObject().value("n")), n);
    }
    // What is no whole number reads as 0.
    for (const QJsonValue& v : {QJsonValue(1.5), QJsonValue(1e19), QJsonValue(-1e19), QJsonValue("12x"),
                                QJsonValue("99999999999999999999"), QJsonValue(true), QJsonValue(QJsonValue::Null)})
        QCOMPARE(kuKeys::wholeNumber(v), 0LL);
}

void tst_Converter::updates_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");

    auto reply = [](std::initializer_list<QVariant> entries) { return packHex(QVariantList(entries)); };
    const QString levels = "[{\"action\":1,\"amount\":100,\"price\":250.5,\"yeild\":0},"
                           "{\"action\":2,\"amount\":50,\"price\":251,\"yeild\":0}]";

    QTest::newRow("order book") << reply({QVariantList{10, 42, 1, 100, 250.5, 0.0, 2, 50, 251.0, 0.0}})
                                << QStringList{"updateOrderBook 42 " + levels};
    QTest::newRow("order book, extra value ignored")
            << reply({QVariantList{10, 42, 1, 100, 250.5, 0.0, 2, 50, 251.0, 0.0, 9}})
            << QStringList{"updateOrderBook 42 " + levels};
    QTest::newRow("order book, id only") << reply({QVariantList{10, 42}}) << QStringList{"updateOrderBook 42 []"};
    QTest::newRow("order book, kind only") << reply({QVariantList{10}}) << QStringList();
    QTest::newRow("quote") << reply({QVariantList{1, 77} + quoteValues(77)})
                           << QStringList{QString("updateQuotes 77 ") + quoteJson(77)};
    QTest::newRow("quote of 10 values") << reply({QVariantList{1, 77} + quoteValues(77).mid(0, 10)})
                                        << QStringList{"updateQuotes 77 {}"};
    QTest::newRow("last trades")
            << reply({QVariantList{13, 8, 1765270800, 3, 10.25, qlonglong(4294967296LL), 5}})
            << QStringList{"updateLastTrades 8 "
                           "[{\"amount\":3,\"dealID\":4294967296,\"price\":10.25,\"unixtime\":1765270800}]"};
    QTest::newRow("last prices") << reply({QVariantList{14, 7, 101.5, 9, 12.25}})
                                 << QStringList{"updateLastPrice 7 101.5", "updateLastPrice 9 12.25"};
    QTest::newRow("last prices, unpaired") << reply({QVariantList{14, 7}}) << QStringList();
    QTest::newRow("last prices, kind only") << reply({QVariantList{14}}) << QStringList();
    QTest::newRow("candle")
            << reply({QVariantList{7, 42, 2, 10.5, 11.5, 12.5, 9.5, 1000.0, 1765270800, 1}})
            << QStringList{"updateChart 42 {\"candles\":[{\"Close\":11.5,\"High\":12.5,\"Low\":9.5,\"Open\":10.5,"
                           "\"Volume\":1000,\"timeFrame\":1,\"unixTime\":1765270800}],\"updateType\":2}"};
    QTest::newRow("candle, type only") << reply({QVariantList{7, 42, 1}})
                                       << QStringList{"updateChart 42 {\"candles\":[],\"updateType\":1}"};
    QTest::newRow("candle, id only") << reply({QVariantList{7, 42}}) << QStringList();
    QTest::newRow("account kinds, empty") << reply({QVariantList{80}, QVariantList{82}, QVariantList{83}})
                                          << QStringList{"updatePositions {}", "updateOrders {}", "updateTrades {}"};
    QTest::newRow("unknown, empty and non-list entries skipped")
            << reply({QVariantList{99, 1, 2}, QVariantList{}, QVariantMap{{"a", 1}}, 5, QVariantList{14, 3, 1.5}})
            << QStringList{"updateLastPrice 3 1.5"};
    QTest::newRow("entries in reply order")
            << reply({QVariantList{14, 1, 1.0}, QVariantList{10, 2}, QVariantList{14, 3, 3.0}})
            << QStringList{"updateLastPrice 1 1", "updateOrderBook 2 []", "updateLastPrice 3 3"};
    QTest::newRow("empty reply list") << reply({}) << QStringList();
    QTest::newRow("empty body") << QByteArray() << QStringList();

    const QString closed = "Сессия закрыта. Если эта ошибка будет повторяться, пожалуйста, свяжитесь с Бренхольт.";
    QTest::newRow("session closed") << packHex(QVariantMap{{"error_code", 7}})
                                    << QStringList{"error 0 " + closed + " -100", "updatesFailed 7 " + closed};
    QTest::newRow("map without code") << packHex(QVariantMap{{"x", 1}})
                                      << QStringList{"error 0 " + unknownError + " -100",
                                                     "updatesFailed 0 " + unknownError};
    QTest::newRow("unreadable") << QByteArray("9g")
                                << QStringList{"error 0 " + unknownError + " -100", "updatesFailed 0 " + unknownError};
}

void tst_Converter::updates()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_receivedUpdates(body); }), expected);
}

void tst_Converter::repliesKeepArrivalOrder()
{
    // A snapshot followed by updates must reach the window in that order.
    QStringList expected;
    const QStringList events = run([&](dcMessagePack* c) {
        for (int i = 0; i < 200; ++i) {
            if (i % 2 == 0) {
                // Big enough to take longer than the update that follows.
                c->slot_marketDataReceived(packHex(repeat({1, i, 1.0, 0.0}, 2000)), 4, wtOrderBook);
                expected << QStringLiteral("snapshotOrderBook 4 %1").arg(i);
            } else {
                c->slot_receivedUpdates(packHex(QVariantList{QVariant(QVariantList{10, 4, 1, i, 1.0, 0.0})}));
                expected << QStringLiteral("updateOrderBook 4 %1").arg(i);
            }
        }
    });
    QStringList seen;
    for (const QString& e : events) {
        const QString json = e.section(' ', 2);
        const int amount = QJsonDocument::fromJson(json.toUtf8()).array().at(0).toObject().value("amount").toInt();
        seen << e.section(' ', 0, 1) + QStringLiteral(" %1").arg(amount);
    }
    QCOMPARE(seen, expected);
}

void tst_Converter::accountRecords_data()
{
    QTest::addColumn<int>("winType");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");

    const QByteArray main = koi8(QStringLiteral("Основной"));
    QTest::newRow("orders: KOI8-R account and reason from str and bin, partial order ignored")
            << 82
            << packHex(QVariantList{
                       QVariantMap{{"part_id", main},
                                   {"orders", orderValues(1, koi8("Отказ")) + orderValues(2, bin(koi8("Исполнено"))) +
                                                      QVariantList{1, 2, 3, 4, 5}}}})
            << "snapshotOrders {\"Основной\":[" + orderJson(1, "Отказ") + "," + orderJson(2, "Исполнено") + "]}";
    QTest::newRow("orders: same account twice appends, no part_id is the empty key")
            << 82
            << packHex(QVariantList{QVariantMap{{"part_id", bin(main)}, {"orders", orderValues(1, QByteArray())}},
                                    QVariantMap{{"orders", orderValues(3, QByteArray())}},
                                    QVariantMap{{"part_id", main}, {"orders", orderValues(2, QByteArray())}},
                                    QVariantMap{{"part_id", QByteArray("B")}}})
            << "snapshotOrders {\"\":[" + orderJson(3, "") + "],\"B\":[],\"Основной\":[" + orderJson(1, "") + "," +
                       orderJson(2, "") + "]}";
    QTest::newRow("orders: a list where a map belongs, text where a number belongs")
            << 82
            << packHex(QVariantList{
                       QVariantList{1, 2},
                       QVariantMap{{"part_id", QByteArray("A")},
                                   {"orders", QVariantList{QByteArray("x")} + orderValues(0, QByteArray()).mid(1)}}})
            << "snapshotOrders {\"\":[],\"A\":[" + orderJson(0, "") + "]}";
    QTest::newRow("trades: 22 values give two, integer account is a number")
            << 83
            << packHex(QVariantList{QVariantMap{
                       {"part_id", main}, {"trades", tradeValues(1, 4001) + tradeValues(2, 4002.5) + QVariantList{1}}}})
            << "snapshotTrades {\"Основной\":[" + tradeJson(1, "4001") + "," + tradeJson(2, "4002.5") + "]}";
    QTest::newRow("positions: money and margin from the last element of an account")
            << 80
            << packHex(QVariantList{
                       QVariantMap{{"part_id", main},
                                   {"position",
                                    QVariantList{42, QByteArray("2026-12-01"), 10, 99.5, 995.0, 1, 2, 100.5, 7}},
                                   {"money", QVariantList{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0}},
                                   {"margin", QVariantList{1.5, 2.5, 3.5}}},
                       QVariantMap{{"part_id", main},
                                   {"position", QVariantList{43, QByteArray("2026-12-02"), 5, 9.5, 47.5, 0, 0, 9.0}},
                                   {"money", QVariantList{1.0, 2.0, 3.0, 4.0, 5.0}}},
                       QVariantMap{{"part_id", QByteArray("B")},
                                   {"money", QVariantList{1.0, 2.0, 3.0, 4.0, 5.0, 6.0}},
                                   {"margin", QVariantList{1.5, 2.5, 3.5}}}})
            << "snapshotPositions {\"B\":{\"margin\":{\"init_marga\":3.5,\"marg_portfolio\":1.5,\"min_marga\":2.5},"
               "\"money\":{\"balance\":1,\"blocked\":2,\"expected\":3,\"go\":4,\"pmarga\":6,\"profit\":5},\"position\":"
               "[]},"
               "\"Основной\":{\"margin\":{},\"money\":{},\"position\":["
               "{\"amount\":10,\"balance\":995,\"bdate\":\"2026-12-01\",\"blocked\":1,\"expected\":2,\"lastprice\":100."
               "5,\"paper_id\":42,\"price\":99.5},"
               "{\"amount\":5,\"balance\":47.5,\"bdate\":\"2026-12-02\",\"blocked\":0,\"expected\":0,\"lastprice\":9,"
               "\"paper_id\":43,\"price\":9.5}]}}";
}

void tst_Converter::accountRecords()
{
    QFETCH(int, winType);
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    const QStringList events =
            run([&](dcMessagePack* c) { c->slot_tradeDataReceived(body, static_cast<WinType>(winType)); });
    QCOMPARE(events, QStringList{expected});
}

void tst_Converter::papers_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QList<int>>("ids");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("28 values, tickers from str and bin")
            << packHex(paperValues(9001, 1, koi8("СБЕР"), koi8("ММВБ")) +
                       paperValues(9002, 1, bin(koi8("ГАЗП")), bin(koi8("ММВБ"))))
            << QList<int>{9001, 9002} << QStringList{"papers"};
    QTest::newRow("27 values") << packHex(paperValues(9003, 1, koi8("СБЕР"), koi8("ММВБ")) +
                                          paperValues(9004, 1, koi8("x"), koi8("x")).mid(0, 13))
                               << QList<int>{9003} << QStringList{"papers"};
    // No instrument in it: reported and asked for again, no layout restored.
    QTest::newRow("13 values") << packHex(paperValues(9005, 1, koi8("x"), koi8("x")).mid(0, 13)) << QList<int>{}
                               << QStringList{emptyPapers};
}

void tst_Converter::papers()
{
    QFETCH(QByteArray, body);
    QFETCH(QList<int>, ids);
    QFETCH(QStringList, expected);
    if (ids.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, "Instrument list holds no instrument: 13 values");
    const QStringList events = run([&](dcMessagePack* c) { c->slot_tradeDataReceived(body, wtInitInfo); });
    QCOMPARE(events, expected);
    const auto registry = kuPaperList::instance();
    for (int id : ids) {
        const auto paper = registry->paper(id);
        QVERIFY(paper);
        QVERIFY(paper->ticker() == "СБЕР" || paper->ticker() == "ГАЗП");
        QCOMPARE(paper->issuer(), QStringLiteral("ПАО Сбербанк"));
        QCOMPARE(paper->shortName(), QStringLiteral("Сбер"));
        QCOMPARE(paper->exchangeName(), QStringLiteral("ММВБ"));
        QCOMPARE(paper->lot(), 10);
        QCOMPARE(paper->exchangeID(), 3);
        QCOMPARE(paper->decimals(), 2);
        QCOMPARE(paper->nominal(), 1000.0);
        QVERIFY(!paper->isMarketAllowed());
    }
    QVERIFY(!registry->paper(9004));
    QVERIFY(!registry->paper(9005));
}

// Texts that repeat from one instrument to the next are shared: each still reads its own.
void tst_Converter::papersKeepTheirOwnTexts()
{
    struct Paper
    {
        int id;
        QVariant issuer;
        QVariant shortName;
        QVariant exchange;
        QString expectedIssuer;
        QString expectedShortName;
        QString expectedExchange;
    };
    const QList<Paper> papers{
            {9201, bin(koi8("ПАО Сбербанк")), koi8("Сбер"), koi8("ММВБ"), "ПАО Сбербанк", "Сбер", "ММВБ"},
            // As many bytes as the text before it, other bytes.
            {9202, koi8("ПАО Газпром!"), koi8("Сбер"), koi8("СПБР"), "ПАО Газпром!", "Сбер", "СПБР"},
            {9203, QByteArray(), koi8("Газп"), koi8("ММВБ"), "", "Газп", "ММВБ"},
            // The same bytes as bin, and a number where text is expected.
            {9204, 42, bin(koi8("Газп")), koi8("ММВБ"), "42", "Газп", "ММВБ"},
    };
    QVariantList values;
    for (const Paper& p : papers) {
        QVariantList one = paperValues(p.id, 1, koi8("T"), p.exchange);
        one[10] = p.issuer;
        one[11] = p.shortName;
        values += one;
    }
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_tradeDataReceived(packHex(values), wtInitInfo); }),
             QStringList{"papers"});
    for (const Paper& p : papers) {
        const auto paper = kuPaperList::instance()->paper(p.id);
        QVERIFY(paper);
        QCOMPARE(paper->issuer(), p.expectedIssuer);
        QCOMPARE(paper->shortName(), p.expectedShortName);
        QCOMPARE(paper->exchangeName(), p.expectedExchange);
    }
}

void tst_Converter::papersReachRegistryOnGuiThread()
{
    const QByteArray body =
            packHex(paperValues(9100, 1, koi8("A"), koi8("B")) + paperValues(9101, 5, koi8("C"), koi8("B")));
    bool filled = false;
    connect(converter, &dcMessagePack::on_snapshotPapers, this, [&] {
        QCOMPARE(QThread::currentThread(), qApp->thread());
        const auto a = kuPaperList::instance()->paper(9100);
        const auto option = kuPaperList::instance()->paper(9101);
        filled = a && option && a->thread() == qApp->thread() && !kuPaperList::instance()->optionsEmpty();
    });
    converter->slot_tradeDataReceived(body, wtInitInfo);
    QVERIFY(!kuPaperList::instance()->paper(9100));
    recorder->take();
    QVERIFY(filled);
}

void tst_Converter::failedInstrumentLists_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QString>("warning");

    QTest::newRow("server error") << packHex(QVariantMap{{"error_code", 99}})
                                  << QStringList{"error 1001 Ошибка БД. Пожалуйста, свяжитесь с Бренхольт. -100"}
                                  << QString();
    QTest::newRow("map without code") << QByteArray("81a178c0") << QStringList{"error 1001 " + unknownError + " -100"}
                                      << QString();
    QTest::newRow("nil") << QByteArray("c0") << QStringList{"error 1001 " + unknownError + " -100"} << QString();
    QTest::newRow("a number") << QByteArray("2a") << QStringList{"error 1001 " + unknownError + " -100"} << QString();
    QTest::newRow("unreadable") << QByteArray("zz") << QStringList{"error 1001 " + unknownError + " -100"} << QString();
    QTest::newRow("empty list") << QByteArray("90") << QStringList{emptyPapers}
                                << "Instrument list holds no instrument: 0 values";
    QTest::newRow("no body")
            << QByteArray()
            << QStringList{"errorMessage Список инструментов не получен: запрос к серверу не выполнен. "
                           "Он будет запрошен снова. 10000"}
            << "Request of stream 1001 failed: no reply body";
}

// A list that failed, or came without an instrument, is reported, restores no layout
// ("papers" never comes) and is asked for again once the server answers a poll.
void tst_Converter::failedInstrumentLists()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    QFETCH(QString, warning);
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, qPrintable(warning));
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_tradeDataReceived(body, wtInitInfo); }), expected);
    const QByteArray healthy = packHex(QVariantList{});
    QCOMPARE(run([&](dcMessagePack* c) {
                 c->slot_receivedUpdates(healthy);
                 c->slot_receivedUpdates(healthy);
             }),
             QStringList{"papersWanted"});
}

void tst_Converter::login_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<QString>("current");

    const QStringList before{"Старый"};
    const QVariantList session{QByteArray("S-1"), 5};
    QTest::newRow("accepted, later default wins")
            << packHex(QVariantMap{{"session", session},
                                   {"a", QVariantList{koi8("Счёт Б"), 11, 1, 3, 4}},
                                   {"b", QVariantList{bin(koi8("Счёт А")), 12, 0}},
                                   {"c", QVariantList{koi8("Счёт В"), 13, 2, 7}},
                                   {"d", QVariantList{koi8("короткий"), 14}}})
            << QStringList{"error 1000  0", "status [\"S-1\",5]"} << QStringList{"Счёт А", "Счёт Б", "Счёт В"}
            << "Счёт В";
    QTest::newRow("refused") << packHex(QVariantMap{{"error_code", 5}, {"session", session}})
                             << QStringList{"error 1000 " + wrongPassword + " 5", "status []"} << before << "Старый";
    QTest::newRow("empty body") << QByteArray() << QStringList{"error 1000 " + networkError + " 7", "status []"}
                                << before << "Старый";
    QTest::newRow("empty session") << packHex(QVariantMap{{"session", QVariantList{}},
                                                          {"a", QVariantList{koi8("X"), 1, 1}}})
                                   << QStringList{"error 1000 " + networkError + " 7", "status []"} << before
                                   << "Старый";
    QTest::newRow("no session") << packHex(QVariantMap{{"a", QVariantList{koi8("X"), 1, 1}}})
                                << QStringList{"error 1000 " + networkError + " 7", "status []"} << before << "Старый";
    QTest::newRow("a list") << packHex(QVariantList{session})
                            << QStringList{"error 1000 " + networkError + " 7", "status []"} << before << "Старый";
    QTest::newRow("unreadable") << QByteArray("81a7") << QStringList{"error 1000 " + networkError + " 7", "status []"}
                                << before << "Старый";
}

void tst_Converter::login()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    QFETCH(QStringList, accounts);
    QFETCH(QString, current);

    const auto registry = kuAccount::instance();
    registry->clear();
    registry->addAccount(QStringLiteral("Старый"), true, 0, {1});

    QCOMPARE(run([&](dcMessagePack* c) { c->slot_authorizedData(body); }), expected);
    QCOMPARE(registry->accounts(), accounts);
    QCOMPARE(registry->currentAccount(), current);
    if (accounts.size() == 3) {
        QCOMPARE(registry->accountData(QStringLiteral("Счёт Б")), QSet<int>({3, 4}));
        QCOMPARE(registry->accountData(QStringLiteral("Счёт А")), QSet<int>());
    }
}

void tst_Converter::loginDisconnectsStatusReceivers()
{
    int calls = 0;
    connect(converter, &kuAbstractDataConverter::on_statusAuthorization, this, [&] { ++calls; });
    const QByteArray accepted =
            packHex(QVariantMap{{"session", QVariantList{QByteArray("S")}}, {"a", QVariantList{koi8("A"), 1, 0}}});
    converter->slot_authorizedData(accepted);
    converter->slot_authorizedData(accepted);
    QCOMPARE(calls, 1);

    // Without a default account the last name in key order is current.
    kuAccount::instance()->clear();
    QCOMPARE(kuAccount::instance()->accountData("nobody"), QSet<int>({0}));
}

void tst_Converter::serverClock_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");

    QTest::newRow("valid") << packHex(QVariantList{QByteArray("09.12.2026"), QByteArray("14:05:00")})
                           << QStringList{"sync"} << QDate(2026, 12, 9) << QTime(14, 5, 0);
    QTest::newRow("not matching the formats") << packHex(QVariantList{QByteArray("2026-12-09"), QByteArray("14:05")})
                                              << QStringList() << QDate(2001, 2, 3) << QTime(4, 5, 6);
    QTest::newRow("time only unreadable") << packHex(QVariantList{QByteArray("09.12.2026"), QByteArray("25:00:00")})
                                          << QStringList() << QDate(2001, 2, 3) << QTime(4, 5, 6);
    QTest::newRow("one value") << packHex(QVariantList{QByteArray("09.12.2026")}) << QStringList() << QDate(2001, 2, 3)
                               << QTime(4, 5, 6);
    QTest::newRow("server error") << packHex(QVariantMap{{"error_code", 9}})
                                  << QStringList{"error 0 " + networkError + " -100"} << QDate(2001, 2, 3)
                                  << QTime(4, 5, 6);
}

void tst_Converter::serverClock()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    setServerDate(QDate(2001, 2, 3));
    setServerTime(QTime(4, 5, 6));
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_snapshotDateTime(body); }), expected);
    QCOMPARE(serverDate(), date);
    QCOMPARE(serverTime(), time);
}

void tst_Converter::orderStatus_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QJsonObject>("order");
    QTest::addColumn<QStringList>("expected");

    const QByteArray ok = packHex(QVariantList{1});
    QTest::newRow("new buy") << ok << QJsonObject{{"paperID", 9200}, {"type", 1001}, {"action", 1}, {"amount", 10}}
                             << QStringList{"outcome 0 1001 ",
                                            "info Поручение на покупку ОРД в количестве 10. Успешно отправлено. 5000"};
    QTest::newRow("changed, no action")
            << ok << QJsonObject{{"paperID", 9200}, {"type", 1002}, {"amount", 2.0}}
            << QStringList{"outcome 0 1002 ", "info Поручение на покупку ОРД в количестве 2. Успешно отправлено. 5000"};
    QTest::newRow("cancel sell") << ok << QJsonObject{{"paperID", 9200}, {"type", 1003}, {"action", -1}, {"amount", 10}}
                                 << QStringList{"outcome 0 1003 ",
                                                "info Запрос на отмену поручения на продажу по инструменту ОРД в "
                                                "количестве 10. Успешно отправлен. 5000"};
    // Cancels from the orders window carry the order's kind: 2 and 6 are sales.
    QTest::newRow("cancel of a buy") << ok
                                     << QJsonObject{{"paperID", 9200}, {"type", 1003}, {"action", 1}, {"amount", 4}}
                                     << QStringList{"outcome 0 1003 ",
                                                    "info Запрос на отмену поручения на покупку по инструменту ОРД в "
                                                    "количестве 4. Успешно отправлен. 5000"};
    QTest::newRow("cancel of a sell") << ok
                                      << QJsonObject{{"paperID", 9200}, {"type", 1003}, {"action", 2}, {"amount", 4}}
                                      << QStringList{"outcome 0 1003 ",
                                                     "info Запрос на отмену поручения на продажу по инструменту ОРД в "
                                                     "количестве 4. Успешно отправлен. 5000"};
    QTest::newRow("cancel of a stop sell")
            << ok << QJsonObject{{"paperID", 9200}, {"type", 1003}, {"action", 6}, {"amount", 4}}
            << QStringList{"outcome 0 1003 ", "info Запрос на отмену поручения на продажу по инструменту ОРД в "
                                              "количестве 4. Успешно отправлен. 5000"};
    QTest::newRow("stop order") << ok << QJsonObject{{"paperID", 9200}, {"type", 1010}, {"action", -1}, {"amount", 1}}
                                << QStringList{"outcome 0 1010 ",
                                               "info Стоп-поручение на продажу ОРД в количестве 1. Успешно "
                                               "отправлено. 5000"};
    QTest::newRow("stop order cancel") << ok
                                       << QJsonObject{{"paperID", 9200}, {"type", 1012}, {"action", 6}, {"amount", 1}}
                                       << QStringList{
                                                  "outcome 0 1012 ",
                                                  "info Запрос на отмену стоп-поручения на продажу по инструменту ОРД "
                                                  "в количестве 1. Успешно отправлен. 5000"};
    QTest::newRow("no instrument") << ok << QJsonObject{{"type", 1001}} << QStringList{"outcome 0 1001 "};
    QTest::newRow("unknown instrument") << ok << QJsonObject{{"paperID", 9299}, {"type", 1001}}
                                        << QStringList{"outcome 0 1001 "};
    QTest::newRow("no reply") << QByteArray() << QJsonObject{{"paperID", 9200}, {"type", 1001}}
                              << QStringList{"outcome 2 1001 "};
    QTest::newRow("refused") << packHex(QVariantMap{{"error_code", 10}})
                             << QJsonObject{{"paperID", 9200}, {"type", 1003}, {"amount", 10}}
                             << QStringList{"outcome 1 1003 Вы уже посылали запрос на отмену этого поручения."};
    QTest::newRow("stop order refused")
            << packHex(QVariantMap{{"error_code", 6}}) << QJsonObject{{"paperID", 9200}, {"type", 1010}}
            << QStringList{"outcome 1 1010 Счет заблокирован. Пожалуйста, свяжитесь с менеджером Бренхольт."};
    // Neither a refusal nor [orderId]: whether the order went through is not known.
    QTest::newRow("unreadable") << QByteArray("9") << QJsonObject{{"paperID", 9200}, {"type", 1001}}
                                << QStringList{"outcome 2 1001 "};
    QTest::newRow("map without code") << QByteArray("81a178c0") << QJsonObject{{"paperID", 9200}, {"type", 1001}}
                                      << QStringList{"outcome 1 1001 " + unknownError};
    const QJsonObject newBuy{{"paperID", 9200}, {"type", 1001}, {"action", 1}, {"amount", 10}};
    const QJsonObject cancel{{"paperID", 9200}, {"type", 1003}, {"action", 1}, {"amount", 10}};
    const std::pair<const char*, const char*> unconfirmed[] = {
            {"nil", "c0"},       {"zero", "00"},       {"number 42", "2a"},   {"text \"ok\"", "a26f6b"},
            {"false", "c2"},     {"true", "c3"},       {"empty list", "90"},  {"[0]", "9100"},
            {"[-1]", "91ff"},    {"[1, 2]", "920102"}, {"[\"1\"]", "91a131"}, {"[1.0]", "91cb3ff0000000000000"},
            {"[[1]]", "919101"}, {"[nil]", "91c0"},    {"[true]", "91c3"},
    };
    for (const auto& shape : unconfirmed) {
        QTest::addRow("order answered %s", shape.first)
                << QByteArray(shape.second) << newBuy << QStringList{"outcome 2 1001 "};
        QTest::addRow("cancel answered %s", shape.first)
                << QByteArray(shape.second) << cancel << QStringList{"outcome 2 1003 "};
    }
    QTest::newRow("cancel of 3e9") << ok
                                   << QJsonObject{{"paperID", 9200}, {"type", 1003}, {"action", 1}, {"amount", 3e9}}
                                   << QStringList{"outcome 0 1003 ",
                                                  "info Запрос на отмену поручения на покупку по инструменту ОРД в "
                                                  "количестве 3000000000. Успешно отправлен. 5000"};
    QTest::newRow("id beyond 32 bits")
            << QByteArray("91ceb2d05e00") << newBuy
            << QStringList{"outcome 0 1001 ",
                           "info Поручение на покупку ОРД в количестве 10. Успешно отправлено. 5000"};
}

void tst_Converter::orderStatus()
{
    QFETCH(QByteArray, body);
    QFETCH(QJsonObject, order);
    QFETCH(QStringList, expected);
    kuPaperList::instance()->addPaper(9200, QSharedPointer<kuPaperInfo>::create(9200, "ОРД", "", 1, 1, 0.01, 0.0, 0,
                                                                                0.0, true, "", "", 1, "ММВБ"));
    // A readable answer that confirms nothing is logged.
    if (expected.first().startsWith("outcome 2") && !body.isEmpty() && body.size() % 2 == 0)
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Order reply of request 100[13] is no confirmation: "));
    QCOMPARE(run([&](dcMessagePack* c) { c->slot_orderStatus(body, order); }), expected);
}

void tst_Converter::reportData()
{
    const QVariantMap args{{"report", "x"}, {"n", 3}};
    const QStringList events = run([&](dcMessagePack* c) {
        c->slot_additionalDataReceived(packHex(QVariantList{1, QByteArray("t")}), wtReportData, args);
    });
    QCOMPARE(events, QStringList{"additional 2000 [1,\"t\"] {\"n\":3,\"report\":\"x\"}"});
}

QTEST_MAIN(tst_Converter)
#include "tst_converter.moc"
