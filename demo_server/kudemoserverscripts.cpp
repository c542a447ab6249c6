#include "kudemoserver.h"

#include "kudemopacker.h"
#include "kudemoreplies.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTextCodec>

#include <cmath>

namespace {

QByteArray emptyList()
{
    kuDemoPacker p;
    p.array(0);
    return p.hex();
}

// Names every script needs besides ID; the order requests are checked per TYPE.
const QMap<QString, QStringList>& scripts()
{
    static const QMap<QString, QStringList> map = {
            {QStringLiteral("kuAuthorized"), {QStringLiteral("PW"), QStringLiteral("VER"), QStringLiteral("OS")}},
            {QStringLiteral("kuGetInitInfo"), {}},
            {QStringLiteral("kuGetCandles"),
             {QStringLiteral("PID"), QStringLiteral("SD"), QStringLiteral("ED"), QStringLiteral("SDD")}},
            {QStringLiteral("kuGetOrderBook"), {QStringLiteral("PID")}},
            {QStringLiteral("kuLastTrades"), {QStringLiteral("PID")}},
            {QStringLiteral("kuGetQuotes"), {QStringLiteral("PID")}},
            {QStringLiteral("kuGetPortfolio"), {}},
            {QStringLiteral("kuGetOrders"), {}},
            {QStringLiteral("kuGetTrades"), {}},
            {QStringLiteral("kuGetReportData"),
             {QStringLiteral("TYPE"), QStringLiteral("SDATE"), QStringLiteral("EDATE"), QStringLiteral("ACC")}},
            {QStringLiteral("kuGetPluginList"), {QStringLiteral("OS"), QStringLiteral("ARCH"), QStringLiteral("V")}},
            {QStringLiteral("kuGetDateTime"), {}},
            {QStringLiteral("kuUnAuthorized"), {}},
            {QStringLiteral("kuUnsubscribe"), {QStringLiteral("WT"), QStringLiteral("PID")}},
            {QStringLiteral("kuLastPrice"), {QStringLiteral("PID")}},
            {QStringLiteral("kuMarketDataUpdate"), {}},
            {QStringLiteral("kuGetUpdates"), {}},
            {QStringLiteral("kuOrderManager"), {QStringLiteral("TYPE")}},
    };
    return map;
}

bool toNumber(const QByteArray& text, double* value)
{
    bool ok = false;
    *value = text.toDouble(&ok);
    return ok && std::isfinite(*value);
}

// A date of a report: seconds since the epoch, "yyyy-MM-dd" or "dd.MM.yyyy".
bool toSeconds(const QByteArray& text, bool endOfDay, qint64* seconds)
{
    bool ok = false;
    *seconds = text.toLongLong(&ok);
    if (ok)
        return true;
    for (const QString& format : {QStringLiteral("yyyy-MM-dd"), QStringLiteral("dd.MM.yyyy")}) {
        const QDate date = QDate::fromString(QString::fromLatin1(text), format);
        if (date.isValid()) {
            const QDateTime start(date, QTime(0, 0), Qt::OffsetFromUTC, kuDemoMarket::mskOffset);
            *seconds = start.toSecsSinceEpoch() + (endOfDay ? 86399 : 0);
            return true;
        }
    }
    return false;
}

} // namespace

