#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <sqlite3.h>

// Runs sql on the database at path in WAL mode and leaves its journal beside it, as a run
// that was killed would: what sql wrote is in the "-wal" file only, its index in "-shm".
inline bool leaveJournal(const QString& path, const QByteArray& sql)
{
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK;
    ok = ok && sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr) == SQLITE_OK;
    ok = ok && sqlite3_exec(db, "pragma journal_mode=wal;pragma wal_autocheckpoint=0;", nullptr, nullptr, nullptr) ==
                       SQLITE_OK;
    ok = ok && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok && QFile(path + QStringLiteral("-wal")).size() > 0;
}

// What SQLite's full check says of the database at path, on a connection of its own.
inline QString integrityCheck(const QString& path)
{
    sqlite3* db = nullptr;
    QString answer;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db, "pragma integrity_check;", -1, &statement, nullptr) == SQLITE_OK) {
            while (sqlite3_step(statement) == SQLITE_ROW)
                answer += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))) +
                          QLatin1Char('\n');
        }
        sqlite3_finalize(statement);
        if (answer.isEmpty())
            answer = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_close(db);
    return answer.trimmed();
}
