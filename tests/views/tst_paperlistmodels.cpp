#include "kuexchangelistmodel.h"
#include "kuinstrumentsproxymodel.h"
#include "kuobjectheaderitem.h"
#include "kupaperlistitem.h"
#include "kupaperlistmodel.h"
#include "kupaperlistproxymodel.h"
#include "kupaperlistview.h"
#include "paperfixture.h"

#include <QMouseEvent>
#include <QtTest>

#include <algorithm>

namespace {
// Exposes the pending drag and counts drags instead of running them.
class PaperView : public kuPaperListView
{
public:
    using kuObjectView::pendingPaperID;
    int drags = 0;
    int draggedID = 0;

protected:
    void startDrag(Qt::DropActions) override
    {
        ++drags;
        draggedID = pendingPaperID();
    }
};

QList<QSharedPointer<kuObjectHeaderItem>> paperColumns()
{
    QList<QSharedPointer<kuObjectHeaderItem>> columns{kuObjectHeaderItem::createHidden("Column #1")};
    for (const char* title : {"Площадка", "Тикер", "Крат.", "Эмитент", "Тип"})
        columns << kuObjectHeaderItem::create(QString::fromUtf8(title));
    return columns;
}

// Tickers of the proxy's rows in their order.
QStringList tickers(const QAbstractItemModel& model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result << model.index(row, 2).data().toString();
    return result;
}

QList<int> sortedIDs(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items)
{
    QList<int> ids;
    for (const auto& item : items)
        ids << qobject_cast<kuPaperListItem*>(item.data())->paperID();
    std::sort(ids.begin(), ids.end());
    return ids;
}
} // namespace

