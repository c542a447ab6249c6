#include "kuapplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QSaveFile>

#include <cmath>
#include <utility>

#include "kuaccessdb.h"
#include "kupaths.h"
#include "kusetaside.h"
#include "kusettingshash.h"

namespace {

QPointer<kuApplication> g_application;

QJsonObject defaultNetwork()
{
    return QJsonObject{{QStringLiteral("Host"), QStringLiteral("127.0.0.1")},
                       {QStringLiteral("Port"), 1234},
                       {QStringLiteral("User"), QStringLiteral("username")},
                       {QStringLiteral("Password"), QStringLiteral("mirabelz")},
                       {QStringLiteral("Enabled"), false}};
}

// Stored settings files are Qt's binary JSON; the API is deprecated but kept for them.
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED
QJsonDocument fromBinary(const QByteArray& data)
{
    return QJsonDocument::fromBinaryData(data, QJsonDocument::Validate);
}

QByteArray toBinary(const QJsonObject& root)
{
    return QJsonDocument(root).toBinaryData();
}
QT_WARNING_POP

// Sizes for the user, rounded up so that a size over the limit never reads as the limit.
QString megabytes(qint64 bytes)
{
    const qint64 tenths = qint64(std::ceil(double(bytes) * 10 / (1024 * 1024)));
    return QLocale(QLocale::Russian, QLocale::Russia).toString(double(tenths) / 10, 'f', tenths % 10 == 0 ? 0 : 1);
}

// The row of a settings file set aside follows it to its new name, so that the list of saved
// settings shows where its bytes are. The file in use keeps its row as it was (active or not):
// the layout is written there at the close, and that is what the next start reads.
void followSetAside(const QString& from, const QString& to)
{
    kuAccessDB db;
    if (db.execute(QStringLiteral("select 1 from sqlite_master where type='table' and name='settings';")).isEmpty())
        return;
    const QPointer<kuApplication> app = kuApplication::instance();
    const bool inUse = app && app->settingsFilePath() == from;
    const bool moved = db.executeNonQuery(QStringLiteral("begin immediate transaction;"
                                                         "insert or replace into settings( path, description, hash, "
                                                         "content, active_flag) "
                                                         "select ?2, description, ?3, content, 0 from settings "
                                                         "where hash=?1;"
                                                         "delete from settings where hash=?1 and ?4=0;"
                                                         "commit;"),
                                          {settingsHash(from), to, settingsHash(to), inUse ? 1 : 0});
    if (!moved)
        qWarning().noquote() << "The saved settings row of" << from << "could not follow it to" << to;
}

// Why a settings file does not open for writing, in the user's words.
QString whyNotOpened(const QString& filePath, const QSaveFile& file)
{
    const QFileInfo info(filePath);
    const QFileInfo folder(info.absolutePath());
    if (info.isDir())
        return kuApplication::tr("%1 — это папка, а не файл").arg(filePath);
    if (!folder.isDir())
        return kuApplication::tr("папки %1 нет").arg(folder.filePath());
    if (!folder.isWritable() || (info.exists() && !info.isWritable()))
        return kuApplication::tr("нет прав на запись в %1").arg(info.exists() ? filePath : folder.filePath());
    return file.errorString();
}

} // namespace

kuApplication::kuApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("АО \"ИК \"БРЕНХОЛЬТ\""));
    setApplicationName(QStringLiteral("Velmoran"));
    setQuitOnLastWindowClosed(true);
    m_settingsFilePath = kuPaths::defaultSettingsFile();
}

kuApplication::~kuApplication() = default;

QPointer<kuApplication> kuApplication::createInstance(int& argc, char** argv)
{
    if (g_application)
        return g_application;
    g_application = new kuApplication(argc, argv);
    // The defaults until loadActiveSettings: the database names the file in use, and it
    // may be read only once the start has checked it.
    g_application->m_appSettings = g_application->applySettings(g_application->m_settingsFilePath, SettingsRead());
    return g_application;
}

QPointer<kuApplication> kuApplication::instance()
{
    return g_application;
}

QString kuApplication::themePath()
{
    if (m_appSettings.isEmpty())
        return QStringLiteral(":/default");
    if (!m_appSettings.contains(QStringLiteral("appstyle")))
        m_appSettings.insert(QStringLiteral("appstyle"), QStringLiteral("default"));
    return QStringLiteral(":/") + m_appSettings.value(QStringLiteral("appstyle")).toString();
}

