#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QUrl>
#include <QtTest>
#include <climits>
#include <cmath>
#include <cstring>

#include "kufunctions.h"

class tst_Functions : public QObject
{
    Q_OBJECT
private slots:
    void formatNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("expected");
        QTest::newRow("million and a quarter") << 1000000.25 << 2 << QChar(' ') << "1 000 000.25";
        QTest::newRow("thousand") << 1000.0 << 2 << QChar(' ') << "1 000.00";
        QTest::newRow("below a thousand") << 999.5 << 1 << QChar(' ') << "999.5";
        QTest::newRow("negative") << -12345.678 << 2 << QChar(' ') << "-12 345.68";
        QTest::newRow("other separator") << 1234567.0 << 0 << QChar('\'') << "1'234'567";
        QTest::newRow("zero") << 0.0 << 3 << QChar(' ') << "0.000";
        QTest::newRow("half to no decimals")
                << 0.5 << 0 << QChar(' ') << QLocale(QLocale::English).toString(0.5, 'f', 0);
        // What rounds to zero at the shown decimals has no minus.
        QTest::newRow("-0.001 at 2") << -0.001 << 2 << QChar(' ') << "0.00";
        QTest::newRow("negative zero") << -0.0 << 2 << QChar(' ') << "0.00";
        QTest::newRow("-0.4 at 0") << -0.4 << 0 << QChar(' ') << "0";
        QTest::newRow("-0.006 at 2") << -0.006 << 2 << QChar(' ') << "-0.01";
        QTest::newRow("-1000.001 at 2") << -1000.001 << 2 << QChar(' ') << "-1 000.00";
    }
    void formatNumber()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QChar, separator);
        QFETCH(QString, expected);
        QCOMPARE(::formatNumber(value, precision, separator), expected);
    }

    // Halves go away from zero, the sign of zero stays, and what cannot hold a
    // fraction comes back as it was.
    void rounded_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<double>("expected");
        QTest::newRow("half up") << 2.5 << 0 << 3.0;
        QTest::newRow("half down, negative") << -2.5 << 0 << -3.0;
        QTest::newRow("just below a half") << 0.49999999999999994 << 0 << 0.0;
        QTest::newRow("-0.3 to negative zero") << -0.3 << 0 << -0.0;
        QTest::newRow("-0.7") << -0.7 << 0 << -1.0;
        QTest::newRow("8 decimals") << 101.123456785 << 8 << std::round(101.123456785 * 1e8) / 1e8;
        QTest::newRow("2 decimals, negative") << -12.345 << 2 << std::round(-12.345 * 1e2) / 1e2;
        QTest::newRow("decimals above 8 take 8") << 0.123456789 << 12 << 0.12345679;
        QTest::newRow("2^53 - 1 at 0") << 9007199254740991.0 << 0 << 9007199254740991.0;
        QTest::newRow("beyond 2^53 scaled") << 1e10 << 8 << 1e10;
        QTest::newRow("negative beyond 2^63") << -1e19 << 0 << -1e19;
        QTest::newRow("infinity") << qInf() << 2 << qInf();
        QTest::newRow("NaN") << qQNaN() << 2 << qQNaN();
    }
    void rounded()
    {
        QFETCH(double, value);
        QFETCH(int, decimals);
        QFETCH(double, expected);
        // Bit for bit: stored candles must not move by an ulp, nor zero change its sign.
        auto bits = [](double d) {
            quint64 b;
            std::memcpy(&b, &d, sizeof b);
            return b;
        };
        QCOMPARE(bits(::rounded(value, decimals)), bits(expected));
    }

    void fixedNumber_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("expected");
        QTest::newRow("-0.001 at 2") << -0.001 << 2 << "0.00";
        QTest::newRow("negative zero") << -0.0 << 0 << "0";
        QTest::newRow("-0.01") << -0.01 << 2 << "-0.01";
        QTest::newRow("no groups") << -12345.678 << 2 << "-12345.68";
        QTest::newRow("-inf") << -qInf() << 2 << "-inf";
    }
    void fixedNumber()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QString, expected);
        QCOMPARE(::fixedNumber(value, precision), expected);
    }

    // Always UTC+3, independent of the machine's zone.
    void readTypedNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("decimals");
        QTest::addColumn<bool>("read");
        QTest::addColumn<double>("value");
        const QString digits400 = QString(400, QLatin1Char('9'));
        struct Row
        {
            const char* name;
            QString text;
            int decimals;
            bool read;
            double value;
        };
        const QList<Row> rows{
                {"plain", "995", 2, true, 995},
                {"comma", "99,5", 2, true, 99.5},
                {"point", "99.5", 2, true, 99.5},
                {"groups with a comma", "1 234,5", 2, true, 1234.5},
                {"groups of millions", "12 345 678", 0, true, 12345678},
                {"no-break blank", QStringLiteral("1\u00a0234"), 0, true, 1234},
                {"narrow no-break blank", QStringLiteral("1\u202f234,5"), 2, true, 1234.5},
                {"blanks around", "  42 ", 0, true, 42},
                {"mark without integer part", ",5", 2, true, 0.5},
                {"minus zero", "-0", 2, true, 0},
                {"plus", "+5", 2, true, 5},
                {"minus sign U+2212", QStringLiteral("\u22125,5"), 2, true, -5.5},
                {"negative groups", "-1 000", 0, true, -1000},
                {"any decimals", "0,123456789", -1, true, 0.123456789},
                // A blank that does not split groups of three is a typing slip, never a group mark.
                {"blank before one digit", "99 5", 2, false, 0},
                {"blank before two digits", "12 34", 2, false, 0},
                {"two blanks", "1  2", 2, false, 0},
                {"blank before the mark", "1 ,5", 2, false, 0},
                {"blank before four digits", "1 2345", 2, false, 0},
                {"first group of four", "1234 567", 2, false, 0},
                {"blank after the sign", "- 5", 2, false, 0},
                {"blank in the fraction", "1,2 5", -1, false, 0},
                {"no-break blank before one digit", QStringLiteral("99\u00a05"), 2, false, 0},
                {"narrow blank before two digits", QStringLiteral("12\u202f34"), 2, false, 0},
                {"point group and comma", "1.234,5", 2, false, 0},
                {"comma group and point", "1,234.5", 2, false, 0},
                {"exponent", "1e3", 2, false, 0},
                {"lone comma", ",", 2, false, 0},
                {"lone point", ".", 2, false, 0},
                {"trailing mark", "5,", 2, false, 0},
                {"lone sign", "-", 2, false, 0},
                {"two signs", "+-5", 2, false, 0},
                {"sign inside", "89-3", 2, false, 0},
                {"letters", "abc", 2, false, 0},
                {"non-ASCII digits", QStringLiteral("\u0661\u0662"), 2, false, 0},
                {"more decimals than allowed", "1,234", 2, false, 0},
                {"a mark where none is allowed", "12,0", 0, false, 0},
                {"400 digits", digits400, -1, false, 0},
                {"400 digits after the mark", "0," + digits400, -1, true, 1},
                {"nothing", "", 2, false, 0},
                {"only blanks", QStringLiteral(" \u00a0\u202f"), 2, false, 0},
        };
        for (const Row& row : rows)
            QTest::newRow(row.name) << row.text << row.decimals << row.read << row.value;
    }
    void readTypedNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, decimals);
        QFETCH(bool, read);
        QFETCH(double, value);
        double got = -12345;
        QCOMPARE(::readTypedNumber(text, decimals, &got), read);
        if (!read) {
            QCOMPARE(got, -12345.0); // left alone
            return;
        }
        QCOMPARE(got, value);
        if (value == 0)
            QVERIFY(!std::signbit(got)); // shown as "0", not "-0"
    }

    void dateTimeFromUnix_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("local");
        QTest::newRow("epoch") << qint64(0) << "1970-01-01T03:00:00+03:00";
        QTest::newRow("summer") << qint64(1720000000) << "2024-07-03T12:46:40+03:00";
        QTest::newRow("winter") << qint64(1704067200) << "2024-01-01T03:00:00+03:00";
        QTest::newRow("before epoch") << qint64(-10800) << "1970-01-01T00:00:00+03:00";
    }
    void dateTimeFromUnix()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, local);
        const QDateTime dt = ::dateTimeFromUnix(seconds);
        QCOMPARE(dt.offsetFromUtc(), 10800);
        QCOMPARE(dt.toString(Qt::ISODate), local);
        QCOMPARE(dt.toSecsSinceEpoch(), seconds);
    }

    void findSubstring_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("expected");
        QTest::newRow("after a false start") << "abcabd" << 0 << "abd" << 3;
        QTest::newRow("overlapping") << "aaa" << 1 << "aa" << 1;
        QTest::newRow("from at end") << "abc" << 3 << "c" << -1;
        QTest::newRow("from past end") << "abc" << 10 << "c" << -1;
        QTest::newRow("skips earlier match") << "abab" << 1 << "ab" << 2;
        QTest::newRow("prefix table fallback") << "aabaabaaab" << 0 << "aabaaab" << 3;
        QTest::newRow("absent") << "abcdef" << 0 << "xyz" << -1;
        QTest::newRow("pattern longer than text") << "ab" << 0 << "abc" << -1;
        QTest::newRow("case matters") << "Сбербанк" << 0 << "сбер" << -1;
        QTest::newRow("cyrillic") << "акции сбербанк" << 0 << "сбер" << 6;
        QTest::newRow("whole text") << "газпром" << 0 << "газпром" << 0;
        QTest::newRow("empty pattern") << "abc" << 1 << "" << 1;
        QTest::newRow("empty pattern, empty text") << "" << 0 << "" << -1;
        QTest::newRow("negative from searches all") << "xab" << -5 << "ab" << 1;
    }
    void findSubstring()
    {
        QFETCH(QString, text);
        QFETCH(int, from);
        QFETCH(QString, pattern);
        QFETCH(int, expected);
        QCOMPARE(::findSubstring(text, from, pattern), expected);
    }

    void errorText_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << 0 << "Ошибка с неизвестным кодом";
        QTest::newRow("1") << 1 << "Не удается открыть файл";
        QTest::newRow("7") << 7 << "Ошибка в сетевом соединении";
        QTest::newRow("13") << 13 << "Нет доступа к данным";
        QTest::newRow("15") << 15 << "Ошибка в данных";
        // Outside the table: never past its end.
        QTest::newRow("16") << 16 << "Ошибка с неизвестным кодом";
        QTest::newRow("-1") << -1 << "Ошибка с неизвестным кодом";
        QTest::newRow("INT_MAX") << INT_MAX << "Ошибка с неизвестным кодом";
        QTest::newRow("INT_MIN") << INT_MIN << "Ошибка с неизвестным кодом";
    }
    void errorText()
    {
        QFETCH(int, code);
        QFETCH(QString, expected);
        QCOMPARE(::errorText(code), expected);
    }

    // Sent as a URL parameter at login.
    void osDescription()
    {
        const QString text = ::osDescription();
        QCOMPARE(text,
                 QStringLiteral("Microsoft Windows >7 ( ") + QSysInfo::currentCpuArchitecture() + QStringLiteral(" )"));
        for (QChar c : text)
            QVERIFY(c.unicode() >= 0x20 && c.unicode() < 0x7f);
        const QByteArray encoded = QUrl::toPercentEncoding(text);
        QVERIFY(!encoded.contains(' ') && !encoded.contains('>') && !encoded.contains('&'));
        QCOMPARE(QUrl::fromPercentEncoding(encoded), text);
    }

    void tahomaFont()
    {
        QWidget parent;
        auto* points = new QLabel(&parent);
        QFont f = points->font();
        f.setPointSize(9);
        points->setFont(f);
        auto* pixels = new QLabel(points);
        f.setPixelSize(20);
        f.setFamily(QStringLiteral("Courier"));
        pixels->setFont(f);
        QFont own = parent.font();
        own.setPointSize(10);
        parent.setFont(own);
        // The label set its own points before, so the parent's change does not reach it.
        QCOMPARE(points->font().pointSize(), 9);

        setTahomaFontTree(&parent);
        QCOMPARE(points->font().pixelSize(), 12);
        QCOMPARE(points->font().family(), QStringLiteral("Tahoma"));
        QCOMPARE(pixels->font().pixelSize(), 20);
        QCOMPARE(pixels->font().family(), QStringLiteral("Courier"));
        QCOMPARE(parent.font().pixelSize(), 13);
        QCOMPARE(parent.font().family(), QStringLiteral("Tahoma"));

        setTahomaFont(nullptr);
        setTahomaFontTree<QWidget>(nullptr);
    }

    // Closes the box that is about to run; reports what it saw.
    void messageBoxes_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("shownText");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("answer");
        const QString pad(11, QLatin1Char(' '));
        QTest::newRow("message") << 0 << "Сообщение" << int(QMessageBox::Information) << "текст" + pad
                                 << int(Qt::Key_Escape) << false;
        QTest::newRow("error") << 1 << "Ошибка" << int(QMessageBox::Critical) << "текст" + pad << int(Qt::Key_Escape)
                               << false;
        QTest::newRow("warning") << 2 << "Предупреждение" << int(QMessageBox::Warning) << "текст" + pad
                                 << int(Qt::Key_Escape) << false;
        QTest::newRow("question, Escape")
                << 3 << "Вопрос" << int(QMessageBox::Question) << "текст" << int(Qt::Key_Escape) << false;
        // Return presses the default button, which is Cancel.
        QTest::newRow("question, Return")
                << 3 << "Вопрос" << int(QMessageBox::Question) << "текст" << int(Qt::Key_Return) << false;
        QTest::newRow("question, Ok clicked") << 3 << "Вопрос" << int(QMessageBox::Question) << "текст" << 0 << true;
    }
    void messageBoxes()
    {
        QFETCH(int, kind);
        QFETCH(QString, title);
        QFETCH(int, icon);
        QFETCH(QString, shownText);
        QFETCH(int, key);
        QFETCH(bool, answer);

        QString seenTitle, seenText, seenFamily;
        int seenIcon = -1;
        bool seenWindowIcon = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            seenTitle = box->windowTitle();
            seenText = box->text();
            seenIcon = box->icon();
            seenFamily = box->font().family();
            seenWindowIcon = !box->windowIcon().isNull();
            if (key)
                QTest::keyClick(box, Qt::Key(key));
            else
                box->button(QMessageBox::Ok)->click();
        });
        const QString text = QStringLiteral("текст");
        bool result = false;
        switch (kind) {
        case 0:
            showMessage(text);
            break;
        case 1:
            showError(text);
            break;
        case 2:
            showWarning(text);
            break;
        default:
            result = askQuestion(text);
            break;
        }
        QCOMPARE(seenTitle, title);
        QCOMPARE(seenText, shownText);
        QCOMPARE(seenIcon, icon);
        QCOMPARE(seenFamily, QStringLiteral("Tahoma"));
        QVERIFY(seenWindowIcon);
        QCOMPARE(result, answer);
    }
};

QTEST_MAIN(tst_Functions)
#include "tst_functions.moc"
