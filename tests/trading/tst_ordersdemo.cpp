#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "dcmessagepack.h"
#include "defaultlocale.h"
#include "demosession.h"
#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuaccount.h"
#include "kuclient.h"
#include "kudemomarket.h"
#include "kuordermanager.h"
#include "kupaperlist.h"
#include "kupaperlistform.h"
#include "ordermanagerfixture.h"

#include <cmath>

namespace {
const QString stockAccount = QStringLiteral("Фондовый-DEMO");
const QString futuresAccount = QStringLiteral("Срочный-DEMO");
} // namespace

// The order entry dialog against the demo server: what it sends, and how the answers reach the trader.
class tst_OrdersDemo : public QObject
{
    Q_OBJECT

    DemoSession m_demo;
    std::unique_ptr<kuOrderManager> m_dialog;
    QStringList m_infos;
    int m_share = 0;

    QStringList orderRequests() const
    {
        QStringList found;
        for (const QString& target : m_demo.server()->requests()) {
            if (target.contains(QLatin1String("/kuOrderManager?")))
                found << target.mid(target.indexOf(QLatin1String("TYPE=")));
        }
        return found;
    }

private slots:
    void initTestCase()
    {
        m_demo.options.seed = 7;
        QVERIFY(m_demo.start());
        for (const kuDemoInstrument& i : m_demo.server()->market().instruments()) {
            if (i.type == 1 && i.lot == 1 && i.marketAllowed && !m_share)
                m_share = i.id;
        }
        QVERIFY(m_share);
        auto* converter = qobject_cast<dcMessagePack*>(m_demo.converter().data());
        QVERIFY(converter);
        connect(converter, &dcMessagePack::on_infoMessage, this, [this](QString text, int) { m_infos << text; });
        QVERIFY(kuAccount::instance()->contains(stockAccount));
        QVERIFY(kuPaperList::instance()->paper(m_share));
        m_dialog = std::make_unique<kuOrderManager>();
    }

    void cleanupTestCase()
    {
        delete kuClient::instance().data();
        m_dialog.reset();
        m_demo.stop();
    }

    void init()
    {
        m_dialog->resetForm();
        QVERIFY(m_dialog->setAccount(stockAccount));
        m_dialog->setInstrument(m_share);
        QCOMPARE(m_dialog->paperID(), m_share);
        m_dialog->setAmount(3);
        const double step = kuPaperList::instance()->paper(m_share)->priceStep();
        const double price = std::round(m_demo.server()->market().bestBid(m_share) / step - 40) * step;
        m_dialog->setPrice(price);
        QVERIFY(m_dialog->price() > 0);
        m_infos.clear();
    }

