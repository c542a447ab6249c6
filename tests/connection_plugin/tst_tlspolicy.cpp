#include "kudemoserver.h"
#include "kuloopbackhost.h"
#include "kumainconn.h"
#include "kurequesttext.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtTest>

// Certificate checks, the encoding of values that go into URLs and the check of poll replies.
class tst_TlsPolicy : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<kuDemoServer> m_server;

private slots:
    void initTestCase()
    {
        kuDemoServer::Options options;
        options.dataDir = m_dir.path();
        options.tickMs = 0;
        m_server = std::make_unique<kuDemoServer>(options);
        QVERIFY2(m_server->start({0}), qPrintable(m_server->errorString()));
    }

    void loopbackHosts_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("loopback");
        QTest::newRow("127.0.0.1") << "127.0.0.1" << true;
        QTest::newRow("127.8.9.10") << "127.8.9.10" << true;
        QTest::newRow("localhost") << "localhost" << true;
        QTest::newRow("LocalHost.") << "LocalHost." << true;
        QTest::newRow("::1") << "::1" << true;
        QTest::newRow("[::1]") << "[::1]" << true;
        QTest::newRow("128.0.0.1") << "128.0.0.1" << false;
        QTest::newRow("private range") << "10.0.0.1" << false;
        QTest::newRow("::2") << "::2" << false;
        QTest::newRow("loopback-looking name") << "127.0.0.1.example.com" << false;
        QTest::newRow("localhost subdomain") << "localhost.example.com" << false;
        QTest::newRow("remote name") << "broker.example.com" << false;
        QTest::newRow("empty") << "" << false;
    }

    void loopbackHosts()
    {
        QFETCH(QString, host);
        QFETCH(bool, loopback);
        QCOMPARE(isLoopbackHost(host), loopback);
    }

    // The demo server's certificate is self-signed. Verified like a remote
    // server's, it is refused unless its CA is trusted.
    void certificateChecks_data()
    {
        QTest::addColumn<bool>("loopbackExempt");
        QTest::addColumn<bool>("trustServerCa");
        QTest::addColumn<bool>("answered");
        QTest::newRow("loopback server") << true << false << true;
        QTest::newRow("verified like a remote server") << false << false << false;
        QTest::newRow("verified, CA trusted") << false << true << true;
    }

    void certificateChecks()
    {
        QFETCH(bool, loopbackExempt);
        QFETCH(bool, trustServerCa);
        QFETCH(bool, answered);
        kuMainConn conn(m_server->baseUrl());
        kuTlsPolicy policy;
        policy.setLoopbackExempt(loopbackExempt);
        if (trustServerCa)
            policy.addCaCertificates({m_server->certificate()});
        conn.setTlsPolicy(policy);
        m_server->clearRequests();

        QSignalSpy replies(&conn, &kuAbstractConn::on_receivedDateTime);
        if (!answered) {
            for (int i = 0; i < 2; ++i)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Certificate of 127.0.0.1 refused"));
        }
        conn.getDateTime();
        QVERIFY(replies.wait(5000));
        QCOMPARE(replies.first().first().toByteArray().isEmpty(), !answered);
        // A refused server never sees the request, so a password in it stays here.
        QCOMPARE(m_server->requests().isEmpty(), !answered);
        QCOMPARE(conn.syncGet(QUrl(m_server->baseUrl() + "/kuGetDateTime?ID=")).isEmpty(), !answered);
    }

    void urlValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("ordinary") << "Linux-6.1_x86.64~"
                                  << "Linux-6.1_x86.64~";
        QTest::newRow("query characters") << "a&b=c#d+e"
                                          << "a%26b%3Dc%23d%2Be";
        QTest::newRow("percent and placeholder") << "100%2"
                                                 << "100%252";
        QTest::newRow("space and brackets") << "Debian 12 (x86_64)"
                                            << "Debian%2012%20%28x86_64%29";
        QTest::newRow("non-ASCII as UTF-8") << "пароль"
                                            << "%D0%BF%D0%B0%D1%80%D0%BE%D0%BB%D1%8C";
    }

    void urlValues()
    {
        QFETCH(QString, value);
        QFETCH(QString, encoded);
        QCOMPARE(kuRequestText::encoded(value), encoded);
    }

    // One pass: a value that holds a placeholder is never substituted again.
    void fillTemplate_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("result");
        QTest::newRow("value with placeholder") << "%1?A=%2&B=%3" << QStringList{"u", "%3", "x"} << "u?A=%3&B=x";
        QTest::newRow("two digits") << "%1-%10-%11"
                                    << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"} << "a-j-k";
        QTest::newRow("beyond the values") << "%1%2%9" << QStringList{"a", "b"} << "ab%9";
        QTest::newRow("one digit before a digit") << "%15" << QStringList{"a", "b"} << "a5";
    }

    void fillTemplate()
    {
        QFETCH(QString, pattern);
        QFETCH(QStringList, values);
        QFETCH(QString, result);
        QCOMPARE(kuRequestText::fill(pattern, values), result);
    }

    // Only hex text that is not the server's error map keeps a poll counted as working.
    void healthyReplies_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("healthy");
        QTest::newRow("array") << QByteArray("9201a3616263") << true;
        QTest::newRow("upper-case hex") << QByteArray("92C0C0") << true;
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("odd length") << QByteArray("920") << false;
        QTest::newRow("not hex") << QByteArray("92zz") << false;
        QTest::newRow("fixmap") << QByteArray("81a16101") << false;
        QTest::newRow("empty fixmap") << QByteArray("80") << false;
        QTest::newRow("map 16") << QByteArray("de0000") << false;
        QTest::newRow("map 32") << QByteArray("df00000000") << false;
    }

    void healthyReplies()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, healthy);
        QCOMPARE(kuRequestText::isHealthyReply(body), healthy);
    }
};

QTEST_GUILESS_MAIN(tst_TlsPolicy)
#include "tst_tlspolicy.moc"
