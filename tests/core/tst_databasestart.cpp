#include <QtTest>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <unistd.h>

#include "../common/logcapture.h"
#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kudatabasestart.h"
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

} // namespace

// The start meets a damaged database with a question, and a yes keeps the user's
// file under a name that says so beside a new database.
class tst_DatabaseStart : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir home;
    const QString db() const { return kuAccessDB::databasePath(); }

    QStringList setAside() const
    {
        return QDir(kuApplication::configPath())
                .entryList({QStringLiteral("Velmoran.damaged-*.db")}, QDir::AllEntries | QDir::System);
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
                               "insert into tablechart_for_5 select i, i, i, i, 1, i * 60 from n;")));
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
        for (const char* damage :
             {"cut to half", "cut to 100 bytes", "random bytes", "folder", "bad settings page", "unreadable"}) {
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
        } else if (::geteuid() == 0) {
            QSKIP("root reads every file");
        } else {
            QVERIFY(QFile::setPermissions(db(), QFileDevice::WriteOwner));
        }
        const QByteArray before = contentOf(db());
        const QByteArray journal = bytesOf(db() + QStringLiteral("-wal"));

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
            QCOMPARE(result, kuDatabaseStart::Declined);
            QCOMPARE(contentOf(db()), before);
            QVERIFY(setAside().isEmpty());
            return;
        }
        QCOMPARE(result, kuDatabaseStart::Replaced);
        QVERIFY(failure.isEmpty());
        // The name the question gave is the one the file got, and the user's bytes are there.
        QCOMPARE(setAside().size(), 1);
        const QString aside = QDir(kuApplication::configPath()).filePath(setAside().first());
        QVERIFY(questions.first().contains(aside));
        QCOMPARE(contentOf(aside), before);
        // A journal of the old file, if SQLite left one, went with it: never replayed into the new one.
        QVERIFY(!QFile::exists(aside + QStringLiteral("-wal")) || bytesOf(aside + QStringLiteral("-wal")) == journal);
        QVERIFY(bytesOf(db() + QStringLiteral("-wal")) != QByteArray("stray journal"));
        // A new database, its default settings row the active one.
        QCOMPARE(databaseVersion(), 3);
        kuAccessDB access;
        QCOMPARE(access.execute(QStringLiteral("select path from settings where active_flag=1;")),
                 QVariantList{kuApplication::defaultSettingsFile()});
        QCOMPARE(checkDatabaseFile().state, kuDatabaseHealth::Usable);
    }

    // Nothing to ask about a sound or a new database; one that cannot be used for another
    // reason stops the start as before, untouched.
    void notDamaged_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("result");
        QTest::newRow("new") << "new" << int(kuDatabaseStart::Ready);
        QTest::newRow("sound") << "sound" << int(kuDatabaseStart::Ready);
        QTest::newRow("damaged candle table") << "candles" << int(kuDatabaseStart::Ready);
        QTest::newRow("newer schema") << "version 4" << int(kuDatabaseStart::Ready);
    }
    void notDamaged()
    {
        QFETCH(QString, state);
        QFETCH(int, result);
        if (state != "new")
            makeDatabase();
        if (state == "candles")
            QVERIFY(writeBytes(db(), randomBytes(4096), qint64(rootPage("tablechart_for_5") - 1) * 4096));
        if (state == "version 4") {
            kuAccessDB access;
            QVERIFY(access.executeNonQuery(QStringLiteral("update version set version=4;")));
        }
        QCOMPARE(checkDatabaseFile().state, kuDatabaseHealth::Usable);
        bool asked = false;
        QString failure;
        const auto ask = [&](const QString&) {
            asked = true;
            return true;
        };
        QCOMPARE(int(prepareDatabase(ask, &failure)), result);
        QVERIFY(!asked);
        QVERIFY(failure.isEmpty());
        QVERIFY(setAside().isEmpty());
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