    void confirmed()
    {
        const int before = orderRequests().size();
        m_dialog->findChild<QPushButton*>("btnBuyLimit")->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_infos.size(), 1, 5000);
        const QString ticker = kuPaperList::instance()->ticker(m_share);
        QCOMPARE(m_infos.first(),
                 QStringLiteral("Поручение на покупку %1 в количестве 3. Успешно отправлено.").arg(ticker));
        const QStringList sent = orderRequests().mid(before);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first().startsWith("TYPE=1001&ACC="), qPrintable(sent.first()));
        QVERIFY2(sent.first().contains(QStringLiteral("&PID=%1&ACT=1&QUANT=3&IM=0&PRICE=").arg(m_share)),
                 qPrintable(sent.first()));
        QVERIFY2(sent.first().endsWith("&TIME=1&EF=0"), qPrintable(sent.first()));
    }

    // Typed with a decimal comma, as a Russian trader types it, the price reaches the server as meant.
    void typedPrice()
    {
        const DefaultLocale defaultLocale("ru_RU");
        const double step = kuPaperList::instance()->paper(m_share)->priceStep();
        QVERIFY2(std::fabs(893.5 / step - std::round(893.5 / step)) < 1e-9, "893.5 is not on the price step");
        m_dialog->show();
        QApplication::setActiveWindow(m_dialog.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
        auto* price = m_dialog->findChild<QDoubleSpinBox*>("spinBoxPrice");
        price->setFocus();
        QTRY_VERIFY(price->hasFocus());
        price->selectAll();
        QTest::keyClicks(price, "893,5");
        QTest::keyClick(price, Qt::Key_Tab);
        QCOMPARE(m_dialog->price(), 893.5);
        QCOMPARE(price->text(), QString("893.5"));

        const int before = orderRequests().size();
        QTest::mouseClick(m_dialog->findChild<QPushButton*>("btnBuyLimit"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_infos.size(), 1, 5000);
        const QStringList sent = orderRequests().mid(before);
        QCOMPARE(sent.size(), 1);
        QVERIFY2(sent.first().contains("&IM=0&PRICE=893.500000&"), qPrintable(sent.first()));
    }

    void refused()
    {
        BoxCatcher boxes;
        m_dialog->cancelOrder(QJsonObject{{"orderID", 987654}, {"paperID", m_share}, {"action", 1}, {"amount", 3}});
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts.size(), 1, 5000);
        QVERIFY2(boxes.texts.first().startsWith("Сервер отклонил запрос на отмену поручения: "),
                 qPrintable(boxes.texts.first()));
        QVERIFY(boxes.texts.first().contains(kuPaperList::instance()->ticker(m_share) + ", покупка, количество 3."));
        QVERIFY(m_infos.isEmpty());
    }

    void droppedReply()
    {
        // Every try: the network layer sends a request again once when its connection closes.
        m_demo.server()->setDropConnections(true, "kuOrderManager");
        BoxCatcher boxes;
        m_dialog->createStopOrder(-1); // first condition, market mode, trigger 0: refused here
        QCOMPARE(boxes.texts, QStringList{"Вы не указали цену срабатывания для первого условия!"});
        m_dialog->findChild<QPushButton*>("btnSellLimit")->click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.texts.size(), 2, 5000);
        QVERIFY2(boxes.texts.last().startsWith("Подтверждение поручения не получено."), qPrintable(boxes.texts.last()));
        m_demo.server()->setDropConnections(false, "kuOrderManager");
        QVERIFY(m_infos.isEmpty());
    }

    void optionsInTheChooser_data()
    {
        QTest::addColumn<bool>("fromOrderEntry");
        // The switch stays on between runs; a run from the main window turns it off.
        QTest::newRow("order entry of the futures account") << true;
        QTest::newRow("main window") << false;
    }

    // The server's options come under the chooser's option switch, on the exchange it looks
    // for, and the one chosen for the futures account is traded like any instrument.
    void optionsInTheChooser()
    {
        QFETCH(bool, fromOrderEntry);
        QStringList options;
        for (const kuDemoInstrument& i : m_demo.server()->market().instruments()) {
            if (i.type == 5)
                options << i.ticker;
        }
        options.sort();
        QVERIFY(options.size() >= 3);
        kuPaperListForm::registerWithClient();
        const QPointer<kuClient> client = kuClient::createInstance();
        QVERIFY(client && client->paperListForm());

        QString exchange;
        QStringList listed;
        QTimer::singleShot(0, this, [&] {
            auto* chooser = qobject_cast<kuPaperListForm*>(QApplication::activeModalWidget());
            QVERIFY(chooser);
            auto* optionsBox = chooser->findChild<QCheckBox*>("checkShowOptions");
            QVERIFY(optionsBox->isEnabled());
            optionsBox->click();
            exchange = chooser->findChild<QComboBox*>("comboExchange")->currentText();
            const QAbstractItemModel* rows = chooser->findChild<QAbstractItemView*>("paperTableView")->model();
            for (int row = 0; row < rows->rowCount(); ++row)
                listed << rows->index(row, 2).data().toString();
            chooser->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        });
        int chosen = 0;
        if (fromOrderEntry) {
            auto* accounts = m_dialog->findChild<QComboBox*>("comboBoxAccount");
            accounts->setCurrentIndex(accounts->findText(futuresAccount));
            m_dialog->findChild<QToolButton*>("chooseButton")->click();
            chosen = m_dialog->paperID();
        } else {
            chosen = client->choosePaper();
        }
        QCOMPARE(exchange, QStringLiteral("FORTS"));
        QCOMPARE(listed, options);
        QCOMPARE(kuPaperList::instance()->ticker(chosen), options.first());
        if (!fromOrderEntry)
            return;
        QCOMPARE(m_dialog->findChild<QLineEdit*>("paperLineEdit")->text(), options.first());

        // A limit buy far under the market waits in the book as an accepted order.
        const double step = kuPaperList::instance()->paper(chosen)->priceStep();
        const double price = std::round(m_demo.server()->market().bestBid(chosen) / step - 20) * step;
        m_dialog->setLotAmount(2);
        m_dialog->setPrice(price);
        m_dialog->findChild<QPushButton*>("btnBuyLimit")->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_infos.size(), 1, 5000);
        QVERIFY2(m_infos.first().endsWith("Успешно отправлено."), qPrintable(m_infos.first()));
        // The server lists it among the account's orders, accepted for execution.
        QJsonObject orders;
        const QMetaObject::Connection got = connect(m_demo.converter(), &kuAbstractDataConverter::on_snapshotOrders,
                                                    this, [&orders](QJsonObject snapshot) { orders = snapshot; });
        m_demo.connection()->getOrders();
        QTRY_VERIFY_WITH_TIMEOUT(!orders.isEmpty(), 5000);
        disconnect(got);
        QJsonObject placed;
        for (const QJsonValue& order : orders.value(futuresAccount).toArray()) {
            if (order["paper_id"].toInt() == chosen)
                placed = order.toObject();
        }
        QCOMPARE(placed["status"].toInt(), 1);
        QCOMPARE(placed["amount"].toInt(), 2);
        QCOMPARE(placed["price"].toDouble(), price);
    }
};

QTEST_MAIN(tst_OrdersDemo)
#include "tst_ordersdemo.moc"
