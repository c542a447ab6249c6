#include "kuclient.h"

#include "kuabstractpluginwidget.h"
#include "kuaccount.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuclientmakers.h"
#include "kuconnectionmanager.h"
#include "kuiconmanager.h"
#include "kupaperlist.h"
#include "kupluginloader.h"
#include "kupluginmanager.h"
#include "kuplugintable.h"
#include "kutabwidget.h"
#include "kuworkspace.h"

#include <QAction>
#include <QApplication>
#include <QDebug>
#include <QDialog>
#include <QIcon>
#include <QKeySequence>
#include <QMetaMethod>

namespace {
QIcon themedIcon(const QString& name)
{
    return kuIconManager::icon(name);
}

const QString removeWorkspacePath = QStringLiteral("mFile/mRemoveWorkspace");
const QString saveWorkspacePath = QStringLiteral("mFile/mSaveWorkspace");
const QString loadWorkspacePath = QStringLiteral("mFile/mLoadWorkspace");

// Menu entries that open a kind of window: disabled while no maker builds it,
// or, for a window of an instrument, while there is no chooser to pick one.
struct MakerEntry
{
    const char* path;
    WinType winType;
    bool choosesPaper;
};
const MakerEntry makerEntries[] = {
        {"mAdd/mChart", wtChart, true},
        {"mAdd/mOrderBook", wtOrderBook, true},
        {"mAdd/mLastTrades", wtLastTrades, true},
        {"mAdd/mQuotes", wtQuotes, false},
        {"mAccount/mAccountStatus", wtPortfolio, false},
        {"mAccount/mAccountOrders", wtOrders, false},
        {"mAccount/mAccountTrades", wtTrades, false},
};
} // namespace

void kuClient::createMenus()
{
    kuActionsModel* model = actionsMenuBar()->model();
    auto action = [this, model](const QString& path, const QString& text, const QString& icon, auto slot) {
        QAction* added = model->addAction(path, text, icon.isEmpty() ? QIcon() : themedIcon(icon));
        if (added)
            connect(added, &QAction::triggered, this, slot);
        return added;
    };

    model->addMenu(QStringLiteral("mFile"), tr("Файл"));
    action(QStringLiteral("mFile/mAppendWorkspace"), tr("Добавить рабочую область"), QStringLiteral("add_new_tab.png"),
           &kuClient::slot_addWorkSpace);
    action(removeWorkspacePath, tr("Закрыть рабочую область"), QStringLiteral("delete_tab.png"),
           &kuClient::slot_removeWorkSpace);
    action(QStringLiteral("mFile/mRenameWorkspace"), tr("Переименовать рабочую область"),
           QStringLiteral("edit_tab.png"), &kuClient::slot_renameWorkspace);
    model->addSeparator(QStringLiteral("mFile/mSepWorkspace"));
    action(saveWorkspacePath, tr("Сохранить настройки"), QString(), &kuClient::slot_saveWorkSpace);
    action(loadWorkspacePath, tr("Загрузить настройки"), QString(), &kuClient::slot_loadWorkSpace);
    model->addSeparator(QStringLiteral("mFile/mSepQuit"));
    if (QAction* quit =
                action(QStringLiteral("mFile/aQuit"), tr("Выход"), QStringLiteral("ku_exit.png"), &QWidget::close))
        quit->setShortcut(QKeySequence(tr("Ctrl+Q"), QKeySequence::NativeText));

    model->addMenu(QStringLiteral("mAdd"), tr("Добавить"));
    action(QStringLiteral("mAdd/mChart"), tr("График"), QStringLiteral("chart.png"), &kuClient::slot_createChart);
    action(QStringLiteral("mAdd/mOrderBook"), tr("Биржевые заявки"), QStringLiteral("orderbook.png"),
           &kuClient::slot_createOrderBook);
    action(QStringLiteral("mAdd/mLastTrades"), tr("Все сделки"), QStringLiteral("all.trades.png"),
           &kuClient::slot_createLastTrades);
    action(QStringLiteral("mAdd/mQuotes"), tr("Котировки"), QStringLiteral("chart.png"), &kuClient::slot_createQuotes);

    model->addMenu(QStringLiteral("mAccount"), tr("Счет"));
    if (QAction* addOrder = model->addAction(QStringLiteral("mAccount/mAddOrder"), tr("Ввод поручения"))) {
        addOrder->setShortcut(QKeySequence(tr("Ctrl+T"), QKeySequence::NativeText));
        connect(addOrder, &QAction::triggered, this, [this] {
            orderManager();
            if (m_orderManagerDialog)
                m_orderManagerDialog->exec();
        });
    }
    action(QStringLiteral("mAccount/mAccountStatus"), tr("Состояние счета"), QString(),
           &kuClient::slot_openWinPositions);
    model->addSeparator(QStringLiteral("mAccount/mSepAddOrder"));
    action(QStringLiteral("mAccount/mAccountOrders"), tr("Поручения"), QString(), &kuClient::slot_openWinOrders);
    action(QStringLiteral("mAccount/mAccountTrades"), tr("Сделки"), QString(), &kuClient::slot_openWinTrades);

    model->addMenu(QStringLiteral("mPlugins"), tr("Расширения"));
    if (QAction* manager = model->addAction(QStringLiteral("mPlugins/mPluginManager"), tr("Управление расширениями")))
        connect(manager, &QAction::triggered, this, [this] { pluginManager()->exec(); });
    model->addSeparator(QStringLiteral("mPlugins/mSepPlugins"));
    loadPluginActions();

    model->addMenu(QStringLiteral("mHelp"), tr("Помощь"));
    if (QAction* guide = action(QStringLiteral("mHelp/mUserGuide"), tr("Руководство пользователя"), QString(),
                                &kuClient::slot_showUserGuide))
        guide->setShortcut(QKeySequence::HelpContents);
    model->addSeparator(QStringLiteral("mHelp/mSepHelp"));
    action(QStringLiteral("mHelp/mAboutQt"), tr("О Qt5"), QString(), &QApplication::aboutQt);

    updateMakerActions();
    updateWorkspaceSettingActions();
}

