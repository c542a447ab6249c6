#include "kudemocertificate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

bool kuDemoCertificate::load(const QString& dataDir)
{
    if (!QDir().mkpath(dataDir)) {
        m_error = QStringLiteral("cannot create %1").arg(dataDir);
        return false;
    }
    const QString certPath = QDir(dataDir).filePath(QStringLiteral("server.crt"));
    const QString keyPath = QDir(dataDir).filePath(QStringLiteral("server.key"));
    if ((!QFileInfo::exists(certPath) || !QFileInfo::exists(keyPath)) && !generate(certPath, keyPath))
        return false;

    QFile certFile(certPath);
    QFile keyFile(keyPath);
    if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
        m_error = QStringLiteral("cannot read the certificate in %1").arg(dataDir);
        return false;
    }
    m_certificate = QSslCertificate(certFile.readAll(), QSsl::Pem);
    const QByteArray keyPem = keyFile.readAll();
    m_key = QSslKey(keyPem, QSsl::Ec, QSsl::Pem);
    if (m_key.isNull())
        m_key = QSslKey(keyPem, QSsl::Rsa, QSsl::Pem);
    if (m_certificate.isNull() || m_key.isNull()) {
        m_error = QStringLiteral("unusable certificate or key in %1; remove them to make new ones").arg(dataDir);
        return false;
    }
    return true;
}

bool kuDemoCertificate::generate(const QString& certPath, const QString& keyPath)
{
    // Written under temporary names first so that a crash never leaves half a pair.
    const QString certTmp = certPath + QStringLiteral(".new");
    const QString keyTmp = keyPath + QStringLiteral(".new");
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
                  {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
                   QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                   QStringLiteral("-keyout"), keyTmp, QStringLiteral("-out"), certTmp, QStringLiteral("-days"),
                   QStringLiteral("3650"), QStringLiteral("-subj"), QStringLiteral("/CN=localhost"),
                   QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1,DNS:localhost")});
    if (!openssl.waitForFinished(60000) || openssl.exitStatus() != QProcess::NormalExit || openssl.exitCode() != 0) {
        m_error = QStringLiteral("openssl failed: %1 %2")
                          .arg(openssl.errorString(), QString::fromLocal8Bit(openssl.readAll()));
        QFile::remove(certTmp);
        QFile::remove(keyTmp);
        return false;
    }
    QFile::setPermissions(keyTmp, QFile::ReadOwner | QFile::WriteOwner);
    QFile::remove(certPath);
    QFile::remove(keyPath);
    if (!QFile::rename(keyTmp, keyPath) || !QFile::rename(certTmp, certPath)) {
        m_error = QStringLiteral("cannot store the certificate in %1").arg(QFileInfo(certPath).absolutePath());
        return false;
    }
    return true;
}
