#include "clientfixture.h"
#include "containerwidget.h"
#include "dcmessagepack.h"
#include "kuabstractpluginwidget.h"
#include "kuaccessdb.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuapplication.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kulightboxwidget.h"
#include "kumigration.h"
#include "kupaperlist.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuqueuedmessagewidget.h"
#include "kusettingshash.h"
#include "kutabwidget.h"
#include "kuworkspace.h"
#include "logcapture.h"
#include "recordingconnector.h"
#include "sectioncontent.h"

#include <QAction>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QUuid>
#include <QtTest>

// The shell knows the chooser only by name; here it is a dialog that is closed or accepted.
class kuPaperListForm : public QDialog
{
public:
    using QDialog::QDialog;
    int refills = 0;
    int current = 42;
};

namespace {

class PluginWidget : public kuAbstractPluginWidget
{
    Q_OBJECT
public:
    PluginWidget() : kuAbstractPluginWidget(nullptr, nullptr, nullptr) {}
    QJsonObject entries;
    int runs = 0;
    QJsonObject menuEntries() override { return entries; }
public slots:
    void run() { ++runs; }
};

// Stands in for the desktop's viewer of local files.
class FileOpener : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

QString userGuidePath()
{
    return QCoreApplication::applicationDirPath() + "/doc/Velmoran.pdf";
}

void registerChooser()
{
    kuClient::setPaperListFormCreator(
            [](QWidget* parent) {
                auto* form = new kuPaperListForm(parent);
                return std::make_pair(form, static_cast<QDialog*>(form));
            },
            [](kuPaperListForm* form) { ++form->refills; }, [](kuPaperListForm* form) { return form->current; });
}

QString menuText(kuActionsModel* model, QAction* parent, const QString& indent = QString())
{
    QStringList lines;
    for (QAction* action : model->children(parent)) {
        if (action->isSeparator()) {
            lines << indent + model->path(action) + " -";
            continue;
        }
        QString line = indent + model->path(action) + " " + action->text();
        if (!action->icon().isNull())
            line += " [icon]";
        if (!action->shortcut().isEmpty())
            line += " " + action->shortcut().toString(QKeySequence::PortableText);
        if (!action->isEnabled())
            line += " (off)";
        lines << line;
        if (action->menu()) {
            const QString below = menuText(model, action, indent + "  ");
            if (!below.isEmpty())
                lines << below;
        }
    }
    return lines.join('\n');
}

} // namespace

class tst_Client : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void title_data();
    void title();
    void firstShow();
    void workspaces();
    void menus();
    void pluginEntries();
    void singleWindowSwitchesTab();
    void portfoliosGetTheirOwnNames();
    void paperWindows_data();
    void paperWindows();
    void entriesFollowTheMakers();
    void choosePaper_data();
    void choosePaper();
    void confirmationsReachTheBar();
    void resubscription();
    void instrumentListError();
    void userGuideMissing();
    void userGuideOpens_data();
    void userGuideOpens();
    void close_data();
    void close();
    void cleanupTestCase();

private:
    kuActionsModel* model() { return m_client->actionsMenuBar()->model(); }
    kuWorkSpace* freshWorkspace()
    {
        m_client->slot_addWorkSpace();
        kuTabWidget* tabs = m_client->tabWidget();
        tabs->setCurrentIndex(tabs->count() - 1);
        return m_client->currentWorkSpace();
    }

    std::unique_ptr<RecordingSession> m_session;
    QPointer<kuClient> m_client;
};

void tst_Client::initTestCase()
{
    m_session = std::make_unique<RecordingSession>();
    auto paper = [](int id, const char* ticker, const char* issuer) {
        return QSharedPointer<kuPaperInfo>::create(id, ticker, issuer, 1, 1, 0.01, 0, 0, 0, true, ticker, "", 1,
                                                   "MOEX");
    };
    kuPaperList::instance()->addPaper(5, paper(5, "ABCD", "Issuer"));
    kuPaperList::instance()->addPaper(6, paper(6, "EFGH", "Other"));
    registerStreamWindowMakers({wtQuotes, wtOrders, wtTrades, wtChart, wtOrderBook, wtLastTrades, wtPortfolio});
    m_client = kuClient::createInstance();
    registerChooser();
    m_client->setCloseWaitMs(0);
}