QByteArray kuDemoServer::handle(const QString& script, const Params& params, kuDemoHostile::Mode hostile)
{
    const auto known = scripts().constFind(script);
    if (known == scripts().constEnd())
        return kuDemoPacker::errorReply(errBadNames);
    if (params.isEmpty())
        return kuDemoPacker::errorReply(errNoParams);
    QStringList needed = *known;
    needed.prepend(QStringLiteral("ID"));
    for (const QString& name : qAsConst(needed)) {
        if (!params.contains(name))
            return kuDemoPacker::errorReply(errBadNames);
    }
    if (script == QLatin1String("kuAuthorized"))
        return login(params, hostile != kuDemoHostile::NoSession);

    const QString id = QString::fromLatin1(params.value(QStringLiteral("ID")));
    auto found = m_sessions.find(id);
    if (found == m_sessions.end() || m_market->now() - found->lastSeen > m_options.sessionTimeoutMs) {
        if (found != m_sessions.end())
            m_sessions.erase(found);
        return kuDemoPacker::errorReply(errSession);
    }
    Session& session = *found;
    session.lastSeen = m_market->now();

    for (const QString& name : qAsConst(needed)) {
        if (params.value(name).isEmpty())
            return kuDemoPacker::errorReply(errNoValue);
    }
    int paperId = 0;
    if (params.contains(QStringLiteral("PID"))) {
        bool ok = false;
        paperId = params.value(QStringLiteral("PID")).toInt(&ok);
        const bool anyPaper = script == QLatin1String("kuUnsubscribe");
        if (!ok || (!anyPaper && !m_market->instrument(paperId)))
            return kuDemoPacker::errorReply(errNoValue);
    }

    kuDemoPacker p;
    const kuDemoMarket& market = *m_market;
    if (script == QLatin1String("kuGetInitInfo")) {
        kuDemoReplies(market).packInstruments(p);
    } else if (script == QLatin1String("kuGetCandles")) {
        qint64 from = 0, to = 0, dayFrom = 0;
        bool ok1 = false, ok2 = false, ok3 = false;
        from = params.value(QStringLiteral("SD")).toLongLong(&ok1);
        to = params.value(QStringLiteral("ED")).toLongLong(&ok2);
        dayFrom = params.value(QStringLiteral("SDD")).toLongLong(&ok3);
        if (!ok1 || !ok2 || !ok3)
            return kuDemoPacker::errorReply(errNoValue);
        session.streams.insert({7, paperId});
        kuDemoReplies(market).packCandles(p, paperId, from, to, dayFrom);
    } else if (script == QLatin1String("kuGetOrderBook")) {
        session.streams.insert({10, paperId});
        kuDemoReplies(market).packOrderBook(p, paperId, false);
    } else if (script == QLatin1String("kuLastTrades")) {
        session.streams.insert({13, paperId});
        kuDemoReplies(market).packTape(p, paperId, 0, false);
    } else if (script == QLatin1String("kuGetQuotes")) {
        session.streams.insert({1, paperId});
        kuDemoReplies(market).packQuote(p, paperId, false);
    } else if (script == QLatin1String("kuGetPortfolio")) {
        session.streams.insert({80, 0});
        kuDemoReplies(market).packPortfolio(p, session.login, 0, false);
    } else if (script == QLatin1String("kuGetOrders")) {
        session.streams.insert({82, 0});
        kuDemoReplies(market).packOrders(p, session.login, 0, false);
    } else if (script == QLatin1String("kuGetTrades")) {
        session.streams.insert({83, 0});
        kuDemoReplies(market).packTrades(p, session.login, 0, false);
    } else if (script == QLatin1String("kuGetReportData")) {
        qint64 from = 0, to = 0;
        if (!toSeconds(params.value(QStringLiteral("SDATE")), false, &from) ||
            !toSeconds(params.value(QStringLiteral("EDATE")), true, &to))
            return kuDemoPacker::errorReply(errNoValue);
        const QString account =
                market.accountByHash(session.login, QString::fromLatin1(params.value(QStringLiteral("ACC"))));
        if (account.isEmpty())
            return kuDemoPacker::errorReply(errAccount);
        kuDemoReplies(market).packReport(p, account, session.login, from, to);
    } else if (script == QLatin1String("kuGetPluginList")) {
        return pluginList(hostile == kuDemoHostile::HugeIcon);
    } else if (script == QLatin1String("kuGetDateTime")) {
        kuDemoReplies(market).packTime(p);
    } else if (script == QLatin1String("kuUnAuthorized")) {
        m_sessions.erase(found);
        return emptyList();
    } else if (script == QLatin1String("kuUnsubscribe")) {
        bool ok = false;
        const int winType = params.value(QStringLiteral("WT")).toInt(&ok);
        if (!ok)
            return kuDemoPacker::errorReply(errNoValue);
        session.streams.remove({winType, paperId});
        return emptyList();
    } else if (script == QLatin1String("kuLastPrice")) {
        session.streams.insert({14, paperId});
        p.array(2).integer(paperId).real(market.lastPrice(paperId));
    } else if (script == QLatin1String("kuMarketDataUpdate")) {
        kuDemoReplies(market).packMarketUpdates(p, session.streams, session.marketSince);
        session.marketSince = market.stamp();
    } else if (script == QLatin1String("kuGetUpdates")) {
        kuDemoReplies(market).packAccountUpdates(p, session.login, session.streams, session.updatesSince);
        session.updatesSince = market.stamp();
    } else if (script == QLatin1String("kuOrderManager")) {
        return orderRequest(session, params);
    }
    return p.hex();
}

