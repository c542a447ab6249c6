#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "modeltext.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QSignalSpy>
#include <QtTest>

class tst_ActionsModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QAction*>(); }
    void cleanPath_data();
    void cleanPath();
    void addingCreatesMenusOnTheWay();
    void registeringRefusesTakenOrInvalidPaths();
    void shortcutConflict();
    void defaultShortcut();
    void removeAction_data();
    void removeAction();
    void deletingFromOutsideRemovesRows();
    void itemData();
    void clearEmptiesModelAndBar();
    void menuBarTakesExistingMenus();
};

void tst_ActionsModel::cleanPath_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("clean");
    QTest::newRow("plain") << "mFile/mOpen"
                           << "mFile/mOpen";
    QTest::newRow("blanks, doubled and outer slashes") << "  /mFile//mOpen/ "
                                                       << "mFile/mOpen";
    QTest::newRow("backslashes") << "mFile\\mOpen"
                                 << "mFile/mOpen";
    QTest::newRow("doubled backslashes") << "\\mFile\\\\mOpen\\"
                                         << "mFile/mOpen";
    QTest::newRow("dot elements") << "mFile/./mX/../mOpen"
                                  << "mFile/mOpen";
    QTest::newRow("only slashes") << "///"
                                  << "";
}

void tst_ActionsModel::cleanPath()
{
    QFETCH(QString, path);
    QFETCH(QString, clean);
    QCOMPARE(kuActionsModel::cleanPath(path), clean);

    if (clean.isEmpty()) {
        kuActionsModel model;
        QVERIFY(!model.addAction(path));
        QCOMPARE(model.rowCount(), 0);
        return;
    }
    kuActionsModel model;
    QAction* action = model.addAction(path, QStringLiteral("Open"));
    QVERIFY(action);
    QCOMPARE(model.path(action), clean);
    QCOMPARE(model.action(clean), action);
    QCOMPARE(model.action(path), action);
    QCOMPARE(action->objectName(), QString(clean).replace('/', '_'));
}

void tst_ActionsModel::addingCreatesMenusOnTheWay()
{
    kuActionsMenuBar bar;
    kuActionsModel* model = bar.model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(model, &kuActionsModel::actionInserted);

    QAction* orders = model->addAction(QStringLiteral("mAccount/mAccountOrders"));
    QVERIFY(orders);
    QAction* menu = model->action(QStringLiteral("mAccount"));
    QVERIFY(menu);
    QVERIFY(menu->menu());
    QCOMPARE(menu->text(), QStringLiteral("mAccount"));
    QCOMPARE(orders->text(), QStringLiteral("mAccountOrders"));
    QCOMPARE(model->parentAction(orders), menu);
    QCOMPARE(orders->parent(), menu);
    QCOMPARE(menu->parent(), model);
    QVERIFY(menu->menu()->actions().contains(orders));
    QCOMPARE(inserted.count(), 2);
    QCOMPARE(inserted.at(0).at(0).value<QAction*>(), menu);

    // The bar shows the new top-level menu at once.
    QCOMPARE(bar.actions(), QList<QAction*>{menu});

    // Giving the menu its text later.
    QCOMPARE(model->addMenu(QStringLiteral("mAccount"), QStringLiteral("&Счёт")), menu);
    QCOMPARE(menu->text(), QStringLiteral("&Счёт"));
    QCOMPARE(model->addMenu(QStringLiteral("mAccount"), QString()), menu);
    QCOMPARE(menu->text(), QStringLiteral("&Счёт"));

    // A separator keeps its empty text; a second top menu lands after the first.
    QAction* separator = model->addSeparator(QStringLiteral("mAccount/sep1"));
    QVERIFY(separator && separator->isSeparator());
    QVERIFY(separator->text().isEmpty());
    QAction* file = model->addMenu(QStringLiteral("mFile/mRecent"), QStringLiteral("Недавние"));
    QVERIFY(file);
    QCOMPARE(model->children(menu), (QList<QAction*>{orders, separator}));
    QCOMPARE(bar.actions(), (QList<QAction*>{menu, model->action(QStringLiteral("mFile"))}));

    // The item tree mirrors the paths.
    QCOMPARE(modelText(model), QStringLiteral("Счёт\n  mAccountOrders\n  \nmFile\n  Недавние"));
    QCOMPARE(model->rowCount(), 2);
    const QModelIndex accountIndex = model->index(0, 0);
    QCOMPARE(model->rowCount(accountIndex), 2);
    QCOMPARE(model->index(1, 0, accountIndex).data(Qt::UserRole + 1).value<QAction*>(), separator);
    QCOMPARE(model->parent(model->index(0, 2, accountIndex)), accountIndex);
    QCOMPARE(model->rowCount(model->index(0, 1)), 0);
}