void tst_Client::title_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("title");
    QTest::newRow("null") << QString() << "Velmoran 1.6.3";
    QTest::newRow("empty") << ""
                           << "Velmoran 1.6.3";
    QTest::newRow("path") << "D:/layouts/main.vlm"
                          << "Velmoran 1.6.3 - D:/layouts/main.vlm";
}

void tst_Client::title()
{
    QFETCH(QString, path);
    QFETCH(QString, title);
    m_client->setTitle(path);
    QCOMPARE(m_client->windowTitle(), title);
    m_client->setTitle();
    QCOMPARE(m_client->windowTitle(), QStringLiteral("Velmoran 1.6.3"));
}

// Sized once, wired to the connection and covered until the instrument list is in.
void tst_Client::firstShow()
{
    auto* overlay = m_client->findChild<kuLightBoxWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(overlay);
    QVERIFY(overlay->isHidden());
    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QCOMPARE(m_client->geometry().size(), QSize(qRound(0.6 * available.width()), qRound(0.6 * available.height())));
    // The registry was filled before the show: the layout is put in place and the overlay is down at once.
    QVERIFY(overlay->isHidden());
    QVERIFY(m_client->layoutRestored());

    m_client->resize(500, 400);
    m_client->hide();
    m_client->show();
    QCOMPARE(m_client->size(), QSize(500, 400));

    kuTabWidget* tabs = m_client->tabWidget();
    emit m_session->manager.on_connStatusChange(false);
    QVERIFY(!tabs->status());
    emit m_session->manager.on_connStatusChange(true);
    QVERIFY(tabs->status());
}

void tst_Client::workspaces()
{
    kuTabWidget* tabs = m_client->tabWidget();
    QAction* remove = model()->action("mFile/mRemoveWorkspace");
    QVERIFY(remove);
    QCOMPARE(tabs->count(), 1);
    QCOMPARE(tabs->tabName(0), QStringLiteral("Рабочий стол"));
    QVERIFY(!remove->isEnabled());
    m_client->slot_removeWorkSpace();
    QCOMPARE(tabs->count(), 1);

    for (int i = 0; i < 3; ++i)
        model()->action("mFile/mAppendWorkspace")->trigger();
    QCOMPARE(tabs->count(), 4);
    QCOMPARE(tabs->tabName(1), QStringLiteral("Рабочий стол №2"));
    QCOMPARE(tabs->tabName(2), QStringLiteral("Рабочий стол №3"));
    QCOMPARE(tabs->tabName(3), QStringLiteral("Рабочий стол №4"));
    QVERIFY(remove->isEnabled());

    // Tabs closed and added by the tab bar keep the entry in step too.
    tabs->removeTab(3);
    tabs->removeTab(2);
    QVERIFY(remove->isEnabled());
    tabs->removeTab(1);
    QVERIFY(!remove->isEnabled());
    tabs->newWorkSpace();
    QVERIFY(remove->isEnabled());

    {
        BoxAnswers answers("Вы уверены, что хотите закрыть рабочую область?", QMessageBox::Ok);
        tabs->setCurrentIndex(1);
        remove->trigger();
        QVERIFY(answers.asked);
    }
    QCOMPARE(tabs->count(), 1);
    QVERIFY(!remove->isEnabled());
}