// Instrument rows, the list model, its two proxies, the exchange choices and the list view.
class tst_PaperListModels : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        addTestPapers();
        addTestOptions();
    }

    void itemCells_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("toolTip");
        QTest::newRow("placeholder") << 0 << ""
                                     << "";
        QTest::newRow("exchange") << 1 << "ВФБ"
                                  << "";
        QTest::newRow("ticker") << 2 << "BRNH-B3"
                                << "BRNH-B3";
        QTest::newRow("short name") << 3 << "Бренхольт 003Р"
                                    << "Бренхольт 003Р";
        QTest::newRow("issuer") << 4 << "ПАО \"Бренхольт Банк\", 003Р"
                                << "ПАО \"Бренхольт Банк\", 003Р";
        QTest::newRow("type") << 5 << "Облигация"
                              << "";
        QTest::newRow("past the last") << 6 << ""
                                       << "";
    }

    void itemCells()
    {
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(QString, toolTip);
        const kuPaperListItem item(kuPaperList::instance()->paper(paper::bond));
        QCOMPARE(item.displayText(column), text);
        QCOMPARE(item.toolTip(column), toolTip);
        QCOMPARE(item.sortValue(column), QVariant(text));
        QCOMPARE(item.alignment(column), 129);
        QCOMPARE(item.color(column), QColor(Qt::black));
        QVERIFY(!item.decoration(column).isValid());
        QCOMPARE(item.itemType(), 120);
        QCOMPARE(item.paperID(), int(paper::bond));
        QCOMPARE(item.exchangeID(), 1);
    }

    void proxies_data()
    {
        QTest::addColumn<QList<int>>("exchanges");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("listed");      // kuPaperListProxyModel
        QTest::addColumn<QStringList>("instruments"); // kuInstrumentsProxyModel
        const QStringList all{"BRNH-B3", "RTS-3.27", "USDVLM", "VIX-3.27", "VLMR"};
        const QStringList first{"BRNH-B3", "USDVLM", "VLMR"};
        QTest::newRow("no set, no text") << QList<int>{} << "" << all << QStringList{};
        QTest::newRow("no set, text") << QList<int>{} << "ФЬЮЧ" << QStringList{"RTS-3.27", "VIX-3.27"} << QStringList{};
        QTest::newRow("one exchange") << QList<int>{1} << "" << first << first;
        QTest::newRow("exchange and text") << QList<int>{1} << "вфб" << QStringList{} << first;
        QTest::newRow("two exchanges, issuer") << QList<int>{1, 2} << "вФб" << QStringList{"VIX-3.27"}
                                               << QStringList{"BRNH-B3", "USDVLM", "VIX-3.27", "VLMR"};
        QTest::newRow("unknown exchange") << QList<int>{7} << "" << QStringList{} << QStringList{};
    }

    void proxies()
    {
        QFETCH(QList<int>, exchanges);
        QFETCH(QString, text);
        QFETCH(QStringList, listed);
        QFETCH(QStringList, instruments);
        const QSet<int> set(exchanges.begin(), exchanges.end());
        kuPaperListModel model;
        model.setColumns(paperColumns());
        kuPaperListProxyModel listProxy;
        listProxy.setSourceModel(&model);
        listProxy.setItems(makeItems());
        QCOMPARE(model.rowCount(), 5);
        listProxy.sort(2, Qt::AscendingOrder);
        listProxy.setExchangeFilter(set);
        listProxy.setColumnFilters({2, 3, 4, 5}, text);
        QCOMPARE(tickers(listProxy), listed);
        listProxy.setHideAll(true);
        QCOMPARE(listProxy.rowCount(), 0);

        kuInstrumentsProxyModel instrumentsProxy;
        instrumentsProxy.setSourceModel(&model);
        instrumentsProxy.sort(2, Qt::AscendingOrder);
        instrumentsProxy.setColumnFilter(2, text);
        instrumentsProxy.setFilter(set);
        QCOMPARE(tickers(instrumentsProxy), instruments);
    }

    void exchangeList_data()
    {
        QTest::addColumn<QVariantMap>("exchanges");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<QList<int>>>("sets");
        QTest::newRow("two") << QVariantMap{{"1", "A"}, {"2", "B"}} << QStringList{"Все", "A", "B"}
                             << QList<QList<int>>{{1, 2}, {1}, {2}};
        QTest::newRow("key 0 replaced") << QVariantMap{{"0", "Z"}, {"5", "F"}} << QStringList{"Все", "F"}
                                        << QList<QList<int>>{{0, 5}, {5}};
        QTest::newRow("none") << QVariantMap{} << QStringList{"Все"} << QList<QList<int>>{{}};
    }

    void exchangeList()
    {
        QFETCH(QVariantMap, exchanges);
        QFETCH(QStringList, names);
        QFETCH(QList<QList<int>>, sets);
        QMap<int, QString> map;
        for (auto it = exchanges.constBegin(); it != exchanges.constEnd(); ++it)
            map.insert(it.key().toInt(), it.value().toString());
        kuExchangeListModel model;
        model.setExchanges({{9, "old"}});
        model.setExchanges(map);
        QCOMPARE(model.rowCount(), names.size());
        QCOMPARE(model.rowCount(model.index(0)), 0);
        for (int row = 0; row < names.size(); ++row) {
            const QModelIndex index = model.index(row);
            for (int role : {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole})
                QCOMPARE(index.data(role).toString(), names.at(row));
            const QVariant value = index.data(kuExchangeListModel::ExchangesRole);
            QCOMPARE(value.userType(), qMetaTypeId<QSet<int>>());
            const QList<int>& expected = sets.at(row);
            QCOMPARE(value.value<QSet<int>>(), QSet<int>(expected.begin(), expected.end()));
            QVERIFY(!index.data(Qt::DecorationRole).isValid());
        }
        QVERIFY(QMetaType::type("QSet<int>") != QMetaType::UnknownType);
    }

    void itemsAndOptionItems()
    {
        QCOMPARE(sortedIDs(makeItems()),
                 (QList<int>{paper::share, paper::bond, paper::currency, paper::future, paper::fortsFuture}));
        QCOMPARE(sortedIDs(makeOptionItems()), (QList<int>{paper::putOption, paper::callOption}));
    }

    // Only a left press on a row arms a drag; a press elsewhere drops an earlier one.
    void viewArmsDragOnLeftPress_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("onRow");
        QTest::addColumn<int>("dragged");
        QTest::newRow("left on a row") << int(Qt::LeftButton) << true << int(paper::bond);
        QTest::newRow("right on a row") << int(Qt::RightButton) << true << 0;
        QTest::newRow("left below the rows") << int(Qt::LeftButton) << false << 0;
    }

    void viewArmsDragOnLeftPress()
    {
        QFETCH(int, button);
        QFETCH(bool, onRow);
        QFETCH(int, dragged);
        kuPaperListModel model;
        kuPaperListProxyModel proxy;
        proxy.setSourceModel(&model);
        proxy.setItems(makeItems());
        proxy.sort(2, Qt::AscendingOrder);
        PaperView view;
        view.buildColumns(paperColumns().mid(1));
        view.setModel(&proxy);
        view.resize(500, 300);
        const QPoint firstRow = view.visualRect(proxy.index(0, 2)).center();
        // An earlier press that never moved.
        QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, firstRow);
        QTest::mouseRelease(view.viewport(), Qt::LeftButton, Qt::NoModifier, firstRow);

        const QPoint press = onRow ? firstRow : QPoint(firstRow.x(), view.viewport()->height() - 5);
        QTest::mousePress(view.viewport(), Qt::MouseButton(button), Qt::NoModifier, press);
        QCOMPARE(view.pendingPaperID(), dragged);
        QMouseEvent moved(QEvent::MouseMove, press + QPoint(40, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &moved);
        QCOMPARE(view.draggedID, dragged);
    }

    // Rows made before a second instrument list turn blank and can no longer be dragged.
    // Last: it adds an instrument the other cases do not list.
    void replacedRecordLeavesRowBlank()
    {
        const int id = 90;
        addPaper(makePaper(id, "OLD", "Старый", "Старый", 1, 1));
        kuPaperListModel model;
        model.setColumns(paperColumns());
        model.setItems({QSharedPointer<kuPaperListItem>::create(kuPaperList::instance()->paper(id))});
        QCOMPARE(model.index(0, 0).data(kuPaperListModel::PaperIDRole), QVariant(id));
        QCOMPARE(model.index(0, 3).data(kuPaperListModel::ExchangeIDRole), QVariant(1));

        const quint64 before = kuPaperList::instance()->changeCount();
        addPaper(makePaper(id, "NEW", "Новый", "Новый", 1, 1));
        QVERIFY(kuPaperList::instance()->changeCount() > before);
        for (int column = 0; column < 6; ++column)
            QVERIFY(model.index(0, column).data().toString().isEmpty());
        QVERIFY(!model.index(0, 2).data(kuPaperListModel::PaperIDRole).isValid());
        QVERIFY(!model.index(0, 2).data(kuPaperListModel::ExchangeIDRole).isValid());

        kuPaperListProxyModel proxy;
        proxy.setSourceModel(&model);
        PaperView view;
        view.buildColumns(paperColumns().mid(1));
        view.setModel(&proxy);
        view.resize(500, 200);
        const QPoint press = view.visualRect(proxy.index(0, 2)).center();
        QTest::mousePress(view.viewport(), Qt::LeftButton, Qt::NoModifier, press);
        QMouseEvent moved(QEvent::MouseMove, press + QPoint(40, 0), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &moved);
        QCOMPARE(view.pendingPaperID(), 0);
        QCOMPARE(view.draggedID, 0);
    }
};

QTEST_MAIN(tst_PaperListModels)
#include "tst_paperlistmodels.moc"
