#include "accountmodel.h"
#include "columnfit.h"
#include "kuclient.h"
#include "kuitemdelegate.h"
#include "kuobjectcolumnsetting.h"
#include "kupaperinfodrag.h"
#include "kupaperinfomimedata.h"
#include "kutableview.h"
#include "kutableviewmodel.h"
#include "kutableviewproxymodel.h"
#include "kutreeview.h"
#include "kutreeviewdelegate.h"
#include "kutreeviewproxymodel.h"
#include "testitem.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QtTest>

#include <functional>

namespace {
// A window's view: a left press on a row records its instrument id (column 1's sort value).
class PaperTableView : public kuTableView
{
public:
    using kuObjectView::pendingPaperID;
    using kuTableView::dragEnterEvent;
    using kuTableView::dragMoveEvent;
    using kuTableView::dropEvent;
    using kuTableView::kuTableView;
    int drags = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const QModelIndex index = indexAt(event->pos());
        if (index.isValid() && event->button() == Qt::LeftButton)
            setPendingDrag(event->pos(), index.sibling(index.row(), 1).data(kuTableViewModel::SortRole).toInt());
        QAbstractItemView::mousePressEvent(event);
    }
    void startDrag(Qt::DropActions actions) override
    {
        ++drags;
        kuTableView::startDrag(actions);
    }
};

struct TableFixture
{
    explicit TableFixture(const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
    {
        proxy.setSourceModel(&model);
        view.buildColumns(columns);
        view.setModel(&proxy);
        view.resize(600, 300);
    }
    kuTableViewModel model;
    kuTableViewProxyModel proxy;
    PaperTableView view;
};

QList<QSharedPointer<kuObjectHeaderItem>> threeColumns()
{
    return {kuObjectHeaderItem::create("Код"), kuObjectHeaderItem::create("Наименование\nкраткое"),
            kuObjectHeaderItem::create("Цена")};
}

// Runs the view's column dialog; act gets the dialog once it is shown.
void runColumnDialog(kuObjectView& view, const std::function<void(kuObjectColumnSetting*)>& act)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<kuObjectColumnSetting*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        ran = true;
        act(dialog);
    });
    view.columnSetting();
    QVERIFY(ran);
}