void tst_Client::menus()
{
    const QString help = QKeySequence(QKeySequence::HelpContents).toString(QKeySequence::PortableText);
    QCOMPARE(menuText(model(), nullptr),
             QStringLiteral("mFile Файл\n"
                            "  mFile/mAppendWorkspace Добавить рабочую область [icon]\n"
                            "  mFile/mRemoveWorkspace Закрыть рабочую область [icon] (off)\n"
                            "  mFile/mRenameWorkspace Переименовать рабочую область [icon]\n"
                            "  mFile/mSepWorkspace -\n"
                            "  mFile/mSaveWorkspace Сохранить настройки (off)\n"
                            "  mFile/mLoadWorkspace Загрузить настройки (off)\n"
                            "  mFile/mSepQuit -\n"
                            "  mFile/aQuit Выход [icon] Ctrl+Q\n"
                            "mAdd Добавить\n"
                            "  mAdd/mChart График [icon]\n"
                            "  mAdd/mOrderBook Биржевые заявки [icon]\n"
                            "  mAdd/mLastTrades Все сделки [icon]\n"
                            "  mAdd/mQuotes Котировки [icon]\n"
                            "mAccount Счет\n"
                            "  mAccount/mAddOrder Ввод поручения Ctrl+T\n"
                            "  mAccount/mAccountStatus Состояние счета\n"
                            "  mAccount/mSepAddOrder -\n"
                            "  mAccount/mAccountOrders Поручения\n"
                            "  mAccount/mAccountTrades Сделки\n"
                            "mPlugins Расширения\n"
                            "  mPlugins/mPluginManager Управление расширениями\n"
                            "  mPlugins/mSepPlugins -\n"
                            "mHelp Помощь\n"
                            "  mHelp/mUserGuide Руководство пользователя ") +
                     help +
                     QStringLiteral("\n"
                                    "  mHelp/mSepHelp -\n"
                                    "  mHelp/mAboutQt О Qt5"));
    QCOMPARE(model()->action("mAdd/mQuotes")->icon().cacheKey(), model()->action("mAdd/mChart")->icon().cacheKey());
    QStringList bar;
    for (QAction* action : m_client->actionsMenuBar()->actions())
        bar << action->text();
    QCOMPARE(bar, (QStringList{"Файл", "Добавить", "Счет", "Расширения", "Помощь"}));
}

// Keys are paths; no callback makes a menu; a callback the widget lacks leaves a dead entry.
void tst_Client::pluginEntries()
{
    PluginWidget widget;
    widget.entries = QJsonObject{
            {"mPlugins/mTool", QJsonObject{{"description", "Инструменты"}, {"icon", "chart.png"}}},
            {"mPlugins/mTool/aRun", QJsonObject{{"callback", "run( )"}, {"description", "Запуск"}}},
            {"mPlugins/aBad", QJsonObject{{"callback", "missing()"}, {"description", "Пусто"}}},
            {"mPlugins/aEmpty", QJsonObject{}},
    };
    LogCapture log;
    m_client->addPluginActions(&widget);
    QVERIFY(log.contains("missing()"));

    QAction* tool = model()->action("mPlugins/mTool");
    QVERIFY(tool && tool->menu());
    QCOMPARE(tool->text(), QStringLiteral("Инструменты"));
    QVERIFY(!tool->icon().isNull());
    QAction* run = model()->action("mPlugins/mTool/aRun");
    QVERIFY(run && !run->menu());
    QCOMPARE(run->text(), QStringLiteral("Запуск"));
    run->trigger();
    QCOMPARE(widget.runs, 1);
    QAction* bad = model()->action("mPlugins/aBad");
    QVERIFY(bad);
    bad->trigger();
    QCOMPARE(widget.runs, 1);
    QVERIFY(!model()->action("mPlugins/aEmpty"));
    QVERIFY(model()->removeAction("mPlugins/mTool"));
    QVERIFY(model()->removeAction("mPlugins/aBad"));
}

