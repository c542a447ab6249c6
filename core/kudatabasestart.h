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
        // Not a readable regular file, or SQLite finds it corrupt or no database.
        Damaged,
        // Opens only for reading, or not at all for another reason (locked, no room).
        Unusable
    };
    State state = Usable;
    QString reason;
};

// Looks at the database file and its journal files without changing them. A missing
// file is usable: it is made. Of a file that opens, the tables the program keeps
// besides the candle cache are checked; a candle table is checked as it is read.
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

// The start's database step: checks the file, then brings the schema up to date. A
// damaged file is put to askSetAside as a question for the user; when it agrees, the
// file and its journal files are set aside (kept) and a new database is made. Declined
// and Failed stop the start; failure then holds the text for the user.
kuDatabaseStart prepareDatabase(const std::function<bool(const QString& question)>& askSetAside, QString* failure);
