#pragma once

#include <QList>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>

class QNetworkReply;
class QNetworkRequest;
class QUrl;

// How the plug-in checks the server's certificate. Certificates are verified
// against the system's CAs and the CA built into the plug-in; a certificate
// error is accepted only for a server on this machine, so that the local demo
// server with its self-signed certificate keeps working while a password never
// goes to an unverified remote host.
class kuTlsPolicy
{
public:
    kuTlsPolicy();

    // The policy of the process: connections take a copy when made, the plug-in
    // download uses it as it is. Tests turn the loopback exception off here.
    static kuTlsPolicy processPolicy();
    static void setProcessPolicy(const kuTlsPolicy& policy);

    // Off, loopback servers are verified like any other (tests use this to show
    // what a remote server with the same certificate gets).
    void setLoopbackExempt(bool exempt);
    bool loopbackExempt() const;
    void addCaCertificates(const QList<QSslCertificate>& certificates);

    // A request as the plug-in sends it: at most 3 redirects, never to a less safe scheme.
    QNetworkRequest request(const QUrl& url) const;
    // Decides on the reply's certificate errors when they come.
    void watch(QNetworkReply* reply) const;
    // Why a watched reply's certificate was refused, for the user; empty when it was not.
    static QString refusal(const QNetworkReply* reply);
    static QString refusalReason(const QList<QSslError>& errors);

private:
    QSslConfiguration m_config;
    bool m_loopbackExempt = true;
};
