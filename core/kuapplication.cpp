#include "kuapplication.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>

#include "kuaccessdb.h"
#include "kupaths.h"

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
QJsonObject fromBinary(const QByteArray& data)
{
    return QJsonDocument::fromBinaryData(data, QJsonDocument::Validate).object();
}

QByteArray toBinary(const QJsonObject& root)
{
    return QJsonDocument(root).toBinaryData();
}
QT_WARNING_POP

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
    g_application->loadActiveSettings();
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

bool kuApplication::saveSettings(const QJsonObject& application, const QString& filePath)
{
    const QJsonObject net{{QStringLiteral("Host"), network.proxyHost},
                          {QStringLiteral("Port"), int(network.proxyPort)},
                          {QStringLiteral("User"), network.proxyUser},
                          {QStringLiteral("Password"), network.proxyPassword},
                          {QStringLiteral("Enabled"), network.proxyEnabled}};
    const QJsonObject root{{QStringLiteral("application"), application}, {QStringLiteral("network"), net}};

    // Written aside and renamed, so a failed write never leaves a cut file behind.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning() << "Couldn't open save file.";
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QByteArray data = toBinary(root);
    if (file.write(data) != data.size())
        file.cancelWriting();
    if (!file.commit()) {
        qWarning() << "Couldn't write save file." << filePath;
        return false;
    }
    emit on_saveAppSettings(filePath);
    return true;
}

QJsonObject kuApplication::loadSettings(const QString& filePath)
{
    QJsonObject root;
    QFile file(filePath);
    // Only a regular file of a sane size: a FIFO would block the start, a device never end.
    const QFileInfo info(filePath);
    if (info.exists() && (!info.isFile() || info.size() > maxSettingsBytes)) {
        qWarning().noquote() << "Settings file ignored (not a regular file or larger than" << maxSettingsBytes
                             << "bytes):" << filePath;
    } else if (info.exists() && file.open(QIODevice::ReadOnly)) {
        const QByteArray data = file.read(maxSettingsBytes + 1);
        if (data.size() > maxSettingsBytes) {
            qWarning().noquote() << "Settings file ignored (larger than" << maxSettingsBytes << "bytes):" << filePath;
        } else {
            m_settingsFilePath = filePath;
            if (!data.isEmpty())
                root = fromBinary(data);
        }
    }
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
    const QFileInfo info(filePath);
    if (!info.isFile() || info.size() > maxSettingsBytes)
        return false;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(maxSettingsBytes + 1);
    if (data.isEmpty() || data.size() > maxSettingsBytes)
        return false;
    const QJsonObject read = fromBinary(data);
    if (!read.value(QStringLiteral("application")).isObject())
        return false;
    if (root)
        *root = read;
    return true;
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
    if (!result.isEmpty())
        m_settingsFilePath = result.first().toString();
    m_appSettings = loadSettings(m_settingsFilePath);
}
