#pragma once

#include <QSslCertificate>
#include <QSslKey>
#include <QString>

// The server's self-signed certificate for localhost, made once per data folder.
class kuDemoCertificate
{
public:
    // Loads "server.crt" and "server.key" from the folder, generating them with
    // the openssl program when they are missing. False with a reason on failure.
    bool load(const QString& dataDir);

    QSslCertificate certificate() const { return m_certificate; }
    QSslKey key() const { return m_key; }
    QString errorString() const { return m_error; }

private:
    bool generate(const QString& certPath, const QString& keyPath);

    QSslCertificate m_certificate;
    QSslKey m_key;
    QString m_error;
};