// Asked again while docked in tab 2 with tab 1 current: tab 2 comes to the front, no second dock.
void tst_Client::singleWindowSwitchesTab()
{
    kuTabWidget* tabs = m_client->tabWidget();
    kuWorkSpace* first = m_client->workSpace(0);
    kuWorkSpace* second = freshWorkspace();
    model()->action("mAdd/mQuotes")->trigger();
    QVERIFY(second->containsWindow("kuQuotes"));
    kuWindowBase* quotes = m_client->quotesWindow();
    QCOMPARE(quotes->windowTitle(), QStringLiteral("Котировки"));
    QCOMPARE(quotes->parentWidget() != nullptr, true);

    tabs->setCurrentIndex(0);
    model()->action("mAdd/mQuotes")->trigger();
    QCOMPARE(tabs->currentIndex(), 1);
    QVERIFY(!first->containsWindow("kuQuotes"));
    QCOMPARE(second->container()->contents().size(), 1);
    QCOMPARE(m_client->quotesWindow(), quotes);

    model()->action("mAccount/mAccountOrders")->trigger();
    model()->action("mAccount/mAccountTrades")->trigger();
    QVERIFY(second->containsWindow("kuOrders"));
    QVERIFY(second->containsWindow("kuTrades"));
    QCOMPARE(m_client->ordersWindow()->windowTitle(), QStringLiteral("Поручения"));
    QCOMPARE(m_client->tradesWindow()->windowTitle(), QStringLiteral("Сделки"));
    tabs->removeTab(1);
    QTRY_VERIFY(!m_client->workSpace(1));
}

void tst_Client::portfoliosGetTheirOwnNames()
{
    kuWorkSpace* ws = freshWorkspace();
    model()->action("mAccount/mAccountStatus")->trigger();
    model()->action("mAccount/mAccountStatus")->trigger();
    const auto contents = ws->container()->contents();
    QCOMPARE(contents.size(), 2);
    QVERIFY(contents.at(0)->uniqueName() != contents.at(1)->uniqueName());
    for (const auto& sc : contents) {
        QVERIFY(!QUuid(sc->uniqueName()).isNull());
        QCOMPARE(sc->contentWidget()->windowTitle(), QStringLiteral("Состояние счета"));
    }
    m_client->tabWidget()->removeTab(m_client->tabWidget()->count() - 1);
}

void tst_Client::paperWindows_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("paper");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::newRow("chart") << int(wtChart) << 5 << QString() << "График Issuer";
    QTest::newRow("order book") << int(wtOrderBook) << 5 << QString() << "ABCD - Issuer";
    QTest::newRow("last trades") << int(wtLastTrades) << 6 << QString() << "EFGH - Other";
    QTest::newRow("given name kept") << int(wtChart) << 5 << "{b3c1b6a4-0000-4000-8000-000000000001}"
                                     << "График Issuer";
    QTest::newRow("unknown instrument") << int(wtOrderBook) << 999 << QString() << QString();
}

void tst_Client::paperWindows()
{
    QFETCH(int, type);
    QFETCH(int, paper);
    QFETCH(QString, name);
    QFETCH(QString, title);
    kuWorkSpace* ws = freshWorkspace();
    const int windows = m_client->findChildren<kuWindowBase*>().size();
    if (type == wtChart)
        m_client->addChartWindow(ws, paper, name, QJsonObject());
    else if (type == wtOrderBook)
        m_client->addOrderBookWindow(ws, paper, name, QJsonObject());
    else
        m_client->addLastTradesWindow(ws, paper, name, QJsonObject());
    const auto contents = ws->container()->contents();
    if (title.isEmpty()) {
        QVERIFY(contents.isEmpty());
        QCOMPARE(m_client->findChildren<kuWindowBase*>().size(), windows);
    } else {
        QCOMPARE(contents.size(), 1);
        auto* window = qobject_cast<kuWindowBase*>(contents.first()->contentWidget());
        QCOMPARE(window->windowTitle(), title);
        QCOMPARE(window->paperID(), paper);
        QCOMPARE(window->winType(), WinType(type));
        if (!name.isEmpty())
            QCOMPARE(contents.first()->uniqueName(), name);
    }
    m_client->tabWidget()->removeTab(m_client->tabWidget()->count() - 1);
}

