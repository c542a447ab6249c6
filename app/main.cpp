#include <QCoreApplication>
#include <QDate>
#include <QFile>
#include <QLocale>
#include <QPointer>
#include <QSocketNotifier>
#include <QTextCodec>
#include <QTime>
#include <QTranslator>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <vector>

#include "kuapplication.h"
#include "kuchart.h"
#include "kuchartindicators.h"
#include "kuchartobjects.h"
#include "kuclient.h"
#include "kuconnectionmanager.h"
#include "kudatabasestart.h"
#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kulasttrades.h"
#include "kulogging.h"
#include "kuloginform.h"
#include "kuorderbook.h"
#include "kuordermanager.h"
#include "kuorders.h"
#include "kupaperlistform.h"
#include "kuplugininstaller.h"
#include "kuportfolio.h"
#include "kuquotes.h"
#include "kusingleinstance.h"
#include "kutrades.h"
#include "kuworkspacesetting.h"
#include "serverclock.h"

namespace {

// Write end is written from the SIGTERM handler, read end watched by the event loop.
int g_termPipe[2] = {-1, -1};

QString tr(const char* text)
{
    return QCoreApplication::translate("main", text);
}

std::vector<std::unique_ptr<QTranslator>> installTranslators(kuApplication* app)
{
    std::vector<std::unique_ptr<QTranslator>> translators;
    const QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/i18n");
    for (const char* prefix : {"qt_", "qtbase_"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLatin1String(prefix) + QLocale::system().name(), folder)) {
            app->installTranslator(translator.get());
            translators.push_back(std::move(translator));
        }
    }
    return translators;
}

void applyDefaultStyleSheet(kuApplication* app)
{
    QFile file(QStringLiteral(":/default/share/themes/default/default.qss"));
    if (file.open(QIODevice::ReadOnly))
        app->setStyleSheet(QString::fromUtf8(file.readAll()));
}

// The message box and the exit run on the event loop, never inside the handler.
void onTermination()
{
    char byte = 0;
    while (::read(g_termPipe[0], &byte, 1) > 0) {}
    std::signal(SIGTERM, SIG_DFL);
    showError(tr("Что-то пошло не так :-(. Пожалуйста, свяжитесь с разработчиками %1")
                      .arg(QStringLiteral("АО \"ИК \"БРЕНХОЛЬТ\"")));
    QCoreApplication::exit(3);
}

} // namespace

void crashHandler(int signal)
{
    if (signal == SIGTERM && g_termPipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_termPipe[1], &byte, 1);
        return;
    }
    // Only async-signal-safe calls here: the process state cannot be trusted.
    static const char line[] = "Velmoran: fatal signal, the program stops.\n";
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, line, sizeof line - 1);
    _exit(3);
}

void initApplication()
{
    installMessageLogging();
    qInstallMessageHandler(messageHandler);
    QTextCodec::setCodecForLocale(QTextCodec::codecForName("UTF-8"));
    qInfo() << "Velmoran started";

    QString failure;
    const kuDatabaseStart database = prepareDatabase(&askYesNo, &failure);
    if (database == kuDatabaseStart::Declined || database == kuDatabaseStart::Failed) {
        const QString text = failure.isEmpty() ? errorText(13) : failure;
        // Logged before the box, which waits for the user; who declined has seen enough boxes.
        qCritical().noquote() << text;
        if (database == kuDatabaseStart::Failed)
            showError(text);
        shutdownLogging();
        std::exit(-13);
    }
    const QPointer<kuApplication> app = kuApplication::instance();
    // A new database names no settings file of the user's: the default one is used.
    if (database == kuDatabaseStart::Replaced)
        app->loadActiveSettings();
    const QString settingsNotice = app->setAsideDamagedSettings();
    if (!settingsNotice.isEmpty())
        showWarning(settingsNotice);

    // Before any plug-in library is loaded.
    kuPluginInstaller::removePendingPlugins();
    kuPluginInstaller::installPendingPlugins();

    kuConnectionManager::createInstance(kuApplication::instance());

    setServerDate(QDate::currentDate());
    setServerTime(QTime::currentTime());
}

int main(int argc, char** argv)
{
    QPointer<kuApplication> app = kuApplication::createInstance(argc, argv);
    const auto translators = installTranslators(app);

    // Tests give their runs keys of their own.
    const QString keySuffix = QString::fromLocal8Bit(qgetenv("VELMORAN_INSTANCE_KEY"));
    auto guard = std::make_unique<kuSingleInstance>(QStringLiteral("VelmoranSemaphor") + keySuffix,
                                                    QStringLiteral("VelmoranSharedMemory") + keySuffix);
    if (guard->anotherInstanceRuns()) {
        showWarning(tr("Приложение уже запущено.\nВы можете запустить только один экземпляр приложения."));
        return 1;
    }

    initApplication();

    std::unique_ptr<QSocketNotifier> termNotifier;
    if (::pipe2(g_termPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        termNotifier = std::make_unique<QSocketNotifier>(g_termPipe[0], QSocketNotifier::Read);
        QObject::connect(termNotifier.get(), &QSocketNotifier::activated, app, &onTermination);
    }
    std::signal(SIGTERM, crashHandler);
    std::signal(SIGSEGV, crashHandler);

    app->setWindowIcon(kuIconManager::icon(QStringLiteral("ku_logo.png"), app->themePath()));
    applyDefaultStyleSheet(app);

    QPointer<kuClient> client = kuClient::createInstance(nullptr);
    kuOrderManager::registerWithClient();
    kuOrders::registerWithClient();
    kuTrades::registerWithClient();
    kuChart::registerWithClient();
    kuChartObjects::registerMakers();
    kuChartIndicators::registerWithChart();
    kuOrderBook::registerWithClient();
    kuPortfolio::registerWithClient();
    kuPaperListForm::registerWithClient();
    kuWorkspaceSetting::registerWithClient();
    kuQuotes::registerWithClient();
    kuLastTrades::registerWithClient();
    QPointer<kuLoginForm> loginForm = kuLoginForm::instance();
    loginForm->show();
    QObject::connect(loginForm, &QDialog::accepted, client, &QWidget::show);

    const int result = app->exec();

    if (loginForm)
        loginForm->close();
    if (loginForm)
        delete loginForm.data();
    if (client)
        delete client.data();
    termNotifier.reset();
    if (app)
        delete app.data();
    shutdownLogging();
    guard.reset();
    return result;
}