// The table or the tree over the same columns, item rows added one by one.
struct ColumnsFixture
{
    explicit ColumnsFixture(bool isTree)
    {
        tableProxy.setSourceModel(&tableModel);
        treeProxy.setSourceModel(&treeModel);
        if (isTree) {
            tree.buildColumns(threeColumns());
            tree.setModel(&treeProxy);
            view = &tree;
            header = tree.header();
            top = treeProxy.appendTopItem("L01");
        } else {
            table.buildColumns(threeColumns());
            table.setModel(&tableProxy);
            view = &table;
            header = table.horizontalHeader();
        }
        view->resize(600, 300);
    }
    void addRow(const QStringList& texts)
    {
        const auto item = QSharedPointer<TestItem>::create(texts);
        items << item;
        if (view == &tree) {
            treeProxy.appendChild(top, item);
            tree.expandAll();
        } else {
            tableProxy.appendItem(item);
        }
    }
    // A new text for a cell of the row added at that place, told as a change of the row's values.
    void changeValue(int row, int column, const QString& text)
    {
        items.at(row)->setText(column, text);
        const QAbstractItemModel* model = view->model();
        const QModelIndex parent = view == &tree ? model->index(0, 0) : QModelIndex();
        emit const_cast<QAbstractItemModel*>(model)->dataChanged(model->index(row, 0, parent),
                                                                model->index(row, model->columnCount() - 1, parent));
    }
    QList<QSharedPointer<TestItem>> items;
    QString columnState() const { return view == &tree ? tree.columnState() : table.columnState(); }
    void setColumnState(const QString& state)
    {
        if (view == &tree)
            tree.setColumnState(state);
        else
            table.setColumnState(state);
    }
    int shownWidth() const
    {
        int total = 0;
        for (int section = 0; section < header->count(); ++section)
            total += header->isSectionHidden(section) ? 0 : header->sectionSize(section);
        return total;
    }
    // The user's drag of the section's right edge by dx.
    void drag(int section, int dx)
    {
        const QPoint edge(header->sectionViewportPosition(section) + header->sectionSize(section) - 1, 5);
        const QPoint to = edge + QPoint(dx, 0);
        QMouseEvent press(QEvent::MouseButtonPress, edge, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent move(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        for (QMouseEvent* event : {&press, &move, &release})
            QApplication::sendEvent(header->viewport(), event);
    }
    kuTableViewModel tableModel;
    kuTableViewProxyModel tableProxy;
    PaperTableView table;
    AccountModel treeModel;
    kuTreeViewProxyModel treeProxy;
    kuTreeView tree;
    QAbstractItemView* view = nullptr;
    QHeaderView* header = nullptr;
    int top = -1;
};

// Exposes how the delegate sets up a cell.
class OpenDelegate : public kuItemDelegate
{
public:
    using kuItemDelegate::initStyleOption;
};

QStringList offered(kuObjectColumnSetting* dialog)
{
    const QAbstractItemModel* list = dialog->findChild<QListView*>("columnView")->model();
    QStringList titles;
    for (int row = 0; row < list->rowCount(); ++row)
        titles << list->index(row, 0).data().toString();
    return titles;
}
} // namespace

// The table and tree views: columns, the column dialog, drags, drops and the saved header.
class tst_Views : public QObject
{
    Q_OBJECT

private slots:
    void placeholderColumn();
    void columnDialog_data();
    void columnDialog();
    void alwaysHiddenColumnsNeverOffered();
    void dragThreshold_data();
    void dragThreshold();
    void drops_data();
    void drops();
    void columnState();
    void foreignModels();
    void columnWidths_data();
    void columnWidths();
    void changedValuesWiden_data() { columnWidths_data(); }
    void changedValuesWiden();
    void numbersNeverElided_data();
    void numbersNeverElided();
    void keptSizesFollowTheLook();
    void treeTopRows();
    void accountArrows();
    void cleanupTestCase();
};

void tst_Views::placeholderColumn()
{
    TableFixture table(threeColumns());
    QCOMPARE(table.model.columnCount(), 4);
    QCOMPARE(table.view.columnMap().keys(), (QList<int>{0, 1, 2, 3}));
    QCOMPARE(table.model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Column #1"));
    const QHeaderView* header = table.view.horizontalHeader();
    QVERIFY(header->isSectionHidden(0));
    QVERIFY(!header->isSectionHidden(1) && !header->isSectionHidden(2) && !header->isSectionHidden(3));
    QCOMPARE(table.view.verticalHeader()->defaultSectionSize(), 24);
    QVERIFY(table.view.acceptDrops());
    QVERIFY(header->sectionsMovable());

    runColumnDialog(table.view, [](kuObjectColumnSetting* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Настройка столбцов"));
        QCOMPARE(offered(dialog), (QStringList{"Код", "Наименованиекраткое", "Цена"}));
        dialog->reject();
    });
}

void tst_Views::columnDialog_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true;
    QTest::newRow("Cancel") << false;
}

void tst_Views::columnDialog()
{
    QFETCH(bool, confirm);
    TableFixture table(threeColumns());
    runColumnDialog(table.view, [confirm](kuObjectColumnSetting* dialog) {
        QAbstractItemModel* list = dialog->findChild<QListView*>("columnView")->model();
        QCOMPARE(list->index(1, 0).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QVERIFY(list->flags(list->index(1, 0)) & Qt::ItemIsUserCheckable);
        QVERIFY(list->setData(list->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(!list->setData(list->index(2, 0), Qt::Unchecked, Qt::DisplayRole));
        auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
        buttons->button(confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
    QCOMPARE(table.view.horizontalHeader()->isSectionHidden(2), confirm);
    QCOMPARE(table.view.columnMap().value(2)->isVisible(), !confirm);
    QVERIFY(!table.view.horizontalHeader()->isSectionHidden(3));
    QVERIFY(table.view.columnMap().value(3)->isVisible());
}

void tst_Views::alwaysHiddenColumnsNeverOffered()
{
    auto columns = threeColumns();
    columns.insert(1, kuObjectHeaderItem::createHidden("Биржа"));
    TableFixture table(columns);
    QVERIFY(table.view.horizontalHeader()->isSectionHidden(2));
    runColumnDialog(table.view, [](kuObjectColumnSetting* dialog) {
        QCOMPARE(offered(dialog), (QStringList{"Код", "Наименованиекраткое", "Цена"}));
        dialog->accept();
    });
    QVERIFY(table.view.horizontalHeader()->isSectionHidden(0));
    QVERIFY(table.view.horizontalHeader()->isSectionHidden(2));
    // Even a header that shows it (a restored state, a user) does not make it visible.
    table.view.horizontalHeader()->setSectionHidden(2, false);
    table.view.readColumnState();
    QVERIFY(!table.view.columnMap().value(2)->isVisible());
    table.view.applyColumnState();
    QVERIFY(table.view.horizontalHeader()->isSectionHidden(2));
}

void tst_Views::dragThreshold_data()
{
    QTest::addColumn<QPoint>("move");
    QTest::addColumn<int>("paperID");
    QTest::addColumn<bool>("drags");
    QTest::newRow("3+2 stays") << QPoint(3, 2) << 7 << false;
    QTest::newRow("8+5 drags") << QPoint(8, 5) << 7 << true;
    QTest::newRow("no instrument") << QPoint(8, 5) << 0 << false;
}

void tst_Views::dragThreshold()
{
    QFETCH(QPoint, move);
    QFETCH(int, paperID);
    QFETCH(bool, drags);
    QApplication::setStartDragDistance(10);
    TableFixture table(threeColumns());
    table.proxy.appendItem(TestItem::make({"", "SBER", "Сбербанк", "300"}, {QVariant(), paperID}));
    table.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table.view));

    const QPoint press = table.view.visualRect(table.proxy.index(0, 1)).center();
    QTest::mousePress(table.view.viewport(), Qt::LeftButton, Qt::NoModifier, press);
    QCOMPARE(table.view.pendingPaperID(), paperID);
    QMouseEvent moved(QEvent::MouseMove, press + move, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(table.view.viewport(), &moved);

    const auto made = table.view.findChildren<kuPaperInfoDrag*>();
    QCOMPARE(made.size(), drags ? 1 : 0);
    if (drags) {
        const auto* data = qobject_cast<kuPaperInfoMimeData*>(made.first()->mimeData());
        QVERIFY(data);
        QCOMPARE(data->paperID(), paperID);
        QVERIFY(data->hasFormat(kuPaperInfoMimeData::mimeType()));
        QVERIFY(data->data(kuPaperInfoMimeData::mimeType()).isEmpty());
        QCOMPARE(table.view.pendingPaperID(), 0);
    } else {
        QCOMPARE(table.view.pendingPaperID(), paperID);
    }
    QCOMPARE(table.view.drags, move.manhattanLength() > 10 ? 1 : 0);
}

void tst_Views::drops_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("enters");
    QTest::addColumn<int>("emitted");
    QTest::newRow("instrument") << 0 << true << 42;
    QTest::newRow("plain data with the format") << 1 << true << -1;
    QTest::newRow("another format") << 2 << false << -1;
}

void tst_Views::drops()
{
    QFETCH(int, kind);
    QFETCH(bool, enters);
    QFETCH(int, emitted);
    TableFixture table(threeColumns());
    table.view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&table.view));
    QSignalSpy dropped(&table.view, &kuTableView::on_dropPaperID);

    QMimeData* data = nullptr;
    if (kind == 0) {
        auto* paper = new kuPaperInfoMimeData;
        paper->setPaperID(42);
        data = paper;
    } else {
        data = new QMimeData;
        data->setData(kind == 1 ? kuPaperInfoMimeData::mimeType() : QStringLiteral("text/plain"), "42");
    }
    const QPoint at = table.view.viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    table.view.dragEnterEvent(&enter);
    QCOMPARE(enter.isAccepted(), enters);
    QDragMoveEvent over(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    table.view.dragMoveEvent(&over);
    QCOMPARE(over.isAccepted(), enters);
    QDropEvent drop(at, Qt::CopyAction | Qt::MoveAction, data, Qt::LeftButton, Qt::NoModifier);
    drop.accept();
    table.view.dropEvent(&drop);
    QCOMPARE(drop.isAccepted(), emitted >= 0);
    QCOMPARE(dropped.count(), emitted >= 0 ? 1 : 0);
    if (emitted >= 0)
        QCOMPARE(dropped.first().first().toInt(), emitted);
    delete data;
}

void tst_Views::columnState()
{
    QString saved;
    {
        TableFixture table(threeColumns());
        QVERIFY(table.view.columnState().isEmpty() == false);
        table.view.horizontalHeader()->setSectionHidden(3, true);
        table.view.horizontalHeader()->moveSection(2, 1);
        saved = table.view.columnState();
        QVERIFY(!QByteArray::fromBase64(saved.toLatin1()).isEmpty());
    }
    {
        TableFixture table(threeColumns());
        table.view.setColumnState(saved);
        QVERIFY(table.view.horizontalHeader()->isSectionHidden(3));
        QVERIFY(!table.view.columnMap().value(3)->isVisible());
        QCOMPARE(table.view.horizontalHeader()->visualIndex(2), 1);
        QVERIFY(table.view.horizontalHeader()->isSectionHidden(0));
    }
    {
        // Empty text and damaged text leave the header as built.
        TableFixture table(threeColumns());
        table.view.setColumnState(QString());
        table.view.setColumnState(QStringLiteral("bm90IGEgaGVhZGVy"));
        QCOMPARE(table.view.horizontalHeader()->count(), 4);
        for (int section = 1; section <= 3; ++section) {
            QVERIFY(!table.view.horizontalHeader()->isSectionHidden(section));
            QCOMPARE(table.view.horizontalHeader()->visualIndex(section), section);
        }
    }
    {
        // A state saved for another column list keeps the built columns.
        auto five = threeColumns();
        five << kuObjectHeaderItem::create("Объём") << kuObjectHeaderItem::create("Время", QString(), false);
        TableFixture table(five);
        table.proxy.appendItem(TestItem::make({"", "SBER", "Сбербанк", "300", "10", "10:00"}));
        table.view.setColumnState(saved);
        const QHeaderView* header = table.view.horizontalHeader();
        QCOMPARE(header->count(), 6);
        QVERIFY(header->isSectionHidden(0));
        for (int section = 1; section <= 4; ++section) {
            QVERIFY(!header->isSectionHidden(section));
            QVERIFY(table.view.columnMap().value(section)->isVisible());
        }
        QVERIFY(header->isSectionHidden(5));
        QCOMPARE(table.proxy.index(0, 4).data().toString(), QStringLiteral("10"));
    }
    {
        AccountModel model;
        kuTreeViewProxyModel proxy;
        proxy.setSourceModel(&model);
        kuTreeView tree;
        tree.buildColumns(threeColumns());
        tree.setModel(&proxy);
        tree.header()->setSectionHidden(1, true);
        const QString state = tree.columnState();
        kuTreeView other;
        AccountModel otherModel;
        kuTreeViewProxyModel otherProxy;
        otherProxy.setSourceModel(&otherModel);
        other.buildColumns(threeColumns());
        other.setModel(&otherProxy);
        other.setColumnState(state);
        QVERIFY(other.header()->isSectionHidden(1));
        QVERIFY(!other.columnMap().value(1)->isVisible());
    }
}

void tst_Views::foreignModels()
{
    QStandardItemModel other(3, 2);
    kuTableView table;
    table.buildColumns(threeColumns());
    QTest::ignoreMessage(QtWarningMsg, "kuTableView: the model is not a kuTableViewProxyModel; no columns of the view");
    table.setModel(&other);
    QCOMPARE(other.columnCount(), 2);
    QVERIFY(!table.horizontalHeader()->isSectionHidden(0));
    table.grab();

    kuTreeView tree;
    tree.buildColumns(threeColumns());
    QTest::ignoreMessage(QtWarningMsg, "kuTreeView: the model is not a kuTreeViewProxyModel; no columns of the view");
    tree.setModel(&other);
    QCOMPARE(other.columnCount(), 2);
    tree.grab();
    table.setModel(nullptr);
    tree.setModel(nullptr);
}

void tst_Views::columnWidths_data()
{
    QTest::addColumn<bool>("tree");
    QTest::newRow("table") << false;
    QTest::newRow("tree") << true;
}

// Columns start as wide as their header and their widest value and share the
// rest of the view; values arriving later widen them; a narrow view scrolls;
// the user's widths are kept, never below a number; the saved layout's are
// kept or widened to show header and values.
void tst_Views::columnWidths()
{
    QFETCH(bool, tree);
    QString saved;
    int userWidth = 0;
    {
        ColumnsFixture columns(tree);
        columns.addRow({"", "SBER", "Сбербанк", "300"});
        columns.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(columns.view));
        QTRY_COMPARE(cutColumns(columns.view, columns.header), QStringList());
        QCOMPARE(columns.shownWidth(), columns.header->width());
        QCOMPARE(columns.header->sectionResizeMode(1), QHeaderView::Interactive);

        columns.addRow({"", "GAZP", "Газпром", "1 234 567 890 123.45"});
        QTRY_COMPARE(cutColumns(columns.view, columns.header), QStringList());
        columns.view->resize(150, 300);
        QTRY_VERIFY(columns.view->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(cutColumns(columns.view, columns.header), QStringList());

        columns.view->resize(600, 300);
        columns.drag(2, -20);
        userWidth = columns.header->sectionSize(2);
        columns.view->resize(700, 300);
        QCOMPARE(columns.header->sectionSize(2), userWidth);
        // A drag stops at the column's widest number.
        const int numberColumn = columns.header->sectionSize(3);
        columns.drag(3, -numberColumn);
        QVERIFY(columns.header->sectionSize(3) < numberColumn);
        QCOMPARE(cutColumns(columns.view, columns.header), QStringList());
        // A wider column and one cut by the user: saved, the first is kept,
        // the second shows whole again.
        columns.drag(1, 40);
        userWidth = columns.header->sectionSize(1);
        columns.drag(2, -columns.header->sectionSize(2));
        QVERIFY(columns.header->sectionSize(2) < columns.header->sectionSizeHint(2));
        columns.view->resize(650, 300);
        QVERIFY(columns.header->sectionSize(2) < columns.header->sectionSizeHint(2));
        saved = columns.columnState();
    }
    {
        ColumnsFixture columns(tree);
        columns.setColumnState(saved);
        columns.addRow({"", "SBER", "Сбербанк", "300"});
        columns.view->show();
        QVERIFY(QTest::qWaitForWindowExposed(columns.view));
        columns.view->resize(900, 300);
        QTRY_COMPARE(cutColumns(columns.view, columns.header), QStringList());
        QCOMPARE(columns.header->sectionSize(1), userWidth);
    }
}

// A changed value widens its column, whichever rows changed since the last fit.
void tst_Views::changedValuesWiden()
{
    QFETCH(bool, tree);
    ColumnsFixture columns(tree);
    columns.addRow({"", "SBER", "Сбербанк", "300"});
    columns.addRow({"", "GAZP", "Газпром", "400"});
    columns.addRow({"", "LKOH", "Лукойл", "500"});
    columns.view->show();
    QVERIFY(QTest::qWaitForWindowExposed(columns.view));
    QTRY_COMPARE(cutColumns(columns.view, columns.header), QStringList());
    const int before = columns.header->sectionSize(3);
    columns.changeValue(0, 3, QStringLiteral("301"));
    columns.changeValue(2, 3, QStringLiteral("1 234 567 890 123.45"));
    QTRY_VERIFY(columns.header->sectionSize(3) > before);
    QCOMPARE(cutColumns(columns.view, columns.header), QStringList());
    // A second change in another row, after the first refit.
    const int name = columns.header->sectionSize(2);
    columns.changeValue(1, 2, QStringLiteral("Газпром нефть, привилегированные"));
    QTRY_VERIFY(columns.header->sectionSize(2) > name);
    QCOMPARE(cutColumns(columns.view, columns.header), QStringList());
}

void tst_Views::numbersNeverElided_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("number");
    QTest::newRow("money") << "29 981 234 567.50" << true;
    QTest::newRow("percent") << "-0.68 %" << true;
    QTest::newRow("date and time") << "08.12.2026 23:00:00" << true;
    QTest::newRow("with own orders") << "3 000 000 000 (1)" << true;
    QTest::newRow("name") << "Сбербанк" << false;
    QTest::newRow("ticker with digits") << "VG26238" << false;
    QTest::newRow("note") << "Сделка по поручению 1009" << false;
    QTest::newRow("empty") << "" << false;
}

void tst_Views::numbersNeverElided()
{
    QFETCH(QString, text);
    QFETCH(bool, number);
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), text);
    OpenDelegate delegate;
    QStyleOptionViewItem option;
    option.textElideMode = Qt::ElideRight;
    delegate.initStyleOption(&option, model.index(0, 0));
    QCOMPARE(option.textElideMode, number ? Qt::ElideNone : Qt::ElideRight);
    QCOMPARE(kuItemDelegate::isNumberText(text), number);
}

// Kept cell sizes are the standard ones, for new texts, another font and another style sheet.
void tst_Views::keptSizesFollowTheLook()
{
    QStandardItemModel model(2, 1);
    model.setData(model.index(0, 0), QStringLiteral("1 234.50"));
    model.setData(model.index(1, 0), QStringLiteral("Сбербанк"));
    QTableView view;
    auto* delegate = new kuItemDelegate(&view);
    view.setItemDelegate(delegate);
    view.setModel(&model);
    const QStyledItemDelegate standard;
    QStringList differing;
    // The size of the first cell; a step whose sizes differ from the standard ones is noted.
    const auto check = [&](const char* step) {
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.widget = &view;
        option.font = view.font();
        for (int row = 0; row < model.rowCount(); ++row) {
            const QModelIndex index = model.index(row, 0);
            const QSize expected = standard.sizeHint(option, index);
            // Asked twice: the second answer is the kept one.
            if (delegate->sizeHint(option, index) != expected || delegate->sizeHint(option, index) != expected)
                differing << QStringLiteral("%1, row %2").arg(QLatin1String(step)).arg(row);
        }
        return standard.sizeHint(option, model.index(0, 0));
    };
    const QSize first = check("first");
    model.setData(model.index(0, 0), QStringLiteral("1 234 567 890.50"));
    const QSize longer = check("longer text");
    QVERIFY(longer.width() > first.width());
    QFont font = view.font();
    font.setPixelSize(30);
    view.setFont(font);
    const QSize larger = check("larger font");
    QVERIFY(larger.width() > longer.width());
    view.setStyleSheet(QStringLiteral("QTableView::item { padding: 0px 40px; }"));
    const QSize padded = check("style sheet");
    QVERIFY(padded.width() > larger.width());
    // The application's style sheet changes without a new style object.
    view.setStyleSheet(QString());
    qApp->setStyleSheet(QStringLiteral("QTableView::item { padding: 0px 10px; }"));
    const QSize appSheet = check("application style sheet");
    qApp->setStyleSheet(QStringLiteral("QTableView::item { padding: 0px 60px; }"));
    const QSize appSheetWider = check("application style sheet changed");
    qApp->setStyleSheet(QString());
    QVERIFY(appSheetWider.width() > appSheet.width());
    QCOMPARE(differing, QStringList());
}

void tst_Views::treeTopRows()
{
    AccountModel model;
    kuTreeViewProxyModel proxy;
    proxy.setSourceModel(&model);
    kuTreeView tree;
    tree.buildColumns(threeColumns());
    tree.setModel(&proxy);
    QVERIFY(!tree.acceptDrops());
    QCOMPARE(model.columnCount(), 4);
    QVERIFY(tree.header()->isSectionHidden(0));
    const int top = proxy.appendTopItem("L01");
    proxy.appendChild(top, TestItem::make({"", "SBER", "Сбербанк", "300"}));
    tree.expandAll();
    tree.resize(500, 200);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    QStyleOptionViewItem option;
    option.font.setPixelSize(40);
    const QModelIndex account = proxy.index(0, 0);
    QCOMPARE(tree.delegate()->sizeHint(option, account), QSize(-1, 24));
    QCOMPARE(tree.delegate()->sizeHint(option, QModelIndex()), QSize(-1, 24));
    const QModelIndex row = proxy.index(0, 1, account);
    QCOMPARE(tree.delegate()->sizeHint(option, row), QStyledItemDelegate().sizeHint(option, row));
    QCOMPARE(tree.visualRect(proxy.index(0, 1)).height(), 24);

    tree.setGridColor(Qt::green);
    QCOMPARE(tree.delegate()->gridColor(), QColor(Qt::green));
    // The account line runs across the shown columns: its title left, its summary right.
    const QImage image = tree.viewport()->grab().toImage();
    const QRect line = tree.visualRect(proxy.index(0, 1));
    auto inked = [&image](int from, int to, int y0, int y1) {
        for (int x = from; x < to; ++x)
            for (int y = y0; y < y1; ++y)
                if (qGray(image.pixel(x, y)) < 128)
                    return true;
        return false;
    };
    const int right = tree.viewport()->width();
    QVERIFY(inked(right - 60, right - 2, line.top() + 2, line.bottom() - 2));
    QVERIFY(inked(tree.indentation(), tree.indentation() + 60, line.top() + 2, line.bottom() - 2));

    // A double click on the account line closes and opens it, though its children hang on the hidden column.
    const QPoint onLine = tree.visualRect(proxy.index(0, 2)).center();
    for (bool expanded : {false, true}) {
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, onLine);
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, onLine);
        QCOMPARE(tree.isExpanded(account), expanded);
    }
}

