#include "kudemologline.h"
#include "kudemoserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int number)
{
    const char byte = char(number);
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

// A fault option's "VALUE", "VALUE@SCRIPT" or "VALUE@SCRIPT:TIMES": the script alone, the
// fault ending after that many of its requests.
struct FaultRule
{
    QString value;
    QString script;
    int times = -1;
    bool ok = true;
};

FaultRule faultRule(const QString& text)
{
    FaultRule rule;
    rule.value = text.section(QLatin1Char('@'), 0, 0);
    const QString target = text.section(QLatin1Char('@'), 1);
    rule.script = target.section(QLatin1Char(':'), 0, 0);
    if (target.contains(QLatin1Char(':'))) {
        rule.times = target.section(QLatin1Char(':'), 1).toInt(&rule.ok);
        rule.ok = rule.ok && rule.times > 0 && !rule.script.isEmpty();
    }
    return rule;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmoran-demo-server"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORAN_VERSION));
    kuDemoLogLine::install();

    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Local demo trading server for Velmoran (user DEMO, password demo)."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption portOption(
            QStringLiteral("port"),
            QStringLiteral("Port to listen on, 127.0.0.1 only; repeat for more (default 47443 and 4744)."),
            QStringLiteral("port"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the simulated market (default 1)."),
                                        QStringLiteral("number"), QStringLiteral("1"));
    const QCommandLineOption dataOption(QStringLiteral("data-dir"),
                                        QStringLiteral("Folder of the generated certificate."), QStringLiteral("dir"));
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("Add a user; repeatable."),
                                        QStringLiteral("login:password"));
    const QCommandLineOption timeoutOption(QStringLiteral("session-timeout"),
                                           QStringLiteral("Idle seconds before a session closes (default 1800)."),
                                           QStringLiteral("seconds"), QStringLiteral("1800"));
    const QCommandLineOption tickOption(QStringLiteral("tick-ms"),
                                        QStringLiteral("Milliseconds between market steps (default 250)."),
                                        QStringLiteral("ms"), QStringLiteral("250"));
    const QCommandLineOption delayOption(QStringLiteral("delay"),
                                         QStringLiteral("Delay every reply by this many milliseconds."),
                                         QStringLiteral("ms"), QStringLiteral("0"));
    const QCommandLineOption statusOption(
            QStringLiteral("status"),
            QStringLiteral("Answer every request with this HTTP status and an empty body, or CODE@SCRIPT only "
                           "that one (kuGetOrders), CODE@SCRIPT:TIMES only its next TIMES requests; repeatable."),
            QStringLiteral("code[@script[:times]]"));
    const QCommandLineOption dropOption(QStringLiteral("drop"),
                                        QStringLiteral("Close every connection without answering."));
    const QCommandLineOption refuseOption(
            QStringLiteral("refuse-logins"),
            QStringLiteral("Refuse every login with this server error code (5: wrong name or password)."),
            QStringLiteral("code"));
    const QCommandLineOption pluginOption(
            QStringLiteral("plugin-dir"),
            QStringLiteral("Folder of plug-ins offered for download (<name>.json beside each library)."),
            QStringLiteral("dir"));
    const QCommandLineOption hostileOption(
            QStringLiteral("hostile"),
            QStringLiteral("Answer badly: MODE for every request or MODE@SCRIPT for one (kuGetInitInfo), "
                           "MODE@SCRIPT:TIMES for its next TIMES requests; repeatable. Modes: %1.")
                    .arg(kuDemoHostile::names()),
            QStringLiteral("mode[@script[:times]]"));
    const QCommandLineOption hostileBytesOption(
            QStringLiteral("hostile-bytes"),
            QStringLiteral("Hex bytes of an oversized reply, inflated bytes of a gzip bomb."), QStringLiteral("bytes"));
    const QCommandLineOption slowOption(QStringLiteral("slow-ms"),
                                        QStringLiteral("How long a slow body takes to arrive (default 7000)."),
                                        QStringLiteral("ms"));
    parser.addOptions({hostileOption, hostileBytesOption, slowOption});
    parser.addOption(pluginOption);
    parser.addOptions({portOption, seedOption, dataOption, userOption, timeoutOption, tickOption, delayOption,
                       statusOption, dropOption, refuseOption});
    // Usage and version go to standard output with exit 0; a bad command line is one line and exit 2.
    if (!parser.parse(app.arguments())) {
        QString error = parser.errorText();
        if (error.endsWith(QLatin1Char('.')))
            error.chop(1);
        std::fprintf(stderr, "velmoran-demo-server: %s (see velmoran-demo-server --help)\n", qPrintable(error));
        return 2;
    }
    if (parser.isSet(helpOption)) {
        std::fputs(qPrintable(parser.helpText()), stdout);
        return 0;
    }
    if (parser.isSet(versionOption)) {
        std::printf("velmoran-demo-server %s\n", qPrintable(QCoreApplication::applicationVersion()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "velmoran-demo-server: unexpected argument '%s' (see velmoran-demo-server --help)\n",
                     qPrintable(parser.positionalArguments().first()));
        return 2;
    }

    kuDemoServer::Options options;
    options.seed = parser.value(seedOption).toULongLong();
    options.dataDir = parser.isSet(dataOption)
                              ? parser.value(dataOption)
                              : QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                                        .filePath(QStringLiteral("velmoran-demo-server"));
    options.sessionTimeoutMs = parser.value(timeoutOption).toLongLong() * 1000;
    options.tickMs = qMax(1, parser.value(tickOption).toInt());
    options.logRequests = true;
    options.pluginDir = parser.value(pluginOption);

    kuDemoServer server(options);
    for (const QString& user : parser.values(userOption)) {
        const int colon = user.indexOf(QLatin1Char(':'));
        if (colon <= 0) {
            qCritical("--user wants login:password, got %s", qPrintable(user));
            return 2;
        }
        server.addUser(user.left(colon), user.mid(colon + 1));
    }
    server.setReplyDelay(parser.value(delayOption).toInt());
    for (const QString& item : parser.values(statusOption)) {
        const FaultRule rule = faultRule(item);
        bool number = false;
        const int code = rule.value.toInt(&number);
        if (!rule.ok || !number || code < 0) {
            qCritical("--status wants code[@script[:times]], got %s", qPrintable(item));
            return 2;
        }
        server.setReplyStatus(code, rule.script, rule.times);
    }
    server.setDropConnections(parser.isSet(dropOption));
    for (const QString& item : parser.values(hostileOption)) {
        const FaultRule rule = faultRule(item);
        const kuDemoHostile::Mode mode = kuDemoHostile::fromName(rule.value);
        if (mode == kuDemoHostile::None || !rule.ok) {
            qCritical("unknown hostile mode %s (modes: %s)", qPrintable(item), qPrintable(kuDemoHostile::names()));
            return 2;
        }
        server.setHostile(mode, rule.script, rule.times);
    }
    if (parser.isSet(hostileBytesOption)) {
        server.setOversizedBytes(parser.value(hostileBytesOption).toInt());
        server.setBombBytes(parser.value(hostileBytesOption).toLongLong());
    }
    if (parser.isSet(slowOption))
        server.setSlowBodyMs(parser.value(slowOption).toInt());
    if (parser.isSet(refuseOption))
        server.setRefuseLogins(parser.value(refuseOption).toInt() > 0 ? parser.value(refuseOption).toInt() : 5);

    QList<quint16> ports;
    for (const QString& text : parser.values(portOption)) {
        bool ok = false;
        const uint port = text.toUInt(&ok);
        if (!ok || port > 65535) {
            qCritical("bad port %s", qPrintable(text));
            return 2;
        }
        ports << quint16(port);
    }
    if (ports.isEmpty())
        ports = {kuDemoServer::primaryPort, kuDemoServer::sparePort};

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        qCritical("cannot set up signal handling");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        char byte = 0;
        if (::read(signalPipe[0], &byte, 1) != 1)
            return;
        // USR1 and USR2 take the server off the network and back, to try reconnecting.
        if (byte == SIGUSR1) {
            server.stopListening();
            qInfo("stopped listening");
        } else if (byte == SIGUSR2) {
            if (server.restartListening())
                qInfo("listening again");
            else
                qWarning("cannot listen again: %s", qPrintable(server.errorString()));
        } else {
            qInfo("stopping");
            app.quit();
        }
    });
    for (int number : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        std::signal(number, onSignal);

    if (!server.start(ports)) {
        qCritical("cannot start: %s", qPrintable(server.errorString()));
        return 1;
    }
    for (int i = 0; i < server.ports().size(); ++i)
        qInfo("listening on %s", qPrintable(server.baseUrl(i)));
    qInfo("certificate in %s; user DEMO, password demo", qPrintable(options.dataDir));
    const int code = app.exec();
    server.stopListening();
    return code;
}
