#include <QtTest>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

#include "../common/logcapture.h"
#include "../common/walfixture.h"
#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kudatabasestart.h"
#include "kufunctions.h"
#include "kumigration.h"
#include "kusetaside.h"

namespace {

QByteArray bytesOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes, qint64 at = 0)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.seek(at) && file.write(bytes) == bytes.size();
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char(QRandomGenerator::global()->bounded(256));
    return bytes;
}

// What sits at path: its bytes, or for a folder the names inside.
QByteArray contentOf(const QString& path)
{
    const QFileInfo info(path);
    return info.isDir() ? QDir(path).entryList(QDir::Files).join(',').toUtf8() : bytesOf(path);
}

// The database file and its journal files that exist, by suffix, with their content.
QMap<QString, QByteArray> filesOf(const QString& path)
{
    QMap<QString, QByteArray> files;
    for (const QString& suffix : QStringList{QString()} + databaseCompanions()) {
        if (QFileInfo::exists(path + suffix))
            files.insert(suffix, contentOf(path + suffix));
    }
    return files;
}

} // namespace

// The start meets a damaged database with a question, and a yes keeps the user's
// file under a name that says so beside a new database.
class tst_DatabaseStart : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir home;
    const QString db() const { return kuAccessDB::databasePath(); }

    // The names the database was set aside under, without its journal files' suffixes.
    QStringList setAside() const
    {
        QStringList names;
        for (QString name :
             QDir(kuApplication::configPath())
                     .entryList({QStringLiteral("Velmoran.damaged-*.db*")}, QDir::AllEntries | QDir::System)) {
            for (const QString& suffix : databaseCompanions()) {
                if (name.endsWith(suffix))
                    name.chop(suffix.size());
            }
            if (!names.contains(name))
                names << name;
        }
        return names;
    }

    QStringList folder() const { return QDir(kuApplication::configPath()).entryList(QDir::AllEntries | QDir::System); }

    static QStringList tables(const QString& like)
    {
        QStringList names;
        kuAccessDB access;
        for (const QVariant& name :
             access.execute(QStringLiteral("select name from sqlite_master where name like ?1 order by name;"), {like}))
            names << name.toString();
        return names;
    }

    // A user's database: the schema, a chosen settings file and a candle table large
    // enough to have pages of its own.
    void makeDatabase()
    {
        QVERIFY(updateDatabaseSchema());
        kuAccessDB access;
        QVERIFY(access.executeNonQuery(
                QStringLiteral("create table tablechart_for_5(open real, high real, low real, close real, "
                               "volume real, min integer not null primary key);"
                               "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
                               "insert into tablechart_for_5 select i, i, i, i, 1, i * 60 from n;"
                               "create table tablechart_for_5_hist(open real, high real, low real, close real, "
                               "volume real, min integer not null primary key);"
                               "insert into tablechart_for_5_hist values(1, 2, 0, 1, 5, 86400);")));
        QVERIFY(!QFile::exists(db() + QStringLiteral("-wal")));
    }

    static int rootPage(const QString& table)
    {
        kuAccessDB access;
        return access.execute(QStringLiteral("select rootpage from sqlite_master where name=?1;"), {table})
                .value(0)
                .toInt();
    }

