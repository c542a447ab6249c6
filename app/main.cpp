#include <QApplication>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLibraryInfo>
#include <QLocale>
#include <QOpenGLContext>
#include <QPointer>
#include <QSocketNotifier>
#include <QTextCodec>
#include <QTime>
#include <QTimer>
#include <QTranslator>
#include <QWidget>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

#include "kuapplication.h"
#include "kuchart.h"
#include "kuchartindicators.h"
#include "kuchartobjects.h"
#include "kuclient.h"
#include "kucommandline.h"
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
volatile std::sig_atomic_t g_termAsked = 0;
// Set by the first fatal signal: a second one, on any thread, waits for the first to end the process.
std::atomic_flag g_crashing = ATOMIC_FLAG_INIT;
// Until then SIGTERM is met by a nested loop of the start (a question box), which leaving would not end.
bool g_mainLoopRuns = false;
// The program started anew shows the crash box: this process can no longer be trusted to.
const char crashBoxArgument[] = "--crash-box";
char g_program[4096] = {};

QString tr(const char* text)
{
    return QCoreApplication::translate("main", text);
}

QString crashText()
{
    return tr("Что-то пошло не так. Пожалуйста, свяжитесь с разработчиками: %1.")
            .arg(QStringLiteral("АО «ИК «БРЕНХОЛЬТ»»"));
}

std::vector<std::unique_ptr<QTranslator>> installTranslators(kuApplication* app)
{
    std::vector<std::unique_ptr<QTranslator>> translators;
    // A build keeps a copy of Qt's translations beside the program; the installed program
    // uses the system's (qttranslations5-l10n).
    QString folder = QCoreApplication::applicationDirPath() + QStringLiteral("/i18n");
    if (!QDir(folder).exists())
        folder = QLibraryInfo::location(QLibraryInfo::TranslationsPath);
    for (const char* prefix : {"qt_", "qtbase_"}) {
        auto translator = std::make_unique<QTranslator>();
        if (translator->load(QLatin1String(prefix) + QLocale::system().name(), folder)) {
            app->installTranslator(translator.get());
            translators.push_back(std::move(translator));
        }
    }
    return translators;
}

void applyDefaultStyleSheet(QApplication* app)
{
    QFile file(QStringLiteral(":/default/share/themes/default/default.qss"));
    if (file.open(QIODevice::ReadOnly))
        app->setStyleSheet(QString::fromUtf8(file.readAll()));
}

// A log-out or shutdown of the desktop asks us to end: at once, with no box that
// would hold it up. Nothing is saved: the layout is written only when the user says so.
// Runs on the event loop; leaving it ends every nested loop too, open dialogs included.
void onTermination()
{
    char byte = 0;
    while (::read(g_termPipe[0], &byte, 1) > 0) {}
    qInfo() << "SIGTERM: the program ends without saving the workspace";
    if (g_mainLoopRuns) {
        QCoreApplication::exit(3);
        return;
    }
    // A box of the start (the database question, say) runs a loop of its own, which exit()
    // would only close. Nothing is open yet that an orderly end would have to close.
    shutdownLogging();
    _exit(3);
}

// Async-signal-safe: a fork without the C library's fork handlers (they take locks the
// crash may hold), then the program anew. The box must not hold the caller's output open.
void startCrashBox()
{
    if (!g_program[0] || ::syscall(SYS_clone, SIGCHLD, 0, 0, 0, 0) != 0)
        return;
    // The handler blocks its signal and a new program keeps the mask: the box starts with none blocked.
    std::signal(SIGSEGV, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3 && null >= 0; ++fd)
        ::dup2(null, fd);
    char* const args[] = {g_program, const_cast<char*>(crashBoxArgument), nullptr};
    ::execve(g_program, args, environ);
    _exit(127);
}

int showCrashBox(int argc, char** argv)
{
    QApplication app(argc, argv);
    applyDefaultStyleSheet(&app);
    showError(crashText());
    return 3;
}

// Qt ends the program with abort() when its platform finds no screen; before any window
// exists that is the only fatal message, and the user gets our words (Qt's advice to
// reinstall would mislead) and exit code 1; Qt's warnings say which display failed.
void platformFailure(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(text));
        return;
    }
    std::fprintf(stderr, "velmoran: cannot open a window: the terminal needs a graphical session (X11 or Wayland).\n");
    std::_Exit(1);
}