void kuClient::updateWorkspaceSettingActions()
{
    if (!m_menuBar)
        return;
    // Without the dialog the entries would lead nowhere.
    const bool available = bool(clientMakers().makeWorkspaceSetting);
    for (const QString& path : {saveWorkspacePath, loadWorkspacePath}) {
        if (QAction* action = m_menuBar->model()->action(path))
            action->setEnabled(available);
    }
}

void kuClient::updateMakerActions()
{
    if (!m_menuBar)
        return;
    kuActionsModel* model = m_menuBar->model();
    for (const MakerEntry& entry : makerEntries) {
        if (QAction* action = model->action(QLatin1String(entry.path)))
            action->setEnabled(hasWindowMaker(entry.winType) &&
                               (!entry.choosesPaper || clientMakers().makePaperListForm));
    }
}

void kuClient::updateRemoveWorkspaceAction()
{
    if (!m_menuBar || !m_tabWidget)
        return;
    if (QAction* action = m_menuBar->model()->action(removeWorkspacePath))
        action->setEnabled(m_tabWidget->count() > 1);
}

void kuClient::loadPluginActions()
{
    // Plug-ins the table does not list yet (never seen by the plug-in manager) are enabled.
    const QHash<QString, bool> enabled = kuPluginTable().enabledPlugins();
    for (const auto& plugin : loadPlugins<WidgetPluginInterface>(pkWidget)) {
        const QString guid = plugin->guid();
        if (!enabled.value(guid, true) || m_pluginGuids.contains(guid))
            continue;
        const QSharedPointer<kuAbstractPluginWidget> window =
                plugin->createWindow(kuPaperList::instance().data(), kuAccount::instance().data(),
                                     kuConnectionManager::instance().data(), this);
        if (!window)
            continue;
        m_pluginGuids << guid;
        m_pluginWindows << window;
        addPluginActions(window.data());
    }
}

void kuClient::addPluginActions(kuAbstractPluginWidget* widget)
{
    if (!widget)
        return;
    kuActionsModel* model = actionsMenuBar()->model();
    const QJsonObject entries = widget->menuEntries();
    for (auto it = entries.constBegin(); it != entries.constEnd(); ++it) {
        const QJsonObject entry = it.value().toObject();
        if (entry.isEmpty())
            continue;
        const QString callback = entry.value(QStringLiteral("callback")).toString();
        const QString text = entry.value(QStringLiteral("description")).toString();
        const QString iconName = entry.value(QStringLiteral("icon")).toString();
        // A plug-in may name a file of its own resources in place of a theme's.
        const QIcon icon = iconName.isEmpty()                      ? QIcon()
                           : iconName.startsWith(QLatin1Char(':')) ? QIcon(iconName)
                                                                   : themedIcon(iconName);
        if (callback.isEmpty()) {
            if (!model->addMenu(it.key(), text, icon))
                qWarning().noquote() << "Plug-in menu not added:" << it.key();
            continue;
        }
        QAction* action = model->addAction(it.key(), text, icon);
        if (!action) {
            qWarning().noquote() << "Plug-in menu entry not added:" << it.key();
            continue;
        }
        const QByteArray signature = QMetaObject::normalizedSignature(callback.toLatin1().constData());
        const int method = widget->metaObject()->indexOfMethod(signature.constData());
        if (method < 0) {
            qWarning().noquote() << "Plug-in entry" << it.key() << "calls no method:" << signature;
            continue;
        }
        connect(action, QMetaMethod::fromSignal(&QAction::triggered), widget, widget->metaObject()->method(method));
    }
}

// ---- workspace entries of the File menu ----

void kuClient::slot_addWorkSpace()
{
    kuTabWidget* tabs = tabWidget();
    tabs->addWorkSpace(new kuWorkSpace(tabs), tr("Рабочий стол №%1").arg(tabs->count() + 1));
    updateRemoveWorkspaceAction();
}

void kuClient::slot_removeWorkSpace()
{
    if (!m_menuBar || !m_menuBar->model()->action(removeWorkspacePath))
        return;
    // The last workspace stays: open commands need one.
    if (tabWidget()->count() > 1)
        tabWidget()->removeWorkSpace(tabWidget()->currentIndex());
    updateRemoveWorkspaceAction();
}

void kuClient::slot_renameWorkspace()
{
    tabWidget()->renameWorkspace(tabWidget()->currentIndex());
}
