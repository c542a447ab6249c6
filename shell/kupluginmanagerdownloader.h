#pragma once

#include "wintype.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;

// Fetches one plug-in file over HTTPS into the user's private download
// folder: first as "<name>.part", renamed to the final name once complete.
class kuPluginManagerDownloader : public QObject
{
    Q_OBJECT
public:
    explicit kuPluginManagerDownloader(QObject* parent = nullptr);
    ~kuPluginManagerDownloader() override;

    // Starts the download of the catalogue entry with this guid from the
    // current connection's server; a start that cannot be made fails at once.
    void start(const QString& guid);
    // As above from a given address (the file request of the server).
    void start(const QString& guid, const QUrl& url);

    bool isDownloading() const { return m_downloading; }
    // A plug-in file larger than this is refused as it arrives.
    static constexpr qint64 maxFileBytes = 256 * 1024 * 1024;
    // A download that receives nothing for this long fails (tests shorten it).
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }
    bool isFinished() const { return !m_downloading && m_progress == 100; }
    int progress() const { return m_progress; }
    void stop();
    void cancel();

    // The file request of the server at serverUrl for a plug-in.
    static QUrl fileUrl(const QString& serverUrl, const QString& sessionId, const QString& guid);

signals:
    void on_downloadReady();
    void on_downloadFailed();
    void needUpdate();

public slots:
    void slot_showError(WinType winType, QString msg, int paperID);
    void slot_downloadProgress(qlonglong bytesSent, qlonglong bytesTotal);
    void slot_downloadReady();

private:
    void fail(const QString& why);

    QPointer<QNetworkReply> m_reply;
    QPointer<QNetworkAccessManager> m_network;
    QPointer<QFile> m_file;
    QString m_partPath;
    QString m_targetPath;
    bool m_downloading = false;
    bool m_writeFailed = false;
    int m_progress = 0;
    int m_stallTimeoutMs = 30000;
};