void tst_ActionsModel::registeringRefusesTakenOrInvalidPaths()
{
    kuActionsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAction* open = model.addAction(QStringLiteral("mFile/mOpen"), QStringLiteral("Open"));
    QVERIFY(open);

    QVERIFY(!model.addAction(QStringLiteral("/mFile/mOpen/"), QStringLiteral("Again")));
    QVERIFY(!model.addAction(QStringLiteral("mFile/mOther"), open));
    QVERIFY(!model.addAction(QStringLiteral("mFile/mNull"), static_cast<QAction*>(nullptr)));

    // A plain command cannot hold entries, nor be turned into a menu.
    QVERIFY(!model.addAction(QStringLiteral("mFile/mOpen/mInside")));
    QVERIFY(!model.addMenu(QStringLiteral("mFile/mOpen")));
    QVERIFY(!model.addMenu(QStringLiteral("mFile/mOpen/mDeeper")));
    QCOMPARE(model.children(model.action(QStringLiteral("mFile"))), QList<QAction*>{open});

    // An outside action is taken over by the model.
    QPointer<QAction> external = new QAction(QStringLiteral("External"), nullptr);
    QVERIFY(model.addAction(QStringLiteral("mFile/mExternal"), external.data()));
    QCOMPARE(external->parent(), model.action(QStringLiteral("mFile")));
    QCOMPARE(external->objectName(), QStringLiteral("mFile_mExternal"));

    // Removing what the model does not hold reports failure.
    QAction stranger(QStringLiteral("Stranger"), nullptr);
    QVERIFY(!model.removeAction(&stranger));
    QVERIFY(!model.removeAction(static_cast<QAction*>(nullptr)));
    QVERIFY(!model.removeAction(QStringLiteral("mNowhere")));
}

void tst_ActionsModel::shortcutConflict()
{
    kuActionsModel model;
    QAction* open = model.addAction(QStringLiteral("mFile/mOpen"), QStringLiteral("&Open"));
    QAction* save = model.addAction(QStringLiteral("mFile/mSave"), QStringLiteral("&Save"));
    const QKeySequence keys(QStringLiteral("Ctrl+O"));

    QVERIFY(model.setShortcut(open, keys));
    QString error;
    QVERIFY(!model.setShortcut(QStringLiteral("mFile/mSave"), keys, &error));
    QCOMPARE(error, QStringLiteral("Can't set shortcut, it's already used by action 'Open'."));
    QVERIFY(save->shortcut().isEmpty());

    // Setting an action's own shortcut again is no conflict; clearing never is.
    QVERIFY(model.setShortcut(open, keys));
    QVERIFY(model.setShortcut(save, QKeySequence()));
    QVERIFY(model.setShortcut(open, QKeySequence()));
    QVERIFY(model.setShortcut(save, keys));
    QCOMPARE(save->shortcut(), keys);
    QCOMPARE(model.index(1, 1, model.index(0, 0)).data().toString(), keys.toString(QKeySequence::NativeText));
}

