#include "kulogging.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include <spdlog/sinks/base_sink.h>
#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

#include "kulogsignal.h"
#include "kupaths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kLoggerName = "Velmoran";
const char* const kPattern = "%Y-%m-%d %H:%M:%S.%e [%t] %l %n - %v";

// spdlog has no sink that calls back; this one hands each formatted line to kuLogSignal.
// A receiver that logs from its slot does not come back here: Qt prints messages
// issued inside the message handler straight to standard error.
class SignalSink : public spdlog::sinks::base_sink<std::mutex>
{
protected:
    void sink_it_(const spdlog::details::log_msg& msg) override
    {
        spdlog::memory_buf_t formatted;
        formatter_->format(msg, formatted);
        QString line = QString::fromUtf8(formatted.data(), int(formatted.size()));
        while (line.endsWith(QLatin1Char('\n')) || line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        emit kuLogSignal::instance()->on_message(line);
    }
    void flush_() override {}
};

} // namespace

QString logFilePath(const QString& logDir, const QDate& day)
{
    return logDir + QDir::separator() + QStringLiteral("Velmoran") + day.toString(QStringLiteral("_yyyyMMdd")) +
           QStringLiteral(".log");
}

namespace {

// A folder where a file can be made: tried, not judged from its mode bits.
bool canWriteIn(const QString& dir)
{
    if (!QDir().mkpath(dir))
        return false;
    QFile probe(dir + QDir::separator() + QStringLiteral(".write-test"));
    const bool ok = probe.open(QIODevice::WriteOnly);
    probe.remove();
    return ok;
}

} // namespace

QString userLogFolder()
{
    return kuPaths::dataHome() + QStringLiteral("/Velmoran/logs");
}

void installMessageLogging(const QString& logDir)
{
    // An installed program logs in the user's folder from the start; a build or a copied
    // folder logs beside itself and says so when it cannot.
    QString dir = logDir;
    if (dir.isEmpty())
        dir = kuPaths::isInstalled() ? userLogFolder()
                                     : QCoreApplication::applicationDirPath() + QDir::separator() + QStringLiteral("logs");
    if (dir != userLogFolder() && !canWriteIn(dir)) {
        const QString fallback = userLogFolder();
        std::fprintf(stderr, "Cannot write logs in %s; logging to %s instead\n", qPrintable(dir), qPrintable(fallback));
        dir = fallback;
    }

    kuLogSignal::instance(); // created on this (the GUI) thread, not on the first thread that logs
    auto signalSink = std::make_shared<SignalSink>();
    signalSink->set_level(spdlog::level::info);
    auto consoleSink = std::make_shared<spdlog::sinks::stdout_sink_mt>();
    consoleSink->set_level(spdlog::level::trace);

    std::vector<spdlog::sink_ptr> sinks{signalSink, consoleSink};
    // The day is taken once: a run past midnight keeps the file of its start day.
    const QString path = logFilePath(dir, QDate::currentDate());
    QDir().mkpath(dir);
    try {
        // Private from its first byte: the log holds account data.
        const QByteArray name = QFile::encodeName(path);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd >= 0) {
            [[maybe_unused]] const int changed = ::fchmod(fd, 0600); // one made before: ours alone too
            ::close(fd);
        }
        auto fileSink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(name.toStdString(), false);
        fileSink->set_level(spdlog::level::info);
        sinks.push_back(fileSink);
    } catch (const spdlog::spdlog_ex& e) {
        std::fprintf(stderr, "Cannot open log file %s: %s\n", qPrintable(path), e.what());
    }

    spdlog::drop(kLoggerName);
    auto logger = std::make_shared<spdlog::logger>(kLoggerName, sinks.begin(), sinks.end());
    logger->set_pattern(kPattern);
    logger->set_level(spdlog::level::trace);
    logger->flush_on(spdlog::level::info);
    spdlog::register_logger(logger);
}

QString logMessageText(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const QString prefix = QStringLiteral("(%1:%2) ").arg(QLatin1String(context.function)).arg(context.line);
    switch (type) {
    case QtDebugMsg:
    case QtInfoMsg:
        return prefix + text;
    case QtWarningMsg:
    case QtCriticalMsg:
    case QtFatalMsg:
        return text + QStringLiteral(" >>> ") + prefix;
    }
    return QString();
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    const std::string line = logMessageText(type, context, text).toStdString();
    const auto logger = spdlog::get(kLoggerName);
    if (!logger) {
        std::fprintf(stderr, "%s\n", line.c_str());
        if (type == QtFatalMsg)
            std::abort();
        return;
    }
    switch (type) {
    case QtDebugMsg:
        logger->debug(line);
        break;
    case QtInfoMsg:
        logger->info(line);
        break;
    case QtWarningMsg:
        logger->warn(line);
        break;
    case QtCriticalMsg:
        logger->error(line);
        break;
    case QtFatalMsg:
        logger->critical(line);
        logger->flush();
        std::abort();
    }
}

void shutdownLogging()
{
    if (const auto logger = spdlog::get(kLoggerName))
        logger->flush();
    spdlog::drop(kLoggerName);
}