void tst_Client::entriesFollowTheMakers()
{
    QAction* orderBook = model()->action("mAdd/mOrderBook");
    QVERIFY(orderBook->isEnabled());
    kuClient::setWindowMaker(wtOrderBook, {});
    QVERIFY(!orderBook->isEnabled());
    QVERIFY(!kuClient::hasWindowMaker(wtOrderBook));
    kuWorkSpace* ws = m_client->currentWorkSpace();
    const int contents = ws->container()->contents().size();
    m_client->createOrderBook(5);
    QCOMPARE(ws->container()->contents().size(), contents);
    registerStreamWindowMakers({wtOrderBook});
    QVERIFY(orderBook->isEnabled());

    // A window of an instrument needs the chooser too.
    kuClient::setPaperListFormCreator({}, {}, {});
    QVERIFY(!model()->action("mAdd/mChart")->isEnabled());
    QVERIFY(model()->action("mAdd/mQuotes")->isEnabled());
    registerChooser();
    QVERIFY(model()->action("mAdd/mChart")->isEnabled());
}

void tst_Client::choosePaper_data()
{
    QTest::addColumn<bool>("accept");
    QTest::addColumn<int>("chosen");
    QTest::newRow("closed") << false << 0;
    QTest::newRow("accepted") << true << 42;
}

void tst_Client::choosePaper()
{
    QFETCH(bool, accept);
    QFETCH(int, chosen);
    kuPaperListForm* form = m_client->paperListForm();
    QVERIFY(form);
    QCOMPARE(m_client->paperListForm(), form);
    QCOMPARE(form->parentWidget(), m_client.data());
    const int refills = form->refills;
    QTimer::singleShot(0, form, [form, accept] { accept ? form->accept() : form->reject(); });
    QCOMPARE(m_client->choosePaper(), chosen);
    QCOMPARE(form->refills, refills + 1);
}

// Wired once, by the main window: one message per confirmation and per failed request.
void tst_Client::confirmationsReachTheBar()
{
    kuQueuedMessageWidget* messages = m_client->currentWorkSpace()->messageBar()->messageWidget();
    const int before = messages->count();
    emit m_session->converter.on_infoMessage("Поручение на покупку ABCD в количестве 1. Успешно отправлено.", 5000);
    QCOMPARE(messages->count(), before + 1);
    QCOMPARE(messages->currentMessage().timeout, 5000);
    QVERIFY(!messages->currentMessage().pixmap.isNull());
    m_client->showInfoMessage(QString(), 5000);
    m_client->showErrorMessage(QString(), 5000);
    QCOMPARE(messages->count(), before + 1);
    emit m_session->converter.on_errorMessage("Запрос к серверу не выполнен: сделки.", 10000);
    QCOMPARE(messages->count(), before + 2);
}

// Open windows subscribe again: nothing goes out for a live stream on the same
// session; on a new session each open window asks anew, a closed one never.
void tst_Client::resubscription()
{
    kuWorkSpace* ws = freshWorkspace();
    RecordingConn* conn = m_session->conn();
    conn->session = "first";
    conn->take();
    m_client->createOrderBook(5);
    m_client->createOrderBook(6);
    QCOMPARE(conn->take(), (QStringList{"getOrderBook 5", "getOrderBook 6"}));
    emit m_session->converter.on_snapshotOrderBook(5, QJsonArray());
    emit m_session->converter.on_snapshotOrderBook(6, QJsonArray());

    ads::SectionContent::RefPtr six;
    for (const auto& sc : ws->container()->contents()) {
        if (qobject_cast<kuWindowBase*>(sc->contentWidget())->paperID() == 6)
            six = sc;
    }
    QVERIFY(six);
    const QString name = six->uniqueName();
    QPointer<QWidget> closed = six->contentWidget();
    ws->container()->hideSectionContent(six);
    six.clear();
    QCOMPARE(conn->take(), QStringList{"unsubscribe 10 6"});
    QTRY_VERIFY(!closed);
    QVERIFY(!ws->containsWindow(name));

    emit m_session->manager.on_connStatusChange(true);
    QCOMPARE(conn->count("getOrderBook"), 0);
    conn->session = "second";
    emit m_session->manager.on_connStatusChange(true);
    QCOMPARE(conn->requests.filter("getOrderBook"), QStringList{"getOrderBook 5"});
    emit m_session->manager.on_connStatusChange(false);
    m_client->tabWidget()->removeTab(m_client->tabWidget()->count() - 1);
}

