#include "kudemologline.h"

#include <QDateTime>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

// "yyyy-MM-dd HH:mm:ss" of the second logged last on this thread.
struct SecondText
{
    qint64 second = -1;
    bool valid = false;
    char text[32] = {};
    int size = 0;
};

void handler(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    const QByteArray line = kuDemoLogLine::format(QDateTime::currentMSecsSinceEpoch(), message) + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
    if (type == QtFatalMsg)
        std::abort();
}

} // namespace

void kuDemoLogLine::install()
{
    qInstallMessageHandler(handler);
}

QByteArray kuDemoLogLine::format(qint64 msecsSinceEpoch, const QString& message)
{
    qint64 second = msecsSinceEpoch / 1000;
    int millis = int(msecsSinceEpoch % 1000);
    if (millis < 0) {
        --second;
        millis += 1000;
    }
    thread_local SecondText last;
    if (!last.valid || last.second != second) {
        const time_t t = time_t(second);
        tm local{};
        last.valid = localtime_r(&t, &local) != nullptr;
        last.second = second;
        last.size = last.valid ? std::snprintf(last.text, sizeof last.text, "%04d-%02d-%02d %02d:%02d:%02d",
                                               local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                                               local.tm_min, local.tm_sec)
                               : 0;
    }
    if (!last.valid) {
        // Outside what the C library converts: as Qt writes it.
        return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch)
                       .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))
                       .toLocal8Bit() +
               ' ' + message.toLocal8Bit();
    }
    const QByteArray text = message.toLocal8Bit();
    QByteArray line;
    line.reserve(last.size + 5 + text.size());
    char millisText[8];
    std::snprintf(millisText, sizeof millisText, ".%03d ", millis);
    line.append(last.text, last.size).append(millisText, 5).append(text);
    return line;
}
