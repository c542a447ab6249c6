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
    // Starts with the default settings and leaves the database alone: loadActiveSettings
    // reads the settings file in use once the start has checked the database.
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

    // What reading a settings file found; reading changes nothing.
    struct SettingsRead
    {
        enum State
        {
            Missing,
            Read,
            // There, but not a regular file of at most maxSettingsBytes that opens and
            // holds a binary JSON object.
            Damaged
        };
        State state = Missing;
        QJsonObject root;
        // Its bytes were read, whether they decoded or not.
        bool opened = false;
        QString reason;
    };
    static SettingsRead readSettings(const QString& filePath);

    // Writes the file whole or not at all; a document over maxSettingsBytes is refused, as
    // reading would refuse it. Otherwise false with the reason for the user in reason.
    bool saveSettings(const QJsonObject& application, const QString& filePath, QString* reason = nullptr);
    // Reads a regular file of at most maxSettingsBytes; anything else gives the defaults.
    QJsonObject loadSettings(const QString& filePath);
    // Makes a document read by loadSettings the one in use (appSettings, themePath).
    void setAppSettings(const QJsonObject& root);
    // Reads a settings file that must exist and hold an "application" object;
    // false (root untouched) for a missing, unreadable, oversized or damaged file.
    static bool readSettingsFile(const QString& filePath, QJsonObject* root);
    // readSettingsFile for a file the user picks: otherwise false with the text for the
    // user, a damaged file set aside first (setAsideSettingsFile).
    static bool readLayoutFile(const QString& filePath, QJsonObject* root, QString* message);
    // Renames a settings file that could not be read or decoded beside itself, its bytes
    // kept, and logs it; the text for the user names both files. moved tells whether it went.
    static QString setAsideSettingsFile(const QString& filePath, const QString& reason, bool* moved = nullptr);
    // The largest settings file that is written and read back.
    static constexpr qint64 maxSettingsBytes = 4 * 1024 * 1024;
    void loadActiveSettings();
    // Once logging runs: the settings file loadActiveSettings found damaged is set aside;
    // the text for the user, empty when the file was sound (or missing).
    QString setAsideDamagedSettings();
    // False while the file in use is a damaged one still at its path: the layout in
    // place did not come from it and must not replace it.
    bool mayOverwriteSettingsFile() const;

signals:
    void on_saveAppSettings(QString filePath);
    void on_loadAppSettings(QString filePath);

private:
    kuApplication(int& argc, char** argv);

    QJsonObject applySettings(const QString& filePath, const SettingsRead& read);

    kuNetworkSettings network;
    QJsonObject m_appSettings;
    QString m_settingsFilePath;
    // Why loadActiveSettings could not read the file in use; empty when it could.
    QString m_damagedReason;
    // A damaged settings file that stays at its path.
    QString m_keptDamagedPath;
};