// Without a root decoration, as the account windows show their trees, an account line with rows
// carries its own arrow, which opens and closes it; an account without rows has none.
void tst_Views::accountArrows()
{
    AccountModel model;
    kuTreeViewProxyModel proxy;
    proxy.setSourceModel(&model);
    kuTreeView tree;
    tree.setRootIsDecorated(false);
    tree.setIndentation(0);
    // The program's style sheet styles the trees.
    tree.setStyleSheet("QTreeView { background: #ffffff; border: 1px solid #d5dbe3; }");
    tree.buildColumns(threeColumns());
    tree.setModel(&proxy);
    proxy.appendChild(proxy.appendTopItem("L01"), TestItem::make({"", "SBER", "Сбербанк", "300"}));
    proxy.appendTopItem("L02");
    tree.resize(500, 200);
    tree.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tree));

    const QModelIndex withRows = proxy.index(0, 0);
    const QRect arrow = tree.accountArrowRect(withRows);
    QVERIFY(!arrow.isEmpty());
    QVERIFY(tree.accountArrowRect(proxy.index(1, 0)).isEmpty());
    auto picture = [&tree](const QRect& area) { return tree.viewport()->grab(area).toImage(); };
    auto inked = [](const QImage& image) {
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (qGray(image.pixel(x, y)) < 160)
                    return true;
        return false;
    };
    const QImage closed = picture(arrow);
    QVERIFY(inked(closed));
    const int emptyLine = tree.visualRect(proxy.index(1, 1)).top();
    QVERIFY(!inked(picture(arrow.translated(0, emptyLine - arrow.top()))));

    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, arrow.center());
    QVERIFY(tree.isExpanded(withRows));
    QVERIFY(picture(arrow) != closed);
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, Qt::NoModifier, arrow.center());
    QVERIFY(!tree.isExpanded(withRows));
    QCOMPARE(picture(arrow), closed);
}

void tst_Views::cleanupTestCase()
{
    delete kuClient::instance().data();
}

QTEST_MAIN(tst_Views)
#include "tst_views.moc"
