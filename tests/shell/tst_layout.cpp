#include "clientfixture.h"
#include "containerwidget.h"
#include "dcmessagepack.h"
#include "kuactionsmenubar.h"
#include "kuactionsmodel.h"
#include "kuapplication.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kupaperlist.h"
#include "kutabwidget.h"
#include "kuworkspace.h"
#include "recordingconnector.h"

#include <QDialog>
#include <QDir>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

// The shell knows the saved settings dialog only by name; here it loads a path the test gives.
class kuWorkspaceSetting : public QDialog
{
public:
    QString path;
    bool accepted = true;
    int exec() override { return accepted ? QDialog::Accepted : QDialog::Rejected; }
};

namespace {

QJsonArray jsonArray(const char* text)
{
    return QJsonDocument::fromJson(text).array();
}

QJsonObject jsonObject(const char* text)
{
    return QJsonDocument::fromJson(text).object();
}

const QString closeQuestion = QStringLiteral("Сохранить рабочее пространство?");

} // namespace

class tst_Layout : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void restoreOnInstrumentList();
    void roundTrip();
    void emptyApplication();
    void restoreWindows_data();
    void restoreWindows();
    void load_data();
    void load();
    void cleanupTestCase();

private:
    void resetTabs(const QStringList& names);
    QStringList tabNames() const;
    // "tab:objectName" of every visible window, as the layout lists them.
    QStringList docked() const;
    // The trading windows alive under the main window.
    int windowCount() const { return m_client->findChildren<kuWindowBase*>().size(); }

    std::unique_ptr<RecordingSession> m_session;
    QPointer<kuClient> m_client;
    // Runs while the last-trades maker makes a window (in the middle of a restore).
    std::function<void()> m_duringMake;
};

void tst_Layout::initTestCase()
{
    m_session = std::make_unique<RecordingSession>();
    registerStreamWindowMakers({wtQuotes, wtOrders, wtTrades, wtChart, wtOrderBook, wtPortfolio});
    kuClient::setWindowMaker(wtLastTrades, [this](QWidget* parent, int paper) -> kuWindowBase* {
        if (m_duringMake)
            m_duringMake();
        auto* window = new StreamWindow(wtLastTrades, parent);
        window->setPaper(paper);
        return window;
    });
    m_client = kuClient::createInstance();
    m_client->setCloseWaitMs(0);
}

void tst_Layout::resetTabs(const QStringList& names)
{
    kuTabWidget* tabs = m_client->tabWidget();
    tabs->removeAllWorkSpace();
    for (const QString& name : names)
        tabs->addWorkSpace(new kuWorkSpace(tabs), name);
    tabs->setCurrentIndex(0);
}

QStringList tst_Layout::tabNames() const
{
    QStringList names;
    for (int i = 0; i < m_client->tabWidget()->count(); ++i)
        names << m_client->tabWidget()->tabName(i);
    return names;
}

QStringList tst_Layout::docked() const
{
    QStringList names;
    for (const QJsonValue& window : m_client->windowsState()) {
        const QJsonObject object = window.toObject();
        names << QString::number(object.value("tabIndex").toInt()) + ":" + object.value("objectName").toString();
    }
    return names;
}

// The first instrument list restores the saved layout once: a second list and a
// menu command in the middle start nothing, the instrument list's error is
// handled only until the restore ends, other listeners of the list stay.
void tst_Layout::restoreOnInstrumentList()
{
    QPointer<kuApplication> app = kuApplication::instance();
    app->setAppSettings(jsonObject(R"({"application": {
        "tabs": [{"index": 0, "name": "Сделки"}, {"index": 1, "name": "Графики"}],
        "settings": [{"winType": 13, "paperID": 5, "objectName": "lt", "tabIndex": 0},
                     {"winType": 7, "paperID": 5, "objectName": "c", "tabIndex": 1}]}})"));
    int lists = 0;
    QObject listener;
    connect(&m_session->converter, &kuAbstractDataConverter::on_snapshotPapers, &listener, [&lists] { ++lists; });

    m_client->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_client));
    QVERIFY(!m_client->layoutRestored());
    auto paper = [](int id, const char* ticker) {
        return QSharedPointer<kuPaperInfo>::create(id, ticker, "Issuer", 1, 1, 0.01, 0, 0, 0, true, ticker, "", 1,
                                                   "MOEX");
    };
    kuPaperList::instance()->addPaper(5, paper(5, "ABCD"));

    bool menusDuringRestore = true;
    m_duringMake = [&] {
        menusDuringRestore = m_client->actionsMenuBar()->isEnabled();
        emit m_session->converter.on_snapshotPapers();
        emit m_session->converter.on_receviedError(wtInitInfo, "Нет списка инструментов", 0);
    };
    {
        BoxAnswers answers(closeQuestion, QMessageBox::Cancel);
        emit m_session->converter.on_snapshotPapers();
        QCOMPARE(answers.others, QStringList{"Нет списка инструментов"});
        m_duringMake = nullptr;

        QCOMPARE(tabNames(), (QStringList{"Сделки", "Графики"}));
        QCOMPARE(docked(), (QStringList{"0:lt", "1:c"}));
        QCOMPARE(windowCount(), 2);
        QVERIFY(!menusDuringRestore);
        QVERIFY(m_client->actionsMenuBar()->isEnabled());
        QVERIFY(m_client->layoutRestored());
        QCOMPARE(lists, 2);

        emit m_session->converter.on_receviedError(wtInitInfo, "Нет списка инструментов", 0);
        emit m_session->converter.on_snapshotPapers();
        QCOMPARE(answers.others.size(), 1);
        QCOMPARE(tabNames().size(), 2);
        QCOMPARE(windowCount(), 2);
        QCOMPARE(lists, 3);
    }
}