// Only the instrument list's error closes the main window, through the close question.
void tst_Client::instrumentListError()
{
    {
        BoxAnswers answers("Сохранить рабочее пространство?", QMessageBox::Cancel);
        m_client->slot_showError(wtOrderBook, "Нет стакана", 5);
        QVERIFY(answers.others.isEmpty());
        m_client->slot_showError(wtInitInfo, "Нет списка инструментов", -100);
        QCOMPARE(answers.others, QStringList{"Нет списка инструментов"});
        QVERIFY(answers.asked);
    }
    QVERIFY(m_client->isVisible());
}

void tst_Client::userGuideMissing()
{
    const QString path = userGuidePath();
    QFile::remove(path);
    LogCapture log;
    BoxAnswers answers(QString(), QMessageBox::Ok);
    model()->action("mHelp/mUserGuide")->trigger();
    QCOMPARE(answers.others, QStringList{"Файл документации не найден: " + path});
    QCOMPARE(log.lines({QtCriticalMsg}), QStringList{"FILE NOT FOUND: " + QUrl::fromLocalFile(path).toString()});
    QVERIFY(!log.lines().join(' ').contains("////"));
}

void tst_Client::userGuideOpens_data()
{
    // "none": no xdg-open on PATH, the desktop services of Qt open the file; else the
    // exit code of a stand-in xdg-open (3: it found no program for the file).
    QTest::addColumn<QString>("xdgOpen");
    QTest::addColumn<bool>("viewer");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("logged");
    const QString error = "Не удалось открыть файл документации: " + userGuidePath() +
                          "\nПроверьте, что в системе есть программа для просмотра PDF.";
    const QString logged = "CANNOT OPEN: " + QUrl::fromLocalFile(userGuidePath()).toString();
    QTest::newRow("viewer") << "none" << true << QString() << QString();
    QTest::newRow("no viewer") << "none" << false << error << logged;
    QTest::newRow("xdg-open finds a viewer") << "0" << false << QString() << QString();
    QTest::newRow("xdg-open finds none") << "3" << false << error << logged;
}

// With the guide beside the program F1 hands exactly that file to the desktop; only
// a desktop that cannot show it gets a message, and not the one of a missing file.
void tst_Client::userGuideOpens()
{
    QFETCH(QString, xdgOpen);
    QFETCH(bool, viewer);
    QFETCH(QString, error);
    QFETCH(QString, logged);
    const QString path = userGuidePath();
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("%PDF-1.4\n");
    file.close();
    const auto removeFile = qScopeGuard([path] { QDir(QFileInfo(path).absolutePath()).removeRecursively(); });
    FileOpener opener;
    if (viewer)
        QDesktopServices::setUrlHandler("file", &opener, "open");
    const auto removeHandler = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
    // PATH holds only the stand-in xdg-open, which notes the file it was given.
    QTemporaryDir bin;
    const QString opened = bin.filePath("opened");
    if (xdgOpen != "none") {
        QFile script(bin.filePath("xdg-open"));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(QStringLiteral("#!/bin/sh\nprintf '%s' \"$1\" > '%1'\nexit %2\n").arg(opened, xdgOpen).toUtf8());
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
    }
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin.path()));
    const auto restorePath = qScopeGuard([savedPath] { qputenv("PATH", savedPath); });

    LogCapture log;
    BoxAnswers answers(QString(), QMessageBox::Ok);
    m_client->show();
    m_client->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_client));
    QCOMPARE(model()->action("mHelp/mUserGuide")->shortcut(), QKeySequence(Qt::Key_F1));
    QTest::keyClick(m_client, Qt::Key_F1);
    if (!error.isEmpty())
        QTRY_COMPARE(answers.others.size(), 1);
    if (xdgOpen != "none") {
        QTRY_VERIFY(QFileInfo::exists(opened));
        QFile given(opened);
        QVERIFY(given.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromLocal8Bit(given.readAll()), path);
        // Its exit is waited for: no late box.
        QTRY_VERIFY(m_client->findChildren<QProcess*>().isEmpty());
    }
    QCOMPARE(opener.urls, viewer ? QList<QUrl>{QUrl::fromLocalFile(path)} : QList<QUrl>{});
    QCOMPARE(answers.others, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(log.lines({QtCriticalMsg}), logged.isEmpty() ? QStringList() : QStringList{logged});
}