kuNetworkSettings kuApplication::networkSettings() const
{
    return network;
}

void kuApplication::setNetworkSettings(const kuNetworkSettings& settings)
{
    network = settings;
}

QString kuApplication::settingsFilePath() const
{
    return m_settingsFilePath;
}

QJsonObject kuApplication::appSettings() const
{
    return m_appSettings;
}

QString kuApplication::configPath()
{
    return kuPaths::configPath();
}

QString kuApplication::defaultSettingsFile()
{
    return kuPaths::defaultSettingsFile();
}

QStringList kuApplication::pluginPaths()
{
    return kuPaths::pluginPaths();
}

bool kuApplication::saveSettings(const QJsonObject& application, const QString& filePath, QString* reason)
{
    const QJsonObject net{{QStringLiteral("Host"), network.proxyHost},
                          {QStringLiteral("Port"), int(network.proxyPort)},
                          {QStringLiteral("User"), network.proxyUser},
                          {QStringLiteral("Password"), network.proxyPassword},
                          {QStringLiteral("Enabled"), network.proxyEnabled}};
    const QJsonObject root{{QStringLiteral("application"), application}, {QStringLiteral("network"), net}};
    auto fail = [reason](const QString& why) {
        if (reason)
            *reason = why;
        return false;
    };
    if (filePath.isEmpty()) {
        qWarning() << "Couldn't open save file.";
        return fail(tr("не указан файл"));
    }

    // Refused before anything is written: a file the next start would not read back is no save.
    const QByteArray data = toBinary(root);
    if (data.isEmpty() || data.size() > maxSettingsBytes) {
        qWarning().noquote() << "Settings not saved to" << filePath << "- the document is"
                             << (data.isEmpty() ? QStringLiteral("too large to encode")
                                                : QStringLiteral("%1 bytes").arg(data.size()))
                             << "- at most" << maxSettingsBytes << "bytes are read back";
        return fail(data.isEmpty() ? tr("рабочее пространство слишком велико")
                                   : tr("рабочее пространство занимает %1 МБ, больше допустимых %2 МБ")
                                             .arg(megabytes(data.size()), megabytes(maxSettingsBytes)));
    }

    // Written aside and renamed, so a failed write never leaves a cut file behind.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "Couldn't open save file.";
        return fail(whyNotOpened(filePath, file));
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(data) != data.size())
        file.cancelWriting();
    if (!file.commit()) {
        qWarning() << "Couldn't write save file." << filePath << file.errorString();
        return fail(tr("файл не записан: %1").arg(file.errorString()));
    }
    emit on_saveAppSettings(filePath);
    return true;
}

kuApplication::SettingsRead kuApplication::readSettings(const QString& filePath)
{
    SettingsRead read;
    const QFileInfo info(filePath);
    if (!info.exists() && !info.isSymLink())
        return read;
    read.state = SettingsRead::Damaged;
    // Only a regular file of a sane size: a FIFO would block the start, a device never end.
    if (!info.isFile()) {
        read.reason = QStringLiteral("not a regular file");
        return read;
    }
    if (info.size() > maxSettingsBytes) {
        read.reason = QStringLiteral("larger than %1 bytes").arg(maxSettingsBytes);
        return read;
    }
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        read.reason = QStringLiteral("cannot be read: %1").arg(file.errorString());
        return read;
    }
    const QByteArray data = file.read(maxSettingsBytes + 1);
    if (data.size() > maxSettingsBytes) {
        read.reason = QStringLiteral("larger than %1 bytes").arg(maxSettingsBytes);
        return read;
    }
    read.opened = true;
    if (data.isEmpty()) {
        read.reason = file.error() == QFileDevice::NoError
                              ? QStringLiteral("empty")
                              : QStringLiteral("cannot be read: %1").arg(file.errorString());
        return read;
    }
    const QJsonDocument document = fromBinary(data);
    if (!document.isObject()) {
        read.reason = QStringLiteral("not a settings document (%1 bytes)").arg(data.size());
        return read;
    }
    read.state = SettingsRead::Read;
    read.root = document.object();
    return read;
}

QJsonObject kuApplication::loadSettings(const QString& filePath)
{
    const SettingsRead read = readSettings(filePath);
    if (read.state == SettingsRead::Damaged && !read.opened)
        qWarning().noquote() << "Settings file ignored (" + read.reason + "):" << filePath;
    if (read.opened)
        m_settingsFilePath = filePath;
    return applySettings(filePath, read);
}

