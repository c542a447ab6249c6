#pragma once

#include <QApplication>
#include <QJsonObject>
#include <QPointer>
#include <QStringList>

#include "kunetworksettings.h"

// The program's application object: owns the settings file in use and knows
// the program's folders. One per process, reached through instance().
class kuApplication : public QApplication
{
    Q_OBJECT
public:
    static QPointer<kuApplication> createInstance(int& argc, char** argv);
    static QPointer<kuApplication> instance();

    ~kuApplication() override;

    QString themePath();

    kuNetworkSettings networkSettings() const;
    void setNetworkSettings(const kuNetworkSettings& settings);

    QString settingsFilePath() const;
    QJsonObject appSettings() const;

    // Forwards to kuPaths, kept for the callers that name them here.
    static QString configPath();
    static QString defaultSettingsFile();
    static QStringList pluginPaths();

    bool saveSettings(const QJsonObject& application, const QString& filePath);
    // Reads a regular file of at most maxSettingsBytes; anything else gives the defaults.
    QJsonObject loadSettings(const QString& filePath);
    // Makes a document read by loadSettings the one in use (appSettings, themePath).
    void setAppSettings(const QJsonObject& root);
    // Reads a settings file that must exist and hold an "application" object;
    // false (root untouched) for a missing, unreadable, oversized or damaged file.
    static bool readSettingsFile(const QString& filePath, QJsonObject* root);
    static constexpr qint64 maxSettingsBytes = 4 * 1024 * 1024;
    void loadActiveSettings();

signals:
    void on_saveAppSettings(QString filePath);
    void on_loadAppSettings(QString filePath);

private:
    kuApplication(int& argc, char** argv);

    kuNetworkSettings network;
    QJsonObject m_appSettings;
    QString m_settingsFilePath;
};