// Two tabs, the quotes on the first, a chart of instrument 5 and a portfolio on the second:
// the same tabs, names and docking states come back, and saving again gives the same layout.
void tst_Layout::roundTrip()
{
    resetTabs({"Котировки", "Графики"});
    m_client->addQuotesWindow(m_client->workSpace(0), QJsonObject());
    m_client->addChartWindow(m_client->workSpace(1), 5, QString(), QJsonObject());
    m_client->addPortfolioWindow(m_client->workSpace(1), QString(), QJsonObject());
    const QJsonObject saved = m_client->saveState();
    const QStringList before = docked();
    QCOMPARE(before.size(), 3);

    resetTabs({"Прочее"});
    m_client->restoreState(QJsonObject{{"application", saved}});
    QCOMPARE(tabNames(), (QStringList{"Котировки", "Графики"}));
    QCOMPARE(docked(), before);
    QCOMPARE(windowCount(), 3);
    // Sizes follow the window (the first save was never laid out); the arrangement stays put.
    const QJsonObject again = m_client->saveState();
    QCOMPARE(again.value("settings"), saved.value("settings"));
    QCOMPARE(again.value("geometry"), saved.value("geometry"));
    resetTabs({"Прочее"});
    m_client->restoreState(QJsonObject{{"application", again}});
    QCOMPARE(docked(), before);
    QCOMPARE(m_client->saveState(), again);
}

// A fresh settings file: one workspace named Рабочий стол, the first show's geometry kept.
void tst_Layout::emptyApplication()
{
    const QRect geometry = m_client->geometry();
    m_client->tabWidget()->removeAllWorkSpace();
    m_client->restoreState(QJsonObject{{"application", QJsonObject()}});
    QCOMPARE(tabNames(), QStringList{"Рабочий стол"});
    QCOMPARE(m_client->geometry(), geometry);
    QVERIFY(!m_client->actionsMenuBar()->model()->action("mFile/mRemoveWorkspace")->isEnabled());

    // The same from the settings in use.
    kuApplication::instance()->setAppSettings(QJsonObject());
    m_client->tabWidget()->removeAllWorkSpace();
    m_client->restoreState();
    QCOMPARE(tabNames(), QStringList{"Рабочий стол"});
}

void tst_Layout::restoreWindows_data()
{
    QTest::addColumn<QJsonArray>("settings");
    QTest::addColumn<QStringList>("docked");

    QTest::newRow("to their tabs") << jsonArray(R"([{"winType": 7, "paperID": 5, "objectName": "c", "tabIndex": 0},
        {"winType": 10, "paperID": 5, "objectName": "b", "tabIndex": 1}])")
                                   << QStringList{"0:c", "1:b"};
    QTest::newRow("no tabIndex: current tab")
            << jsonArray(R"([{"winType": 10, "paperID": 5, "objectName": "b"}])") << QStringList{"1:b"};
    QTest::newRow("tabIndex without a tab")
            << jsonArray(R"([{"winType": 7, "paperID": 5, "objectName": "c", "tabIndex": 2},
        {"winType": 7, "paperID": 5, "objectName": "d", "tabIndex": -1}])")
            << QStringList();
    QTest::newRow("no instrument, or an unknown one")
            << jsonArray(R"([{"winType": 7, "paperID": 0, "tabIndex": 0}, {"winType": 10, "tabIndex": 0},
        {"winType": 13, "paperID": 999, "tabIndex": 0}])")
            << QStringList();
    QTest::newRow("unknown winType") << jsonArray(R"([{"winType": 1001, "paperID": 5, "tabIndex": 0},
        {"paperID": 5, "tabIndex": 0}])")
                                     << QStringList();
    QTest::newRow("name taken in its tab")
            << jsonArray(R"([{"winType": 7, "paperID": 5, "objectName": "c", "tabIndex": 0},
        {"winType": 10, "paperID": 5, "objectName": "c", "tabIndex": 0},
        {"winType": 80, "objectName": "c", "tabIndex": 0},
        {"winType": 7, "paperID": 5, "objectName": "c", "tabIndex": 1}])")
            << QStringList{"0:c", "1:c"};
    QTest::newRow("single windows") << jsonArray(R"([{"winType": 1, "objectName": "x", "tabIndex": 0},
        {"winType": 82, "tabIndex": 0}, {"winType": 83, "tabIndex": 1}, {"winType": 80, "objectName": "p", "tabIndex": 1}])")
                                    << QStringList{"0:kuQuotes", "0:kuOrders", "1:kuTrades", "1:p"};
    QTest::newRow("single window in two tabs")
            << jsonArray(
                       R"([{"winType": 1, "tabIndex": 0}, {"winType": 1, "tabIndex": 1}, {"winType": 82, "tabIndex": 1},
        {"winType": 82, "tabIndex": 1}])")
            << QStringList{"0:kuQuotes", "1:kuOrders"};
}