QJsonObject kuApplication::applySettings(const QString& filePath, const SettingsRead& read)
{
    QJsonObject root = read.root;
    if (!root.contains(QStringLiteral("network")))
        root.insert(QStringLiteral("network"), defaultNetwork());

    const QJsonObject net = root.value(QStringLiteral("network")).toObject();
    network.proxyEnabled = net.value(QStringLiteral("Enabled")).toBool();
    network.proxyHost = net.value(QStringLiteral("Host")).toString();
    // The file may hold any number; the port keeps its low 16 bits.
    network.proxyPort = quint16(net.value(QStringLiteral("Port")).toInt());
    network.proxyUser = net.value(QStringLiteral("User")).toString();
    network.proxyPassword = net.value(QStringLiteral("Password")).toString();

    emit on_loadAppSettings(filePath);
    return root;
}

void kuApplication::setAppSettings(const QJsonObject& root)
{
    m_appSettings = root;
}

bool kuApplication::readSettingsFile(const QString& filePath, QJsonObject* root)
{
    const SettingsRead read = readSettings(filePath);
    if (read.state != SettingsRead::Read || !read.root.value(QStringLiteral("application")).isObject())
        return false;
    if (root)
        *root = read.root;
    return true;
}

bool kuApplication::readLayoutFile(const QString& filePath, QJsonObject* root, QString* message)
{
    const SettingsRead read = readSettings(filePath);
    if (read.state == SettingsRead::Read && read.root.value(QStringLiteral("application")).isObject()) {
        if (root)
            *root = read.root;
        return true;
    }
    const QString text = read.state == SettingsRead::Damaged
                                 ? setAsideSettingsFile(filePath, read.reason) + QLatin1Char('\n') +
                                           tr("Рабочее пространство не изменено.")
                                 : tr("Не удалось загрузить настройки из файла %1").arg(filePath);
    if (message)
        *message = text;
    return false;
}

QString kuApplication::setAsideSettingsFile(const QString& filePath, const QString& reason, bool* moved)
{
    QString error;
    const QString aside = kuSetAside::setAside(filePath, QString(), QStringList(), &error);
    if (moved)
        *moved = !aside.isEmpty();
    if (aside.isEmpty()) {
        qCritical().noquote() << "Settings file" << filePath
                              << "is damaged (" + reason + ") and stays where it is:" << error;
        return tr("Файл настроек %1 повреждён или недоступен для чтения, переименовать его не удалось. "
                  "Программа не будет его перезаписывать.")
                .arg(filePath);
    }
    qWarning().noquote() << "Settings file" << filePath << "is damaged (" + reason + "); set aside as" << aside;
    followSetAside(filePath, aside);
    return tr("Файл настроек %1 повреждён или недоступен для чтения. Он сохранён под именем %2.").arg(filePath, aside);
}

void kuApplication::loadActiveSettings()
{
    kuAccessDB db;
    // Before the first migration there is no table yet: that is the default file, not an error.
    const bool hasTable =
            !db.execute(QStringLiteral("select 1 from sqlite_master where type='table' and name='settings';"))
                     .isEmpty();
    const QVariantList result =
            hasTable ? db.execute(QStringLiteral("select d.path from settings as d where d.active_flag=1 limit 1"))
                     : QVariantList();
    // Even a file that cannot be read stays the one in use: it is set aside, never written over.
    m_settingsFilePath = result.isEmpty() ? kuPaths::defaultSettingsFile() : result.first().toString();
    const SettingsRead read = readSettings(m_settingsFilePath);
    m_damagedReason = read.state == SettingsRead::Damaged ? read.reason : QString();
    m_keptDamagedPath = read.state == SettingsRead::Damaged ? m_settingsFilePath : QString();
    m_appSettings = applySettings(m_settingsFilePath, read);
}

QString kuApplication::setAsideDamagedSettings()
{
    if (m_damagedReason.isEmpty())
        return QString();
    bool moved = false;
    const QString text = setAsideSettingsFile(m_settingsFilePath, std::exchange(m_damagedReason, QString()), &moved);
    if (moved)
        m_keptDamagedPath.clear();
    return text + QLatin1Char('\n') + tr("Рабочее пространство открыто пустым.");
}

bool kuApplication::mayOverwriteSettingsFile() const
{
    return m_keptDamagedPath.isEmpty() || m_settingsFilePath != m_keptDamagedPath;
}