void tst_ActionsModel::defaultShortcut()
{
    kuActionsModel model;
    QAction* open = model.addAction(QStringLiteral("mFile/mOpen"), QStringLiteral("Open"));
    QAction* save = model.addAction(QStringLiteral("mFile/mSave"), QStringLiteral("Save"));
    const QKeySequence keys(QStringLiteral("Ctrl+S"));

    QVERIFY(model.defaultShortcut(open).isEmpty());
    QVERIFY(model.index(0, 2, model.index(0, 0)).data().toString().isEmpty());

    model.setDefaultShortcut(QStringLiteral("mFile/mSave"), keys);
    QCOMPARE(model.defaultShortcut(save), keys);
    QCOMPARE(save->shortcut(), keys);
    QCOMPARE(model.index(1, 2, model.index(0, 0)).data().toString(), keys.toString(QKeySequence::NativeText));

    // A default that another action uses is kept but stays unassigned.
    model.setDefaultShortcut(open, keys);
    QCOMPARE(model.defaultShortcut(open), keys);
    QVERIFY(open->shortcut().isEmpty());

    // Not a key sequence: no default.
    open->setProperty("Default Shortcut", QVariant::fromValue(QPoint(1, 2)));
    QVERIFY(model.defaultShortcut(open).isEmpty());
}

void tst_ActionsModel::removeAction_data()
{
    QTest::addColumn<bool>("removeEmptyParents");
    QTest::newRow("keep empty menus") << false;
    QTest::newRow("remove empty menus") << true;
}

void tst_ActionsModel::removeAction()
{
    QFETCH(bool, removeEmptyParents);
    kuActionsMenuBar bar;
    kuActionsModel* model = bar.model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QAction* keep = model->addAction(QStringLiteral("mView/mKeep"));
    QPointer<QAction> last = model->addAction(QStringLiteral("mView/mWindows/mTabs/mLast"));
    QPointer<QAction> tabs = model->action(QStringLiteral("mView/mWindows/mTabs"));
    QPointer<QAction> windows = model->action(QStringLiteral("mView/mWindows"));
    QPointer<QMenu> tabsMenu = tabs->menu();
    QSignalSpy removed(model, &kuActionsModel::actionRemoved);

    QVERIFY(model->removeAction(last.data(), removeEmptyParents));
    QVERIFY(!model->action(QStringLiteral("mView/mWindows/mTabs/mLast")));
    QVERIFY(!tabs->menu()->actions().contains(last.data()));

    if (removeEmptyParents) {
        QCOMPARE(removed.count(), 3);
        QVERIFY(!model->action(QStringLiteral("mView/mWindows/mTabs")));
        QVERIFY(!model->action(QStringLiteral("mView/mWindows")));
        QCOMPARE(model->children(model->action(QStringLiteral("mView"))), QList<QAction*>{keep});
    } else {
        QCOMPARE(removed.count(), 1);
        QCOMPARE(model->action(QStringLiteral("mView/mWindows/mTabs")), tabs.data());
        QVERIFY(model->children(tabs).isEmpty());
    }
    // The root with its remaining menu stays in any case.
    QCOMPARE(model->rowCount(), 1);

    // Removed actions, and the menus made for them, are deleted later.
    QTRY_VERIFY(last.isNull());
    QCOMPARE(tabs.isNull(), removeEmptyParents);
    QTRY_COMPARE(tabsMenu.isNull(), removeEmptyParents);
    QCOMPARE(windows.isNull(), removeEmptyParents);

    // Removing a top-level menu takes its subtree and leaves the bar.
    QPointer<QAction> view = model->action(QStringLiteral("mView"));
    QVERIFY(model->removeAction(QStringLiteral("mView")));
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(!model->action(QStringLiteral("mView/mKeep")));
    QTRY_VERIFY(view.isNull());
    QVERIFY(bar.actions().isEmpty());
}

void tst_ActionsModel::deletingFromOutsideRemovesRows()
{
    kuActionsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAction* open = model.addAction(QStringLiteral("mFile/mOpen"));
    model.addAction(QStringLiteral("mFile/mRecent/mOne"));
    QAction* recent = model.action(QStringLiteral("mFile/mRecent"));
    QSignalSpy removed(&model, &kuActionsModel::actionRemoved);

    delete open;
    QCOMPARE(removed.count(), 1);
    QVERIFY(!model.action(QStringLiteral("mFile/mOpen")));
    QCOMPARE(model.rowCount(model.index(0, 0)), 1);

    // A deleted menu takes its entries along; its parent stays.
    delete recent;
    QVERIFY(!model.action(QStringLiteral("mFile/mRecent")));
    QVERIFY(!model.action(QStringLiteral("mFile/mRecent/mOne")));
    QVERIFY(model.action(QStringLiteral("mFile")));
    QCOMPARE(model.rowCount(model.index(0, 0)), 0);

    // Changes of a removed action reach no row.
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QAction* save = model.addAction(QStringLiteral("mFile/mSave"));
    save->setText(QStringLiteral("Save"));
    QCOMPARE(changed.count(), 1);
    QVERIFY(model.removeAction(save));
    save->setText(QStringLiteral("Saved"));
    QCOMPARE(changed.count(), 1);
}