private slots:
    void init()
    {
        QVERIFY(home.isValid());
        QVERIFY(QDir(home.path()).removeRecursively());
        QVERIFY(QDir().mkpath(home.path()));
        qputenv("HOME", QFile::encodeName(home.path()));
    }

    void damaged_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("yes");
        for (const char* damage : {"cut to half", "cut to 100 bytes", "random bytes", "folder", "bad settings page",
                                   "unreadable", "cut, real journal", "cut, random journal", "journal alone"}) {
            QTest::newRow(qPrintable(QStringLiteral("%1, yes").arg(damage))) << damage << true;
            QTest::newRow(qPrintable(QStringLiteral("%1, no").arg(damage))) << damage << false;
        }
    }
    void damaged()
    {
        QFETCH(QString, damage);
        QFETCH(bool, yes);
        makeDatabase();
        const QByteArray sound = bytesOf(db());
        if (damage == "cut to half") {
            QVERIFY(QFile::resize(db(), sound.size() / 2));
        } else if (damage == "cut to 100 bytes") {
            QVERIFY(QFile::resize(db(), 100));
        } else if (damage == "random bytes") {
            QVERIFY(writeBytes(db(), randomBytes(sound.size())));
        } else if (damage == "folder") {
            QVERIFY(QFile::remove(db()));
            QVERIFY(QDir().mkpath(db()));
            QVERIFY(writeBytes(db() + QStringLiteral("/inside"), "x"));
        } else if (damage == "bad settings page") {
            QVERIFY(writeBytes(db(), randomBytes(4096), qint64(rootPage("settings") - 1) * 4096));
            // A journal left beside it must not be read into the new database.
            QVERIFY(writeBytes(db() + QStringLiteral("-wal"), "stray journal"));
        } else if (damage == "cut, real journal" || damage == "journal alone") {
            QVERIFY(leaveJournal(db(), "update settings set description='in the journal';"
                                       "delete from tablechart_for_5 where min < 60000;"));
            if (damage == "journal alone")
                QVERIFY(QFile::remove(db()));
            else
                QVERIFY(QFile::resize(db(), sound.size() / 2));
        } else if (damage == "cut, random journal") {
            QVERIFY(QFile::resize(db(), sound.size() / 2));
            QVERIFY(writeBytes(db() + QStringLiteral("-wal"), randomBytes(8272)));
            QVERIFY(writeBytes(db() + QStringLiteral("-shm"), randomBytes(32768)));
        } else if (::geteuid() == 0) {
            QSKIP("root reads every file");
        } else {
            QVERIFY(QFile::setPermissions(db(), QFileDevice::WriteOwner));
        }
        const QMap<QString, QByteArray> before = filesOf(db());
        const QStringList listed = folder();

        QStringList questions;
        QString failure;
        LogCapture log;
        const kuDatabaseStart result = prepareDatabase(
                [&](const QString& question) {
                    questions << question;
                    return yes;
                },
                &failure);
        QCOMPARE(questions.size(), 1);
        QVERIFY(questions.first().contains(db()));
        QVERIFY(log.contains(QStringLiteral("is damaged")));
        if (!yes) {
            // Looked at, nothing changed: no journal folded in, written, deleted or made.
            QCOMPARE(result, kuDatabaseStart::Declined);
            QCOMPARE(filesOf(db()), before);
            QCOMPARE(folder(), listed);
            return;
        }
        QCOMPARE(result, kuDatabaseStart::Replaced);
        QVERIFY(failure.isEmpty());
        // The name the question gave is the one the file got, and the user's bytes are there.
        QCOMPARE(setAside().size(), 1);
        const QString aside = QDir(kuApplication::configPath()).filePath(setAside().first());
        QVERIFY(questions.first().contains(aside));
        // The file and its journal files, byte for byte: never replayed into the new one.
        QCOMPARE(filesOf(aside), before);
        QVERIFY(bytesOf(db() + QStringLiteral("-wal")) != QByteArray("stray journal"));
        // A new database, its default settings row the active one.
        QCOMPARE(databaseVersion(), 3);
        kuAccessDB access;
        QCOMPARE(access.execute(QStringLiteral("select path from settings where active_flag=1;")),
                 QVariantList{kuApplication::defaultSettingsFile()});
        QCOMPARE(checkDatabaseFile().state, kuDatabaseHealth::Usable);
    }

    // Nothing to ask about a sound or a new database, nor about a damaged candle cache:
    // its tables go, the file is sound again and the program's own rows stay.
    void notDamaged_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("check");
        QTest::newRow("new") << "new" << int(kuDatabaseHealth::Usable);
        QTest::newRow("sound") << "sound" << int(kuDatabaseHealth::Usable);
        QTest::newRow("sound, with its journal") << "journal" << int(kuDatabaseHealth::Usable);
        QTest::newRow("damaged candle table") << "candles" << int(kuDatabaseHealth::CacheDamaged);
        QTest::newRow("damaged candle table, with a journal")
                << "candles, journal" << int(kuDatabaseHealth::CacheDamaged);
        QTest::newRow("renamed candle table left") << "renamed" << int(kuDatabaseHealth::CacheDamaged);
        QTest::newRow("newer schema") << "version 4" << int(kuDatabaseHealth::Usable);
    }
    void notDamaged()
    {
        QFETCH(QString, state);
        QFETCH(int, check);
        if (state != "new")
            makeDatabase();
        if (state.startsWith("candles"))
            QVERIFY(writeBytes(db(), randomBytes(4096), qint64(rootPage("tablechart_for_5") - 1) * 4096));
        if (state.endsWith("journal"))
            QVERIFY(leaveJournal(db(), "update settings set description='in the journal';"));
        if (state == "renamed") {
            kuAccessDB access;
            QVERIFY(access.executeNonQuery(
                    QStringLiteral("alter table tablechart_for_5 rename to tablechart_for_5_damaged_1765400000000;")));
        }
        if (state == "version 4") {
            kuAccessDB access;
            QVERIFY(access.executeNonQuery(QStringLiteral("update version set version=4;")));
        }
        const QMap<QString, QByteArray> before = filesOf(db());
        const kuDatabaseHealth found = checkDatabaseFile();
        QVERIFY2(int(found.state) == check, qPrintable(found.reason));
        QCOMPARE(filesOf(db()), before);
        // An instrument's cache goes whole; a table left renamed by an earlier run goes alone.
        const QStringList left = check == kuDatabaseHealth::Usable
                                         ? QStringList{"tablechart_for_5", "tablechart_for_5_hist"}
                                 : state == "renamed" ? QStringList{"tablechart_for_5_hist"}
                                                      : QStringList();
        if (check == kuDatabaseHealth::CacheDamaged)
            QCOMPARE(found.cacheTables.size(), state == "renamed" ? 1 : 2);
        bool asked = false;
        QString failure;
        const auto ask = [&](const QString&) {
            asked = true;
            return true;
        };
        QCOMPARE(prepareDatabase(ask, &failure), kuDatabaseStart::Ready);
        QVERIFY(!asked);
        QVERIFY(failure.isEmpty());
        QVERIFY(setAside().isEmpty());
        if (state == "new")
            return;
        QCOMPARE(integrityCheck(db()), QStringLiteral("ok"));
        QCOMPARE(tables(QStringLiteral("tablechart_for_5%")), left);
        kuAccessDB access;
        QCOMPARE(access.execute(QStringLiteral("select description from settings where active_flag=1;")),
                 QVariantList{state.endsWith("journal") ? QStringLiteral("in the journal")
                                                        : QStringLiteral("Настройки по умолчанию")});
        QCOMPARE(checkDatabaseFile().state, kuDatabaseHealth::Usable);
    }

    // The file moves with its journal files or not at all: one that cannot follow stops the
    // start with a message, and every file stays as it was.
    void companionInTheWay_data()
    {
        QTest::addColumn<QString>("suffix");
        QTest::newRow("-wal") << "-wal";
        QTest::newRow("-shm") << "-shm";
    }
    void companionInTheWay()
    {
        QFETCH(QString, suffix);
        makeDatabase();
        QVERIFY(leaveJournal(db(), "delete from tablechart_for_5;"));
        QVERIFY(QFile::resize(db(), bytesOf(db()).size() / 2));
        const QMap<QString, QByteArray> before = filesOf(db());
        QString obstacle;
        const auto ask = [&](const QString& question) {
            const QRegularExpressionMatch target =
                    QRegularExpression(QStringLiteral(" (\\S+\\.damaged-\\S+\\.db) ")).match(question);
            obstacle = target.captured(1) + suffix;
            return target.hasMatch() && QDir().mkpath(obstacle);
        };
        QString failure;
        LogCapture log;
        QCOMPARE(prepareDatabase(ask, &failure), kuDatabaseStart::Failed);
        QVERIFY(!obstacle.isEmpty());
        QVERIFY(failure.contains(db()));
        QVERIFY(failure.contains(errorText(13)));
        QVERIFY(log.contains(QStringLiteral("could not be set aside")));
        QCOMPARE(filesOf(db()), before);
        QCOMPARE(folder().filter(QStringLiteral("damaged")), QStringList{QFileInfo(obstacle).fileName()});
    }

    // Set aside twice under one path: the earlier file is never written over, and the
    // files that go with it move along.
    void setAsideKeepsEarlier()
    {
        const QString path = home.filePath(QStringLiteral("layout.vlm"));
        QStringList names;
        for (const QByteArray& bytes : {QByteArray("first"), QByteArray("second"), QByteArray("third")}) {
            QVERIFY(writeBytes(path, bytes));
            QVERIFY(writeBytes(path + QStringLiteral("-wal"), bytes + "-journal"));
            const QString aside = kuSetAside::setAside(path, QString(), {QStringLiteral("-wal")});
            QVERIFY(!aside.isEmpty());
            QVERIFY(QFileInfo(aside).fileName().startsWith(QStringLiteral("layout.damaged-")));
            QVERIFY(aside.endsWith(QStringLiteral(".vlm")));
            QVERIFY(!QFile::exists(path));
            names << aside;
        }
        QCOMPARE(QSet<QString>(names.cbegin(), names.cend()).size(), 3);
        QCOMPARE(bytesOf(names.at(0)), QByteArray("first"));
        QCOMPARE(bytesOf(names.at(2)), QByteArray("third"));
        QCOMPARE(bytesOf(names.at(1) + QStringLiteral("-wal")), QByteArray("second-journal"));
        // A name already taken is skipped, whatever took it.
        QVERIFY(writeBytes(path, "fourth"));
        const QString free = kuSetAside::freeName(path);
        QVERIFY(QDir().mkpath(free));
        QString error;
        QVERIFY(kuSetAside::setAside(path, free, {}, &error).isEmpty());
        QVERIFY(error.contains(free));
        QCOMPARE(bytesOf(path), QByteArray("fourth"));
    }
};

QTEST_GUILESS_MAIN(tst_DatabaseStart)
#include "tst_databasestart.moc"
