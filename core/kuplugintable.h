#pragma once

#include "kuaccessdb.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

// Status bits of table "plugins".
enum kuPluginStatus : int
{
    psEnabled = 0x1,
    psUpdateAvailable = 0x2, // this run only
    psInstalled = 0x4,       // this run only
    psRemovePending = 0x8,
    psInstallPending = 0x10
};

// Flag bits a catalogue row adds to its model flags for the delegate.
enum kuPluginRowFlag : uint
{
    prDownloading = 0x80,
    prInstallPending = 0x100,
    prRemovePending = 0x200,
    prUpdatePending = 0x400,
    prDisablePending = 0x800,
    prEnablePending = 0x1000,
    prUpdateAvailable = 0x2000,
    prSwitchable = 0x4000,
    prFailed = 0x8000
};

// Table "plugins" of the local database: the plug-in catalogue and the user's
// choices about each plug-in. Every read and write of the table goes through here.
class kuPluginTable
{
public:
    struct Row
    {
        QString guid;
        QString title;
        QString description;
        quint32 version = 1;
        QString icon; // hex text of an image file
        QString pluginName;
        double price = 0.0;
        int status = 0;
    };

    static constexpr int runOnlyBits = psUpdateAvailable | psInstalled;
    static constexpr int pendingBits = psRemovePending | psInstallPending;

    // Names come from the server and become file names: only "ku_" and word characters.
    static bool isValidPluginName(const QString& pluginName);
    // The library file of a plug-in name: the name plus this platform's suffix.
    static QString pluginFileName(const QString& pluginName);

    // The catalogue writer's statement and the values it binds for a row: a
    // guid already known keeps its status, a new one starts enabled.
    static QString insertSql();
    static QVariantList insertValues(const Row& row);

    // Every row as the plug-in manager shows it (no plug-in name).
    QVector<Row> catalogue();
    // guid -> enabled bit, for the rows not marked for removal.
    QHash<QString, bool> enabledPlugins();
    QString pluginName(const QString& guid);
    // The run-only bits are never stored.
    bool setStatus(const QString& guid, int status);
    // Deletes the rows whose guid is not kept, unless a change waits for the next start.
    bool dropRowsExcept(const QSet<QString>& kept);

    // Distinct usable names of the rows that carry a pending bit; unusable ones are logged.
    QStringList pendingNames(kuPluginStatus bit);
    bool clearPending(kuPluginStatus bit, const QString& pluginName);
    // Rows whose name nothing can be done for lose the bit as well.
    void clearUnusablePending(kuPluginStatus bit);

private:
    kuAccessDB m_db;
};
