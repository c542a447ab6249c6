#include "kutlspolicy.h"

#include "kuloopbackhost.h"
#include "kuserverca.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMutex>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

kuTlsPolicy::kuTlsPolicy() : m_config(QSslConfiguration::defaultConfiguration())
{
    m_config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    const QByteArray pem(kuServerCaPem);
    if (!pem.trimmed().isEmpty())
        m_config.addCaCertificates(QSslCertificate::fromData(pem, QSsl::Pem));
}

namespace {

QMutex policyLock;
const char* const refusalProperty = "kuCertificateRefusal";

kuTlsPolicy& sharedPolicy()
{
    static kuTlsPolicy policy;
    return policy;
}

} // namespace

kuTlsPolicy kuTlsPolicy::processPolicy()
{
    QMutexLocker lock(&policyLock);
    return sharedPolicy();
}

void kuTlsPolicy::setProcessPolicy(const kuTlsPolicy& policy)
{
    QMutexLocker lock(&policyLock);
    sharedPolicy() = policy;
}

void kuTlsPolicy::setLoopbackExempt(bool exempt)
{
    m_loopbackExempt = exempt;
}

bool kuTlsPolicy::loopbackExempt() const
{
    return m_loopbackExempt;
}

void kuTlsPolicy::addCaCertificates(const QList<QSslCertificate>& certificates)
{
    m_config.addCaCertificates(certificates);
}

QNetworkRequest kuTlsPolicy::request(const QUrl& url) const
{
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setSslConfiguration(m_config);
    return request;
}

void kuTlsPolicy::watch(QNetworkReply* reply) const
{
    const bool exempt = m_loopbackExempt;
    QObject::connect(reply, &QNetworkReply::sslErrors, reply, [reply, exempt](const QList<QSslError>& errors) {
        // A redirect may lead elsewhere: the original host and the current one must both be local.
        if (exempt && isLoopbackHost(reply->request().url().host()) && isLoopbackHost(reply->url().host())) {
            reply->ignoreSslErrors(errors);
            return;
        }
        qWarning().noquote() << "Certificate of" << reply->url().host()
                             << "refused:" << (errors.isEmpty() ? QString() : errors.first().errorString());
        reply->setProperty(refusalProperty, refusalReason(errors));
    });
}

QString kuTlsPolicy::refusal(const QNetworkReply* reply)
{
    return reply ? reply->property(refusalProperty).toString() : QString();
}

QString kuTlsPolicy::refusalReason(const QList<QSslError>& errors)
{
    auto tr = [](const char* text) { return QCoreApplication::translate("kuTlsPolicy", text); };
    QStringList reasons;
    for (const QSslError& error : errors) {
        QString reason;
        switch (error.error()) {
        case QSslError::HostNameMismatch:
            reason = tr("имя сервера не совпадает с именем в сертификате");
            break;
        case QSslError::SelfSignedCertificate:
        case QSslError::SelfSignedCertificateInChain:
        case QSslError::UnableToGetIssuerCertificate:
        case QSslError::UnableToGetLocalIssuerCertificate:
        case QSslError::UnableToVerifyFirstCertificate:
        case QSslError::CertificateUntrusted:
            reason = tr("сертификат выдан неизвестным центром сертификации");
            break;
        case QSslError::CertificateExpired:
            reason = tr("срок действия сертификата истек");
            break;
        case QSslError::CertificateNotYetValid:
            reason = tr("срок действия сертификата еще не начался");
            break;
        case QSslError::CertificateRevoked:
            reason = tr("сертификат отозван");
            break;
        case QSslError::NoPeerCertificate:
            reason = tr("сервер не предъявил сертификат");
            break;
        default:
            reason = error.errorString();
            break;
        }
        if (!reasons.contains(reason))
            reasons << reason;
    }
    if (reasons.isEmpty())
        reasons << tr("сертификат не прошел проверку");
    return reasons.join(QStringLiteral("; "));
}
