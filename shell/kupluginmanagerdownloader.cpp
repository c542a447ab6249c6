#include "kupluginmanagerdownloader.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuconnectionmanager.h"
#include "kufunctions.h"
#include "kuplugininstaller.h"
#include "kuplugintable.h"
#include "kureplybody.h"
#include "kutlspolicy.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>
#include <QUrlQuery>

kuPluginManagerDownloader::kuPluginManagerDownloader(QObject* parent)
    : QObject(parent), m_network(new QNetworkAccessManager(this))
{}

kuPluginManagerDownloader::~kuPluginManagerDownloader()
{
    stop();
}

QUrl kuPluginManagerDownloader::fileUrl(const QString& serverUrl, const QString& sessionId, const QString& guid)
{
    QUrl url(serverUrl + QStringLiteral("/kuGetPluginFile"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("ID"), QString::fromLatin1(QUrl::toPercentEncoding(sessionId)));
    query.addQueryItem(QStringLiteral("GUID"), QString::fromLatin1(QUrl::toPercentEncoding(guid)));
    url.setQuery(query);
    return url;
}

void kuPluginManagerDownloader::start(const QString& guid)
{
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    const QPointer<kuAbstractConn> conn = manager ? manager->connection() : nullptr;
    if (!conn) {
        fail(QStringLiteral("no connection"));
        return;
    }
    start(guid, fileUrl(conn->serverUrl(), conn->sessionId(), guid));
}

void kuPluginManagerDownloader::start(const QString& guid, const QUrl& url)
{
    stop();
    m_targetPath.clear();
    m_partPath.clear();

    const QString name = kuPluginTable().pluginName(guid);
    if (!kuPluginTable::isValidPluginName(name)) {
        fail(QStringLiteral("invalid plug-in name '%1'").arg(name));
        return;
    }
    if (url.scheme() != QLatin1String("https")) {
        fail(QStringLiteral("not an HTTPS address: %1").arg(url.toDisplayString(QUrl::RemoveQuery)));
        return;
    }
    const QString folder = kuPluginInstaller::downloadFolder();
    if (folder.isEmpty()) {
        fail(QStringLiteral("no private download folder"));
        return;
    }
    const QString target = QDir(folder).filePath(kuPluginTable::pluginFileName(name));
    const QString part = target + QStringLiteral(".part");
    auto* file = new QFile(part, this);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        const QString error = file->errorString();
        delete file;
        fail(error);
        return;
    }
    m_file = file;
    m_partPath = part;
    m_targetPath = target;

    // The connections' own TLS policy: their CAs, their loopback exception.
    const kuTlsPolicy tls = kuTlsPolicy::processPolicy();
    QNetworkRequest request = tls.request(url);
    // A server that stops sending ends the download.
    request.setTransferTimeout(m_stallTimeoutMs);
    kuReplyBody::prepare(&request);
    QNetworkReply* reply = m_network->get(request);
    tls.watch(reply);
    // Written to the file as it comes, counted after inflation, bounded.
    kuReplyBody* body = kuReplyBody::attach(reply, maxFileBytes);
    body->setSink([this](const char* data, qint64 size) {
        if (!m_file || !m_file->isOpen() || m_file->write(data, size) != size)
            m_writeFailed = true;
        return !m_writeFailed;
    });
    connect(reply, &QNetworkReply::downloadProgress, this, &kuPluginManagerDownloader::slot_downloadProgress);
    connect(reply, &QNetworkReply::finished, this, &kuPluginManagerDownloader::slot_downloadReady);
    m_reply = reply;
    m_downloading = true;
    m_writeFailed = false;
    m_progress = 0;
    emit needUpdate();
}

void kuPluginManagerDownloader::slot_downloadProgress(qlonglong bytesSent, qlonglong bytesTotal)
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    // An unknown or empty total tells nothing about the share done.
    if (bytesTotal <= 0)
        return;
    const int percent = bytesSent >= bytesTotal ? 100 : qBound(0, int(double(bytesSent) / bytesTotal * 100), 100);
    if (percent != m_progress && m_downloading) {
        m_progress = percent;
        emit needUpdate();
    }
}

void kuPluginManagerDownloader::slot_downloadReady()
{
    auto* reply = qobject_cast<QNetworkReply*>(sender());
    if (!reply)
        return;
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_downloading = false;
    // Complete, within the limit, status 200, every byte written (or why not).
    QString why;
    kuReplyBody::take(reply, &why);
    const bool closedCleanly = m_file && m_file->flush() && m_file->error() == QFileDevice::NoError;
    if (m_file)
        m_file->close();
    if (why.isEmpty() && (m_writeFailed || !closedCleanly))
        why = QStringLiteral("cannot write %1").arg(m_partPath);

    if (why.isEmpty()) {
        if (QFile::exists(m_targetPath) && !QFile::remove(m_targetPath))
            why = QStringLiteral("cannot replace %1").arg(m_targetPath);
        else if (!QFile::rename(m_partPath, m_targetPath))
            why = QStringLiteral("cannot rename %1").arg(m_partPath);
    }
    if (m_file)
        delete m_file.data();
    if (!why.isEmpty()) {
        QFile::remove(m_partPath);
        fail(why);
        return;
    }
    m_progress = 100;
    emit on_downloadReady();
    emit needUpdate();
}

void kuPluginManagerDownloader::fail(const QString& why)
{
    // A failed download is not a finished one, however many bytes came.
    m_progress = 0;
    qDebug() << "Не удалось загрузить файл модуля";
    qCritical().noquote() << why;
    emit on_downloadFailed();
    emit needUpdate();
}

void kuPluginManagerDownloader::stop()
{
    m_downloading = false;
    m_progress = 0;
    if (m_reply) {
        // Aborting finishes the reply at once; that is not a failed download.
        disconnect(m_reply, nullptr, this, nullptr);
        m_reply->abort();
        m_reply->deleteLater();
    }
    if (m_file) {
        m_file->close();
        m_file->remove();
        delete m_file.data();
    }
}

void kuPluginManagerDownloader::cancel()
{
    stop();
    if (!m_targetPath.isEmpty())
        QFile::remove(m_targetPath);
    m_targetPath.clear();
}

void kuPluginManagerDownloader::slot_showError(WinType winType, QString msg, int paperID)
{
    Q_UNUSED(paperID)
    if (winType != wtPluginList)
        return;
    stop();
    showError(msg);
    const QPointer<kuConnectionManager> manager = kuConnectionManager::instance();
    if (const QPointer<kuAbstractDataConverter> converter = manager ? manager->dataConverter() : nullptr)
        disconnect(converter, &kuAbstractDataConverter::on_receviedError, this,
                   &kuPluginManagerDownloader::slot_showError);
}
