#include "kukoi8r.h"

#include <QTextCodec>
#include <QtTest>

class tst_Koi8r : public QObject
{
    Q_OBJECT
private slots:
    // The table against Qt's own codec, byte by byte and as one text.
    void sameAsCodec()
    {
        QTextCodec* codec = QTextCodec::codecForName("KOI8-R");
        QVERIFY(codec);
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            QCOMPARE(kuKoi8r::toUnicode(&byte, 1), codec->toUnicode(&byte, 1));
            all += byte;
        }
        QCOMPARE(kuKoi8r::toUnicode(all), codec->toUnicode(all));
        const QString text = QStringLiteral("ПАО Сбербанк, ёЁ ─│");
        QCOMPARE(kuKoi8r::toUnicode(codec->fromUnicode(text)), text);
        QVERIFY(kuKoi8r::toUnicode(QByteArray()).isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_Koi8r)
#include "tst_koi8r.moc"
