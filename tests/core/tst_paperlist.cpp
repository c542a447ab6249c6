#include "kupaperlist.h"

#include <QtTest>

namespace {

QSharedPointer<kuPaperInfo> makePaper(int id, int type, int exchangeID = 1, const QString& exchange = "ММВБ",
                                      int lot = 10, double step = 0.01)
{
    return QSharedPointer<kuPaperInfo>::create(id, "TICK", "Issuer", type, lot, step, 100.0, 0, 0.0, false, "Short", "",
                                               exchangeID, exchange);
}

} // namespace

class tst_PaperList : public QObject
{
    Q_OBJECT
private slots:
    void corrections_data();
    void corrections();
    void decimals_data();
    void decimals();
    void registry();
};

void tst_PaperList::corrections_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("lot");
    QTest::addColumn<double>("step");
    QTest::addColumn<QString>("exchange");
    QTest::addColumn<int>("expectedType");
    QTest::addColumn<int>("expectedLot");
    QTest::addColumn<bool>("market");
    QTest::addColumn<QString>("shortName");
    QTest::addColumn<QString>("expectedExchange");
    QTest::addColumn<double>("expectedStep");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("typeName");

    QTest::newRow("plain share") << 1 << 10 << 0.01 << "ММВБ" << 1 << 10 << false << "Short"
                                 << "ММВБ" << 0.01 << 2 << "Акция";
    QTest::newRow("step 0") << 1 << 10 << 0.0 << "ММВБ" << 1 << 10 << false << "Short"
                            << "ММВБ" << 1.0 << 0 << "Акция";
    QTest::newRow("negative step") << 2 << 10 << -0.5 << "ММВБ" << 2 << 10 << false << "Short"
                                   << "ММВБ" << 1.0 << 0 << "Облигация";
    QTest::newRow("NaN step") << 2 << 10 << qQNaN() << "ММВБ" << 2 << 10 << false << "Short"
                              << "ММВБ" << 1.0 << 0 << "Облигация";
    QTest::newRow("future") << 4 << 10 << 0.5 << "ФОРТС" << 4 << 1 << true << "TICK"
                            << "ФОРТС" << 0.5 << 1 << "Фьючерс";
    QTest::newRow("option") << 5 << 10 << 0.5 << "ФОРТС" << 5 << 1 << true << "TICK"
                            << "ФОРТС" << 0.5 << 1 << "Опцион";
    QTest::newRow("currency") << 7 << 10 << 0.0025 << "ВР" << 7 << 10 << true << "Short"
                              << "ВР" << 0.0025 << 4 << "Валютный контракт";
    QTest::newRow("type 8") << 8 << 10 << 1.0 << "ММВБ" << 8 << 1 << true << "Short"
                            << "ММВБ" << 1.0 << 0 << "Акция";
    QTest::newRow("type 80") << 80 << 10 << 12.5 << "ММВБ" << 80 << 1 << true << "Short"
                             << "ММВБ" << 12.5 << 1 << "Акция";
    QTest::newRow("empty exchange") << 1 << 10 << 0.01 << "" << 1 << 10 << false << "Short"
                                    << "МБ" << 0.01 << 2 << "Акция";
    QTest::newRow("negative type, named exchange") << -3 << 0 << 0.01 << "ММВБ" << -1 << 1 << false << "Short"
                                                   << "ММВБ" << 0.01 << 2 << "Акция";
    QTest::newRow("negative type, no exchange") << -3 << 10 << 0.01 << "" << -1 << 10 << false << "Short"
                                                << "МБ" << 0.01 << 2 << "Акция";
    QTest::newRow("lot 0") << 1 << 0 << 0.01 << "ММВБ" << 1 << 1 << false << "Short"
                           << "ММВБ" << 0.01 << 2 << "Акция";
    QTest::newRow("index") << 0 << -5 << 0.1234567891 << "ММВБ" << 0 << 1 << false << "Short"
                           << "ММВБ" << 0.1234567891 << 10 << "Индекс";
    QTest::newRow("unknown type") << 42 << 10 << 0.01 << "ММВБ" << 42 << 10 << false << "Short"
                                  << "ММВБ" << 0.01 << 2 << "Акция";
}

void tst_PaperList::corrections()
{
    QFETCH(int, type);
    QFETCH(int, lot);
    QFETCH(double, step);
    QFETCH(QString, exchange);
    const auto p = makePaper(1, type, 1, exchange, lot, step);
    QTEST(p->type(), "expectedType");
    QTEST(p->lot(), "expectedLot");
    QTEST(p->isMarketAllowed(), "market");
    QTEST(p->shortName(), "shortName");
    QTEST(p->exchangeName(), "expectedExchange");
    QTEST(p->priceStep(), "expectedStep");
    QTEST(p->decimals(), "decimals");
    QTEST(p->typeName(), "typeName");
    QCOMPARE(p->isCurrencyContract(), type == 7);
}

void tst_PaperList::decimals_data()
{
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("decimals");
    QTest::newRow("0.01") << 0.01 << 2;
    QTest::newRow("0.5") << 0.5 << 1;
    QTest::newRow("0.0025") << 0.0025 << 4;
    QTest::newRow("12.5") << 12.5 << 1;
    QTest::newRow("1") << 1.0 << 0;
    QTest::newRow("0.1234567891") << 0.1234567891 << 10;
    QTest::newRow("beyond ten digits") << 0.00000000001 + 1.0 << 0;
}

void tst_PaperList::decimals()
{
    QFETCH(double, step);
    QTEST(kuPaperInfo::decimalsOf(step), "decimals");
}

void tst_PaperList::registry()
{
    const auto list = kuPaperList::instance();
    QCOMPARE(kuPaperList::instance(), list);
    QVERIFY(!list->paper(1));
    QCOMPARE(list->ticker(1), QString());
    QVERIFY(list->optionsEmpty());

    list->addPaper(1, makePaper(1, -3, 7, "Игнор"));
    QVERIFY(!list->paper(1));
    QVERIFY(list->exchanges().isEmpty());

    const auto share = makePaper(2, 1, 3, "ММВБ");
    list->addPaper(2, share);
    list->addPaper(3, makePaper(3, 1, 3, "Другое имя"));
    const auto option = makePaper(4, 5, 9, "ФОРТС");
    list->addPaper(4, option);
    QCOMPARE(list->paper(2), share);
    QCOMPARE(list->paper(4), option);
    QVERIFY(!list->optionsEmpty());
    QCOMPARE(list->exchanges(), (QMap<int, QString>{{3, "ММВБ"}, {9, "ФОРТС"}}));
    QCOMPARE(list->issuer(2), QStringLiteral("Issuer"));
    QCOMPARE(list->exchangeName(4), QStringLiteral("ФОРТС"));

    const auto replacement = makePaper(2, 2, 3, "ММВБ");
    list->addPaper(2, replacement);
    QCOMPARE(list->paper(2), replacement);
}

QTEST_GUILESS_MAIN(tst_PaperList)
#include "tst_paperlist.moc"
