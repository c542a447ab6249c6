#include "kuappsetting.h"
#include "kuclient.h"

#include <QDialogButtonBox>
#include <QTabWidget>
#include <QtTest>

// The look settings dialog and how the main window hands it out.
class tst_AppSetting : public QObject
{
    Q_OBJECT

private slots:
    void instanceMakesTheMainWindowFirst();
    void oneDialogNeverShownByAReader();
    void formAndDefaults();
    void settersReplaceTheValues();
    void cleanupTestCase();
};

void tst_AppSetting::instanceMakesTheMainWindowFirst()
{
    const QPointer<kuClient> client = kuClient::instance();
    QVERIFY(client);
    QCOMPARE(kuClient::createInstance(), client);
    QCOMPARE(kuClient::instance(), client);
    QVERIFY(client->tabWidget());
}

void tst_AppSetting::oneDialogNeverShownByAReader()
{
    const QPointer<kuClient> client = kuClient::instance();
    kuAppSetting* first = client->appSetting();
    QVERIFY(first);
    QCOMPARE(client->appSetting(), first);
    QCOMPARE(first->parentWidget(), client.data());
    QVERIFY(!first->isVisible());
    QCOMPARE(client->findChildren<kuAppSetting*>().size(), 1);
}

void tst_AppSetting::formAndDefaults()
{
    const kuAppSetting dialog;
    QCOMPARE(dialog.objectName(), QStringLiteral("kuAppSetting"));
    QVERIFY(dialog.isModal());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowContextHelpButtonHint));
    const auto* tabs = dialog.findChild<QTabWidget*>("tabWidget");
    QVERIFY(tabs);
    QCOMPARE(tabs->count(), 3);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Общие"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Оформление"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Горячие клавиши"));
    QCOMPARE(tabs->currentIndex(), 2);
    const auto* buttons = dialog.findChild<QDialogButtonBox*>("buttonBox");
    QVERIFY(buttons);
    QCOMPARE(buttons->standardButtons(), QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    QCOMPARE(dialog.upColor(), QColor("#4fbd3c"));
    QCOMPARE(dialog.downColor(), QColor("#bd3c4f"));
    QCOMPARE(dialog.masterFont().family(), QStringLiteral("Tahoma"));
    QCOMPARE(dialog.masterFont().pixelSize(), 12);
    QCOMPARE(dialog.masterFont().weight(), 50);
    QCOMPARE(dialog.masterFont().style(), QFont::StyleNormal);
}

void tst_AppSetting::settersReplaceTheValues()
{
    kuAppSetting dialog;
    dialog.setUpColor(Qt::blue);
    dialog.setDownColor(Qt::yellow);
    QFont font("DejaVu Sans");
    font.setPixelSize(15);
    dialog.setMasterFont(font);
    QCOMPARE(dialog.upColor(), QColor(Qt::blue));
    QCOMPARE(dialog.downColor(), QColor(Qt::yellow));
    QCOMPARE(dialog.masterFont(), font);
    // Loading starts from the defaults again: nothing is stored.
    dialog.loadSettings();
    QCOMPARE(dialog.upColor(), QColor("#4fbd3c"));
    QCOMPARE(dialog.masterFont().pixelSize(), 12);
}

void tst_AppSetting::cleanupTestCase()
{
    delete kuClient::instance().data();
}

QTEST_MAIN(tst_AppSetting)
#include "tst_appsetting.moc"