void tst_Client::close_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("restored");
    // What the settings file in use is: "sound", "folder" (no write goes there) or
    // "damaged" (found so at the start and not set aside).
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("error");
    const int yes = QMessageBox::Yes;
    QTest::newRow("cancel") << int(QMessageBox::Cancel) << true << "sound" << false << false << QString();
    QTest::newRow("no") << int(QMessageBox::No) << true << "sound" << true << false << QString();
    QTest::newRow("yes, never restored") << yes << false << "sound" << true << false << QString();
    QTest::newRow("yes") << yes << true << "sound" << true << true << QString();
    QTest::newRow("yes, write fails") << yes << true << "folder" << false << false
                                      << "Не удалось сохранить рабочее пространство в файл ";
    QTest::newRow("yes, damaged file kept") << yes << true << "damaged" << true << false << QString();
}

void tst_Client::close()
{
    QFETCH(int, answer);
    QFETCH(bool, restored);
    QFETCH(QString, file);
    QFETCH(bool, closed);
    QFETCH(bool, written);
    QFETCH(QString, error);

    QTemporaryDir dir;
    const QString path = dir.filePath("layout.vlm");
    QPointer<kuApplication> app = kuApplication::instance();
    QVERIFY(app->saveSettings(QJsonObject{{"marker", 1}}, path));
    app->loadSettings(path);
    QCOMPARE(app->settingsFilePath(), path);
    const bool writable = file != "folder";
    if (!writable) {
        QVERIFY(QFile::remove(path));
        QVERIFY(QDir().mkdir(path));
    }
    LogCapture log;
    if (file == "damaged") {
        QVERIFY(updateDatabaseSchema());
        kuAccessDB db;
        QVERIFY(db.executeNonQuery("insert or replace into settings(path, hash) values(?1, ?2);"
                                   "update settings set active_flag=1 where hash=?2;",
                                   {path, settingsHash(path)}));
        QFile damaged(path);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("qbjs, cut");
        damaged.close();
        app->loadActiveSettings();
        QCOMPARE(app->settingsFilePath(), path);
        QVERIFY(!app->mayOverwriteSettingsFile());
    }
    QFile saved(path);
    const QByteArray before = saved.open(QIODevice::ReadOnly) ? saved.readAll() : QByteArray();
    saved.close();

    m_client->show();
    m_client->setLayoutRestored(restored);
    RecordingConn* conn = m_session->conn();
    conn->take();
    {
        BoxAnswers answers("Сохранить рабочее пространство?", QMessageBox::StandardButton(answer));
        m_client->close();
        QVERIFY(answers.asked);
        QCOMPARE(answers.others.size(), error.isEmpty() ? 0 : 1);
        if (!error.isEmpty())
            QVERIFY(answers.others.first().startsWith(error + path));
    }
    QCOMPARE(m_client->isVisible(), !closed);
    QCOMPARE(conn->take(), closed ? QStringList{"unAuthorize Unknown"} : QStringList());
    if (written) {
        const QJsonObject layout = app->loadSettings(path).value("application").toObject();
        QVERIFY(layout.contains("tabs"));
        QVERIFY(layout.contains("geometry"));
    } else if (writable) {
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), before);
    }
    QCOMPARE(log.contains("Layout not saved"), file == "damaged");
    m_session->manager.blockAllSignals(false);
    m_client->setLayoutRestored(false);
}

void tst_Client::cleanupTestCase()
{
    delete m_client.data();
    QVERIFY(!kuClient::instance());
    m_session.reset();
}

int main(int argc, char** argv)
{
    return runClientTest<tst_Client>(argc, argv);
}

#include "tst_client.moc"