// Every object of a broken or foreign layout is skipped before its window is
// made: nothing is asked of the server for it and nothing is left undocked.
void tst_Layout::restoreWindows()
{
    QFETCH(QJsonArray, settings);
    QFETCH(QStringList, docked);
    resetTabs({"A", "B"});
    m_client->tabWidget()->setCurrentIndex(1);
    RecordingConn* conn = m_session->conn();
    conn->take();
    m_client->restoreWindows(settings);
    QCOMPARE(this->docked(), docked);
    QCOMPARE(windowCount(), docked.size());
    QCOMPARE(conn->count("getOrderBook"), docked.size());
}

void tst_Layout::load_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("loaded");
    QTest::newRow("saved layout") << "layout" << true << true;
    QTest::newRow("cancelled") << "layout" << false << false;
    QTest::newRow("file gone") << "missing" << true << false;
    QTest::newRow("damaged file") << "damaged" << true << false;
    QTest::newRow("empty file") << "empty" << true << false;
}

// A load rebuilds everything from the chosen file, which becomes the one in use;
// a file that cannot be read leaves the layout and the file in use as they were.
void tst_Layout::load()
{
    QFETCH(QString, file);
    QFETCH(bool, accepted);
    QFETCH(bool, loaded);
    QTemporaryDir dir;
    const QString path = dir.filePath("it's.vlm");
    QPointer<kuApplication> app = kuApplication::instance();
    const QJsonObject layout = jsonObject(R"({"tabs": [{"index": 0, "name": "Загруженная"}],
        "settings": [{"winType": 13, "paperID": 5, "objectName": "lt", "tabIndex": 0}]})");
    if (file == "layout") {
        QVERIFY(app->saveSettings(layout, path));
    } else if (file != "missing") {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file == "damaged" ? QByteArray("qbjs\x01\x00\x00\x00garbage", 15) : QByteArray());
    }

    resetTabs({"Текущая"});
    m_client->addChartWindow(m_client->workSpace(0), 5, "keep", QJsonObject());
    const QString inUse = app->settingsFilePath();
    kuClient::setWorkspaceSettingCreator(
            [path, accepted] {
                auto* dialog = new kuWorkspaceSetting;
                dialog->path = path;
                dialog->accepted = accepted;
                return std::make_pair(dialog, static_cast<QDialog*>(dialog));
            },
            {}, [](kuWorkspaceSetting* dialog) { return dialog->path; });
    QVERIFY(m_client->actionsMenuBar()->model()->action("mFile/mLoadWorkspace")->isEnabled());
    // The instrument list's error is handled again while the loaded layout is restored.
    m_duringMake = [this] { emit m_session->converter.on_receviedError(wtInitInfo, "Нет списка инструментов", 0); };
    {
        BoxAnswers answers(closeQuestion, QMessageBox::Cancel);
        m_client->slot_loadWorkSpace();
        QStringList expected;
        // A damaged file is set aside beside itself, its bytes kept, and both files are named.
        const QStringList aside = QDir(dir.path()).entryList({"it's.damaged-*.vlm"});
        QCOMPARE(aside.size(), file == "damaged" || file == "empty" ? 1 : 0);
        if (loaded)
            expected << "Нет списка инструментов";
        else if (!aside.isEmpty())
            expected << "Файл настроек " + path + " повреждён или недоступен для чтения. Он сохранён под именем " +
                                dir.filePath(aside.first()) + ".\nРабочее пространство не изменено.";
        else if (accepted)
            expected << "Не удалось загрузить настройки из файла " + path;
        QCOMPARE(answers.others, expected);
        // Until the next load, the error is the windows' own again.
        emit m_session->converter.on_receviedError(wtInitInfo, "Нет списка инструментов", 0);
        QCOMPARE(answers.others, expected);
    }
    m_duringMake = nullptr;

    if (loaded) {
        QCOMPARE(tabNames(), QStringList{"Загруженная"});
        QCOMPARE(docked(), QStringList{"0:lt"});
        QCOMPARE(app->settingsFilePath(), path);
        QCOMPARE(app->appSettings().value("application").toObject(), layout);
        QVERIFY(m_client->windowTitle().endsWith(" - " + path));
    } else {
        QCOMPARE(tabNames(), QStringList{"Текущая"});
        QCOMPARE(docked(), QStringList{"0:keep"});
        QCOMPARE(app->settingsFilePath(), inUse);
    }
    QCOMPARE(windowCount(), 1);
    kuClient::setWorkspaceSettingCreator({}, {}, {});
}

void tst_Layout::cleanupTestCase()
{
    delete m_client.data();
    m_session.reset();
}

int main(int argc, char** argv)
{
    return runClientTest<tst_Layout>(argc, argv);
}

#include "tst_layout.moc"