// Runs its job once the widget has painted for the first time, after the paint.
class FirstPaint : public QObject
{
public:
    FirstPaint(QWidget* widget, std::function<void()> job) : m_job(std::move(job)) { widget->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, this, m_job);
        }
        return false;
    }

private:
    std::function<void()> m_job;
};

} // namespace

void crashHandler(int signal)
{
    // Only async-signal-safe calls here: the process state cannot be trusted.
    if (signal == SIGTERM && g_termPipe[1] >= 0 && !g_termAsked) {
        g_termAsked = 1;
        const char byte = 1;
        [[maybe_unused]] const ssize_t written = ::write(g_termPipe[1], &byte, 1);
        return;
    }
    // A signal blocked on one thread is taken by another: one box, and the first handler ends the process.
    if (g_crashing.test_and_set()) {
        for (;;)
            ::pause();
    }
    if (signal == SIGSEGV)
        startCrashBox();
    // SIGTERM again: the event loop did not get to it.
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
    // Only now: the database names the settings file in use.
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

// First of all, so that no moment of the start ends by a signal's default action.
void installSignalHandlers()
{
    // Read as the crash box is started: no Qt object is needed for it.
    const ssize_t length = ::readlink("/proc/self/exe", g_program, sizeof g_program - 1);
    g_program[length > 0 ? length : 0] = '\0';
    if (::pipe2(g_termPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        g_termPipe[0] = g_termPipe[1] = -1;
    // SIGTERM last: once it is caught, both are ours (a sanitizer catches SIGSEGV from the start).
    std::signal(SIGSEGV, crashHandler);
    std::signal(SIGTERM, crashHandler);
}

int main(int argc, char** argv)
{
    // The box itself keeps the default actions: a crash of it must not start another.
    if (argc == 2 && std::strcmp(argv[1], crashBoxArgument) == 0)
        return showCrashBox(argc, argv);
    installSignalHandlers();

    const kuCommandLine command = readCommandLine(argc, argv);
    if (command.action != kuCommandLine::Run) {
        std::fputs(command.text.c_str(), command.action == kuCommandLine::Refused ? stderr : stdout);
        return command.action == kuCommandLine::Refused ? 2 : 0;
    }
    if (!displayNamed(argc, argv)) {
        std::fputs("velmoran: no display (DISPLAY is not set): the terminal needs a graphical session.\n", stderr);
        return 1;
    }

    const QtMessageHandler previousHandler = qInstallMessageHandler(platformFailure);
    QPointer<kuApplication> app = kuApplication::createInstance(argc, argv);
    qInstallMessageHandler(previousHandler);
    // Asked for before the application existed, SIGTERM is met by the first loop that runs.
    std::unique_ptr<QSocketNotifier> termNotifier;
    if (g_termPipe[0] >= 0) {
        termNotifier = std::make_unique<QSocketNotifier>(g_termPipe[0], QSocketNotifier::Read);
        QObject::connect(termNotifier.get(), &QSocketNotifier::activated, app, &onTermination);
    }
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

    applyDefaultStyleSheet(app);

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
    // What the form does not need waits until it is on screen, at the latest until the
    // login succeeds: the application's icon (the form has one of its own) and the main
    // window, which stays hidden until then.
    QPointer<kuClient> client;
    bool started = false;
    const auto finishStart = [&client, &started, app] {
        if (started)
            return;
        started = true;
        app->setWindowIcon(kuIconManager::icon(QStringLiteral("ku_logo.png"), app->themePath()));
        client = kuClient::createInstance(nullptr);
        // The OpenGL support the form went without is loaded now, while the user types,
        // rather than when the main window first shows.
        QOpenGLContext::supportsThreadedOpenGL();
    };
    FirstPaint firstPaint(loginForm, [finishStart] {
        qInfo() << "Login form shown: the start is over";
        finishStart();
    });
    QObject::connect(loginForm, &QDialog::accepted, app, [finishStart, &client] {
        finishStart();
        if (client)
            client->show();
    });
    // The form never holds OpenGL content: a pure raster window spares its start the loading
    // of the OpenGL driver. Every later window may hold it again (widget plug-ins).
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets, true);
    loginForm->show();
    QApplication::setAttribute(Qt::AA_ForceRasterWidgets, false);

    g_mainLoopRuns = true;
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
