#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// What the start finds of the local database file.
struct kuDatabaseHealth
{
    enum State
    {
        Usable,
        // Sound but for candle tables, a cache the server fills again: they are to go.
        CacheDamaged,
        // Not a readable regular file, cut short, or SQLite finds it corrupt or no database.
        Damaged,
        // It could not be checked (no room for a copy, say).
        Unusable
    };
    State state = Usable;
    QString reason;
    // For CacheDamaged: the candle tables to drop.
    QStringList cacheTables;
};

// Looks at the database file and its journal files without changing them: SQLite reads
// the file itself only as one that cannot change, and a file with a journal as a copy of
// both, so that nothing is folded in, written or deleted. A missing file is usable: it is
// made. Every table is checked, the candle cache too.
kuDatabaseHealth checkDatabaseFile();

// Suffixes of the files SQLite keeps beside the database; they go where it goes.
QStringList databaseCompanions();

enum class kuDatabaseStart
{
    Ready,
    // The damaged file was set aside and a new database made.
    Replaced,
    Declined,
    Failed
};

// The start's database step: checks the file, then brings the schema up to date. Damaged
// candle tables are dropped. A damaged file is put to askSetAside as a question for the
// user; when it agrees, the file and its journal files are set aside (kept) and a new
// database is made. Nothing opens the file before the check has found it usable. Declined
// and Failed stop the start; failure then holds the text for the user.
kuDatabaseStart prepareDatabase(const std::function<bool(const QString& question)>& askSetAside, QString* failure);
