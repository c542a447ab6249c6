#include "kumsgpackreader.h"
#include "msgpackfixture.h"

#include <QtTest>

class tst_MsgPackReader : public QObject
{
    Q_OBJECT
private slots:
    void values_data();
    void values();
    void rawTextBytesKept();
    void malformed_data();
    void malformed();
    void hexDigits_data();
    void hexDigits();
    void readerReusedAcrossReplies();
};

void tst_MsgPackReader::values_data()
{
    QTest::addColumn<QVariant>("packed");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("positive fixint") << QVariant(5) << QVariant(5);
    QTest::newRow("negative int") << QVariant(-70000) << QVariant(-70000);
    QTest::newRow("int32 max") << QVariant(2147483647) << QVariant(2147483647);
    QTest::newRow("above int32 stays 64-bit") << QVariant(qlonglong(5000000000LL)) << QVariant(qlonglong(5000000000LL));
    QTest::newRow("below int32 stays 64-bit")
            << QVariant(qlonglong(-5000000000LL)) << QVariant(qlonglong(-5000000000LL));
    QTest::newRow("uint64 max") << QVariant(qulonglong(18446744073709551615ULL))
                                << QVariant(qulonglong(18446744073709551615ULL));
    QTest::newRow("double") << QVariant(101.123456789) << QVariant(101.123456789);
    QTest::newRow("float32") << QVariant(float(0.5f)) << QVariant(0.5);
    QTest::newRow("bool") << QVariant(true) << QVariant(true);
    QTest::newRow("nil") << QVariant() << QVariant();
    QTest::newRow("nested")
            << QVariant(QVariantList{1, QVariantMap{{"a", QVariantList{QByteArray("x")}}}, QVariantList{}})
            << QVariant(QVariantList{1, QVariantMap{{"a", QVariantList{QByteArray("x")}}}, QVariantList{}});

    QVariant deepest = QVariantList{1};
    for (int depth = 1; depth < kuMsgPackReader::maxDepth; ++depth)
        deepest = QVariantList{deepest};
    QTest::newRow("nesting at the limit") << deepest << deepest;
}

void tst_MsgPackReader::values()
{
    QFETCH(QVariant, packed);
    QFETCH(QVariant, expected);
    QVariant value;
    QString error;
    QVERIFY2(kuMsgPackReader::unpackHex(packHex(packed), &value, &error), qPrintable(error));
    QCOMPARE(value.userType(), expected.userType());
    QCOMPARE(value, expected);
}

void tst_MsgPackReader::rawTextBytesKept()
{
    // The server's texts are KOI8-R: neither str nor bin may be decoded as UTF-8 on the way.
    const QByteArray cyrillic = koi8(QStringLiteral("Сбербанк"));
    MsgPack pack;
    pack.value(QVariantList{cyrillic, bin(cyrillic)});
    QVariant value;
    QVERIFY(kuMsgPackReader::unpack(pack.bytes(), &value));
    const QVariantList list = value.toList();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list.at(0).toByteArray(), cyrillic);
    QCOMPARE(list.at(1).toByteArray(), cyrillic);
}

void tst_MsgPackReader::malformed_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("reason");

    QTest::newRow("odd length") << QByteArray("9") << QString("odd");
    QTest::newRow("non-hex character") << QByteArray("9g") << QString("non-hex");
    QTest::newRow("blank inside") << QByteArray("92 01 02") << QString("non-hex");
    QTest::newRow("empty") << QByteArray() << QString("empty");
    QTest::newRow("truncated array") << QByteArray("930102") << QString("exceeds the bytes left");
    QTest::newRow("truncated string") << QByteArray("a5616263") << QString("truncated");
    QTest::newRow("truncated float") << QByteArray("cb4059") << QString("truncated");
    QTest::newRow("array claiming 2^32-1 elements") << QByteArray("ddffffffff01") << QString("exceeds the bytes left");
    QTest::newRow("map claiming 2^32-1 pairs") << QByteArray("dfffffffff") << QString("exceeds the bytes left");
    QTest::newRow("str32 claiming 4 GiB") << QByteArray("dbffffffff41") << QString("truncated");
    QTest::newRow("never-used type byte") << QByteArray("c1") << QString("invalid type byte");
    QTest::newRow("bytes after the value") << QByteArray("9101ff") << QString("after the value");
    QTest::newRow("array as map key") << QByteArray("81910102") << QString("map key");
    QTest::newRow("more values than allowed")
            << QByteArray("dd") + QByteArray::number(kuMsgPackReader::maxValues, 16).rightJustified(8, '0') +
                       QByteArray("00").repeated(kuMsgPackReader::maxValues)
            << QString("more than");
    QTest::newRow("body too large")
            << QByteArray("c6") + QByteArray::number(kuMsgPackReader::maxBodyBytes, 16).rightJustified(8, '0') +
                       QByteArray("00").repeated(kuMsgPackReader::maxBodyBytes - 4)
            << QString("larger than");
    QTest::newRow("nesting 10000 deep") << QByteArray("91").repeated(10000) + "c0" << QString("nesting deeper");
    QTest::newRow("nesting one past the limit")
            << QByteArray("91").repeated(kuMsgPackReader::maxDepth + 1) + "c0" << QString("nesting deeper");
}