QByteArray kuDemoServer::login(const Params& params, bool withSession)
{
    const QByteArray loginBytes = params.value(QStringLiteral("ID"));
    if (loginBytes.isEmpty() || params.value(QStringLiteral("PW")).isEmpty())
        return kuDemoPacker::errorReply(errNoValue);
    static QTextCodec* cp1251 = QTextCodec::codecForName("cp1251");
    const QString login = cp1251->toUnicode(loginBytes);
    const QString password = QString::fromUtf8(params.value(QStringLiteral("PW")));
    if (m_refuseCode != 0)
        return kuDemoPacker::errorReply(m_refuseCode);
    if (!m_users.contains(login) || m_users.value(login) != password)
        return kuDemoPacker::errorReply(errLogin);

    Session session;
    session.login = login;
    session.lastSeen = m_market->now();
    session.marketSince = session.updatesSince = m_market->stamp();
    // Unguessable even with a known seed: a session is all a request needs to trade.
    QByteArray token(20, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(token.data()), token.size() / 4);
    session.id = QString::fromLatin1(token.toHex());
    m_sessions.insert(session.id, session);

    kuDemoPacker p;
    kuDemoReplies(*m_market).packLogin(p, login, withSession ? session.id : QString());
    return p.hex();
}

QByteArray kuDemoServer::orderRequest(const Session& session, const Params& params)
{
    bool ok = false;
    kuDemoOrderRequest r;
    r.code = params.value(QStringLiteral("TYPE")).toInt(&ok);
    QStringList names;
    switch (r.code) {
    case 1001:
    case 1002:
        names = QStringList{QStringLiteral("ACC"),   QStringLiteral("PID"), QStringLiteral("ACT"),
                            QStringLiteral("QUANT"), QStringLiteral("IM"),  QStringLiteral("PRICE"),
                            QStringLiteral("TIME"),  QStringLiteral("EF")};
        break;
    case 1010:
    case 1011:
        names = QStringList{QStringLiteral("ACC"),   QStringLiteral("PID"), QStringLiteral("ACT"),
                            QStringLiteral("QUANT"), QStringLiteral("FC"),  QStringLiteral("P1"),
                            QStringLiteral("P2"),    QStringLiteral("M1"),  QStringLiteral("SC"),
                            QStringLiteral("P3"),    QStringLiteral("P4"),  QStringLiteral("M2"),
                            QStringLiteral("EF")};
        break;
    case 1003:
    case 1012:
        break;
    default:
        return kuDemoPacker::errorReply(errNoValue);
    }
    if (r.code == 1002 || r.code == 1003 || r.code == 1011 || r.code == 1012)
        names << QStringLiteral("OID");
    QHash<QString, double> values;
    for (const QString& name : qAsConst(names)) {
        if (!params.contains(name))
            return kuDemoPacker::errorReply(errBadNames);
        double value = 0;
        if (name != QLatin1String("ACC") && !toNumber(params.value(name), &value))
            return kuDemoPacker::errorReply(errNoValue);
        values.insert(name, value);
    }
    auto whole = [&](const char* name) { return int(std::llround(values.value(QLatin1String(name)))); };
    if (names.contains(QStringLiteral("ACC"))) {
        r.account = m_market->accountByHash(session.login, QString::fromLatin1(params.value(QStringLiteral("ACC"))));
        if (r.account.isEmpty())
            return kuDemoPacker::errorReply(errAccount);
    }
    r.orderId = whole("OID");
    r.paperId = whole("PID");
    r.action = whole("ACT");
    r.amount = whole("QUANT");
    r.price = values.value(QStringLiteral("PRICE"));
    r.isMarket = whole("IM");
    r.ordTime = whole("TIME");
    r.execFlag = whole("EF");
    r.fcond = whole("FC");
    r.ifPrice1 = values.value(QStringLiteral("P1"));
    r.stopPrice1 = values.value(QStringLiteral("P2"));
    r.isMarket1 = whole("M1");
    r.scond = whole("SC");
    r.ifPrice2 = values.value(QStringLiteral("P3"));
    r.stopPrice2 = values.value(QStringLiteral("P4"));
    r.isMarket2 = whole("M2");

    const int result = m_market->orderRequest(session.login, r);
    if (result < 0)
        return kuDemoPacker::errorReply(-result);
    kuDemoPacker p;
    p.array(1).integer(result);
    return p.hex();
}
