#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QtTest>

#include "kuquotesdelegate.h"
#include "kuquotesitem.h"
#include "kuquotesmodel.h"
#include "kuquotesproxymodel.h"
#include "kuquotesview.h"
#include "marketfixture.h"

namespace {
QList<QSharedPointer<kuObjectHeaderItem>> quoteColumns()
{
    QList<QSharedPointer<kuObjectHeaderItem>> columns;
    for (int i = 1; i <= kuQuotesItem::columnCount; ++i)
        columns << kuObjectHeaderItem::create(QString::number(i));
    return columns;
}

// A view of three rows: rising, falling and a bond whose row never moved.
struct Table
{
    Table()
    {
        model.setColumns(quoteColumns());
        proxy.setSourceModel(&model);
        view.buildColumns(quoteColumns());
        view.setModel(&proxy);
        for (int id : {paper::share, paper::sevn, paper::bond})
            model.appendQuote({{"paperID", id}});
        model.updateQuote({{"paperID", paper::share},
                           {"price", 100.0},
                           {"last", 101.25},
                           {"buy", 101.2},
                           {"sell", 101.3},
                           {"toBuy", 1500},
                           {"moneyVol", 25000000.5}});
        model.updateQuote({{"paperID", paper::share},
                           {"price", 100.0},
                           {"last", 101.5},
                           {"buy", 101.1},
                           {"sell", 101.6},
                           {"toBuy", 1500},
                           {"moneyVol", 25000000.5}});
        model.updateQuote({{"paperID", paper::sevn},
                           {"price", 200.0},
                           {"last", 199.2},
                           {"buy", 199.1},
                           {"sell", 199.3},
                           {"volume", 12}});
        model.updateQuote({{"paperID", paper::sevn},
                           {"price", 200.0},
                           {"last", 198.0},
                           {"buy", 197.9},
                           {"sell", 198.1},
                           {"volume", 13}});
        view.sortByColumn(kuQuotesItem::colChange, Qt::DescendingOrder);
    }
    QImage paint()
    {
        view.viewport()->repaint();
        return view.viewport()->grab().toImage();
    }
    kuQuotesModel model;
    kuQuotesProxyModel proxy;
    kuQuotesView view;
};
} // namespace

class tst_QuotesDelegate : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { addMarketPapers(); }
    void cleanup() { qApp->setStyleSheet(QString()); }

    // The kept texts paint the very pixels of the standard delegate: wide
    // columns, columns too narrow for their texts, a selected row.
    void paintsAsTheStandardDelegate_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("selected");
        QTest::addColumn<bool>("styleSheet");
        for (bool sheet : {false, true}) {
            const char* suffix = sheet ? ", style sheet" : "";
            QTest::addRow("wide%s", suffix) << 1600 << false << sheet;
            QTest::addRow("some texts cut%s", suffix) << 1000 << false << sheet;
            QTest::addRow("narrow%s", suffix) << 500 << false << sheet;
            QTest::addRow("selected%s", suffix) << 1600 << true << sheet;
        }
    }

    void paintsAsTheStandardDelegate()
    {
        QFETCH(int, width);
        QFETCH(bool, selected);
        QFETCH(bool, styleSheet);
        if (styleSheet) {
            // The sheet the application starts with pads every cell.
            QFile file(QStringLiteral(":/default/share/themes/default/default.qss"));
            QVERIFY(file.open(QIODevice::ReadOnly));
            qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
        }
        Table table;
        QVERIFY(qobject_cast<kuQuotesDelegate*>(table.view.itemDelegate()));
        table.view.resize(width, 200);
        table.view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&table.view));
        if (selected)
            table.view.setCurrentIndex(table.proxy.index(1, kuQuotesItem::colBuy));
        const QImage kept = table.paint();
        QStyledItemDelegate standard;
        table.view.setItemDelegate(&standard);
        const QImage expected = table.paint();

        QCOMPARE(kept.size(), expected.size());
        QVERIFY(kept == expected);
    }
};

QTEST_MAIN(tst_QuotesDelegate)
#include "tst_quotesdelegate.moc"