void tst_MsgPackReader::malformed()
{
    QFETCH(QByteArray, hex);
    QVariant value(42);
    QString error;
    QVERIFY(!kuMsgPackReader::unpackHex(hex, &value, &error));
    QVERIFY(!value.isValid());
    QFETCH(QString, reason);
    QVERIFY2(error.contains(reason), qPrintable(error));
}

void tst_MsgPackReader::hexDigits_data()
{
    QTest::addColumn<QByteArray>("hex");
    QTest::addColumn<QString>("error");

    // Long enough for the wide decoding path and a tail after it.
    const QByteArray body = packHex(QVariantList{QByteArray(40, 'x'), 1.5, -7});
    QVERIFY(body.size() > 64);
    QTest::newRow("lower case") << body << QString();
    QTest::newRow("upper case") << body.toUpper() << QString();
    QByteArray mixed = body;
    for (int i = 0; i < mixed.size(); i += 3)
        mixed[i] = QChar::toUpper(uchar(mixed.at(i)));
    QTest::newRow("mixed case") << mixed << QString();
    QTest::newRow("blanks around") << " \r\n\t" + body + "\n" << QString();
    // The first bad digit is named, wherever it is.
    for (int at : {0, 1, 15, 16, 31, 33, int(body.size()) - 1}) {
        for (char bad : {'g', 'G', '/', ':', '@', '`', ' ', char(0xc1), '\0'}) {
            if (bad == ' ' && (at == 0 || at == body.size() - 1))
                continue; // trimmed
            QByteArray broken = body;
            broken[at] = bad;
            if (at + 5 < broken.size())
                broken[at + 5] = 'z';
            QTest::addRow("bad 0x%02x at %d", uchar(bad), at)
                    << broken << QStringLiteral("non-hex character at %1").arg(at);
        }
    }
    QTest::newRow("odd length after a bad digit") << QByteArray("9z1") << QString("odd number of hex digits");
}

void tst_MsgPackReader::hexDigits()
{
    QFETCH(QByteArray, hex);
    QFETCH(QString, error);
    QVariant value;
    QString reason;
    const bool ok = kuMsgPackReader::unpackHex(hex, &value, &reason);
    QCOMPARE(reason, error);
    QCOMPARE(ok, error.isEmpty());
    if (ok)
        QCOMPARE(value, (QVariant(QVariantList{QByteArray(40, 'x'), 1.5, -7})));
}

// One reader keeps its memory between replies of any size; each read gives that reply's values.
void tst_MsgPackReader::readerReusedAcrossReplies()
{
    QVariantList large;
    for (int i = 0; i < 20000; ++i)
        large << QVariant(i) << QVariant(QVariantMap{{"k", QVariantList{i * 0.5, QByteArray("t")}}});
    const QVariant small = QVariantList{1, QVariantMap{{"a", 2}}};
    kuMsgPackReader reader;
    for (const QVariant& expected : {QVariant(large), small, QVariant(large), QVariant(42), QVariant(large)}) {
        QString error;
        QVERIFY2(reader.readHex(packHex(expected), &error), qPrintable(error));
        QCOMPARE(kuMsgPackReader::toVariant(reader.root()), expected);
    }
    // A failed read leaves nothing of the one before.
    QVERIFY(!reader.readHex("93"));
    QVERIFY(!kuMsgPackReader::toVariant(reader.root()).isValid());
    QVERIFY(reader.read(QByteArray::fromHex(packHex(small)))); // bytes as they are
    QCOMPARE(kuMsgPackReader::toVariant(reader.root()), small);
}

QTEST_GUILESS_MAIN(tst_MsgPackReader)
#include "tst_msgpackreader.moc"
