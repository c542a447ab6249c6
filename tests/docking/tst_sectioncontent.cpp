#include <QtTest>

#include "dockingtest.h"

using namespace ads;
using namespace dockingtest;

class tst_SectionContent : public QObject
{
    Q_OBJECT

private slots:
    void factoryRefusesMisuse_data();
    void factoryRefusesMisuse();
    void nameIsFreeAfterDestruction();
    void uidsStayUniqueWhenAddressesAreReused();
    void widgetsGoWithTheContent();
};

void tst_SectionContent::factoryRefusesMisuse_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("nullTitle");
    QTest::addColumn<bool>("nullContent");
    QTest::addColumn<QString>("message");

    QTest::newRow("empty name") << "" << false << false << "Can not create SectionContent with empty uniqueName";
    QTest::newRow("used name") << "taken" << false << false
                               << "Can not create SectionContent with already used uniqueName";
    QTest::newRow("null title") << "x" << true << false << "Can not create SectionContent with NULL values";
    QTest::newRow("null content") << "x" << false << true << "Can not create SectionContent with NULL values";
}

// Misuse gives a null content and a warning; a fatal message would end the program.
void tst_SectionContent::factoryRefusesMisuse()
{
    QFETCH(QString, name);
    QFETCH(bool, nullTitle);
    QFETCH(bool, nullContent);
    QFETCH(QString, message);

    ContainerWidget c;
    SectionContent::RefPtr taken = makeContent(&c, "taken");
    QScopedPointer<QLabel> title(nullTitle ? nullptr : new QLabel);
    QScopedPointer<QLabel> content(nullContent ? nullptr : new QLabel);

    QTest::ignoreMessage(QtWarningMsg, qPrintable(message));
    QVERIFY(!SectionContent::newSectionContent(name, &c, title.data(), content.data()));
    QCOMPARE(c.contents().size(), 1);
}

void tst_SectionContent::nameIsFreeAfterDestruction()
{
    ContainerWidget c;
    SectionContent::RefPtr sc = makeContent(&c, "w");
    QCOMPARE(sc->visibleTitle(), QString("w"));
    sc->setTitle("Стакан");
    QCOMPARE(sc->visibleTitle(), QString("Стакан"));
    QCOMPARE(sc->flags(), int(SectionContent::DefaultFlags));
    QCOMPARE(sc->visibilityState(), int(SectionContent::Visible));
    QCOMPARE(sc->containerWidget(), &c);

    sc.reset();
    QVERIFY(!c.hasSectionContent("w"));
    QVERIFY(makeContent(&c, "w"));
}

// Hidden records and tab menus key on uids; a reused address must never
// give a new object the uid of an old one.
void tst_SectionContent::uidsStayUniqueWhenAddressesAreReused()
{
    ContainerWidget c;
    QSet<int> contentUids;
    QSet<int> sectionUids;
    for (int i = 0; i < 50; ++i) {
        SectionContent::RefPtr sc = makeContent(&c, QString::number(i));
        QVERIFY(!contentUids.contains(sc->uid()));
        contentUids.insert(sc->uid());
        auto* sw = new SectionWidget(&c);
        QVERIFY(!sectionUids.contains(sw->uid()));
        sectionUids.insert(sw->uid());
        delete sw;
    }
}

void tst_SectionContent::widgetsGoWithTheContent()
{
    ContainerWidget c;
    SectionContent::RefPtr sc = makeContent(&c, "w");
    QPointer<QWidget> title = sc->titleWidget();
    QPointer<QWidget> content = sc->contentWidget();
    delete content.data();
    QVERIFY(!sc->contentWidget());
    sc.reset();
    QVERIFY(!title);
}

QTEST_MAIN(tst_SectionContent)
#include "tst_sectioncontent.moc"