void tst_ActionsModel::itemData()
{
    kuActionsModel model;
    QAction* action = model.addAction(QStringLiteral("mEdit/mFind"), QStringLiteral("&Find && replace"));
    QAction* menu = model.action(QStringLiteral("mEdit"));
    const QModelIndex menuIndex = model.index(0, 0);
    const QModelIndex actionIndex = model.index(0, 0, menuIndex);

    QCOMPARE(actionIndex.data(Qt::DisplayRole).toString(), QStringLiteral("Find && replace"));
    QCOMPARE(actionIndex.data(Qt::ToolTipRole).toString(), QStringLiteral("Find && replace"));
    QVERIFY(!actionIndex.data(Qt::EditRole).isValid());
    QCOMPARE(menuIndex.data(Qt::FontRole).value<QFont>().weight(), 75);
    QVERIFY(actionIndex.data(Qt::FontRole).value<QFont>().weight() != 75);
    QCOMPARE(menuIndex.data(Qt::UserRole).value<QMenu*>(), menu->menu());
    QCOMPARE(actionIndex.data(Qt::UserRole).value<QMenu*>(), static_cast<QMenu*>(nullptr));
    QCOMPARE(actionIndex.data(Qt::UserRole + 1).value<QAction*>(), action);
    QVERIFY(QMetaType::type("QAction *") != QMetaType::UnknownType);

    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Action"));
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::ToolTipRole).toString(), QStringLiteral("Shortcut"));
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Default Shortcut"));
    QVERIFY(!model.index(1, 0, menuIndex).isValid());
    QVERIFY(!model.index(0, 3, menuIndex).isValid());
}

void tst_ActionsModel::clearEmptiesModelAndBar()
{
    kuActionsMenuBar bar;
    kuActionsModel* model = bar.model();
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QPointer<QAction> nested = model->addAction(QStringLiteral("mFile/mRecent/mOne"));
    model->addAction(QStringLiteral("mHelp/mAbout"));
    QSignalSpy cleared(model, &kuActionsModel::actionsCleared);

    model->clear();
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(model->rowCount(), 0);
    QVERIFY(!model->action(QStringLiteral("mHelp")));
    QVERIFY(nested.isNull());
    QVERIFY(bar.actions().isEmpty());

    model->clear();
    QCOMPARE(cleared.count(), 1);

    // The model keeps working after a clear.
    QVERIFY(model->addAction(QStringLiteral("mFile/mOpen")));
    QCOMPARE(bar.actions().size(), 1);
}

void tst_ActionsModel::menuBarTakesExistingMenus()
{
    kuActionsModel model;
    model.addAction(QStringLiteral("mFile/mOpen"));
    model.addAction(QStringLiteral("mTop"));
    model.addAction(QStringLiteral("mHelp/mAbout"));

    kuActionsMenuBar bar;
    bar.setModel(&model);
    // Plain top-level commands are not menus and stay off the bar.
    QCOMPARE(bar.actions(),
             (QList<QAction*>{model.action(QStringLiteral("mFile")), model.action(QStringLiteral("mHelp"))}));

    kuActionsModel other;
    bar.setModel(&other);
    QVERIFY(bar.actions().isEmpty());
    model.addAction(QStringLiteral("mTools/mOptions"));
    QVERIFY(bar.actions().isEmpty());
    bar.setModel(nullptr);
}

QTEST_MAIN(tst_ActionsModel)
#include "tst_actionsmodel.moc"
