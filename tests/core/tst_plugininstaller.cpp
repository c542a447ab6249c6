#include "kuapplication.h"
#include "kuplugininstaller.h"
#include "pluginrows.h"

#include <QtTest>

namespace {

bool writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

class tst_PluginInstaller : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void removalInBothFolders();
    void removalOfExactNamesOnly();
    void installation();
    void failedInstallationIsKept();
    void bothBitsInOneStart();

private:
    QString userFolder() const { return kuApplication::pluginPaths().at(0); }
    QString appFolder() const { return kuApplication::pluginPaths().at(1); }
    QString downloads() const { return kuPluginInstaller::downloadFolder(); }
};

void tst_PluginInstaller::init()
{
    QVERIFY(freshDatabase());
    cleanup();
}

void tst_PluginInstaller::cleanup()
{
    for (const QString& folder : kuApplication::pluginPaths() + QStringList{downloads()})
        QDir(folder).removeRecursively();
}

void tst_PluginInstaller::removalInBothFolders()
{
    QVERIFY(insertPluginRow("a1", "ku_gone", 0x9));
    QVERIFY(insertPluginRow("a2", "ku_gone", 0x8)); // same file: one name
    QVERIFY(insertPluginRow("b", "ku_kept", 0x1));
    QVERIFY(insertPluginRow("c", "ku_never_there", 0x8));
    const QStringList gone{userFolder() + "/ku_gone.so", userFolder() + "/sub/deeper/ku_gone.so",
                           appFolder() + "/ku_gone.so"};
    for (const QString& path : gone)
        QVERIFY(writeFile(path, "x"));
    QVERIFY(writeFile(userFolder() + "/ku_kept.so", "x"));

    kuPluginInstaller::removePendingPlugins();

    for (const QString& path : gone)
        QVERIFY2(!QFile::exists(path), qPrintable(path));
    QVERIFY(QFile::exists(userFolder() + "/ku_kept.so"));
    QCOMPARE(pluginStatus("a1"), 0x1);
    QCOMPARE(pluginStatus("a2"), 0x0);
    QCOMPARE(pluginStatus("b"), 0x1);
    QCOMPARE(pluginStatus("c"), 0x0); // nothing to remove: the row is unmarked
}

void tst_PluginInstaller::removalOfExactNamesOnly()
{
    // Names that would act as patterns or paths never reach the disk; their mark goes.
    QVERIFY(insertPluginRow("w", "ku_*", 0x8));
    QVERIFY(insertPluginRow("q", "ku_?", 0x8));
    QVERIFY(insertPluginRow("p", "ku_../x", 0x8));
    QVERIFY(insertPluginRow("s", "ku_a", 0x8));
    const QStringList kept{userFolder() + "/ku_ab.so", userFolder() + "/ku_b.so", userFolder() + "/ku_a.so.bak",
                           appFolder() + "/ku_x.so"};
    for (const QString& path : kept)
        QVERIFY(writeFile(path, "x"));
    QVERIFY(writeFile(userFolder() + "/ku_a.so", "x"));

    kuPluginInstaller::removePendingPlugins();

    for (const QString& path : kept)
        QVERIFY2(QFile::exists(path), qPrintable(path));
    QVERIFY(!QFile::exists(userFolder() + "/ku_a.so"));
    for (const char* guid : {"w", "q", "p", "s"})
        QCOMPARE(pluginStatus(guid), 0);
}

void tst_PluginInstaller::installation()
{
    QVERIFY(insertPluginRow("n", "ku_new", 0x11));
    QVERIFY(insertPluginRow("m", "ku_missing", 0x10));
    QVERIFY(insertPluginRow("o", "ku_other", 0x1));
    QVERIFY(writeFile(downloads() + "/ku_new.so", "new"));
    QVERIFY(writeFile(downloads() + "/ku_other.so", "other"));
    QVERIFY(writeFile(userFolder() + "/ku_new.so", "old"));

    kuPluginInstaller::installPendingPlugins();

    QCOMPARE(readFile(userFolder() + "/ku_new.so"), QByteArray("new"));
    QVERIFY(!QFile::exists(downloads() + "/ku_new.so"));
    QVERIFY(!QFile::exists(appFolder() + "/ku_new.so"));
    QVERIFY(QFile::exists(downloads() + "/ku_other.so"));
    QVERIFY(!QFile::exists(userFolder() + "/ku_other.so"));
    QCOMPARE(pluginStatus("n"), 0x1);
    QCOMPARE(pluginStatus("m"), 0x0);
    QCOMPARE(pluginStatus("o"), 0x1);
}

void tst_PluginInstaller::failedInstallationIsKept()
{
    // A folder in the way cannot be replaced by a file: the download waits for the next start.
    QVERIFY(insertPluginRow("n", "ku_new", 0x11));
    QVERIFY(writeFile(downloads() + "/ku_new.so", "new"));
    QVERIFY(writeFile(userFolder() + "/ku_new.so/inside", "x"));

    kuPluginInstaller::installPendingPlugins();

    QCOMPARE(pluginStatus("n"), 0x11);
    QCOMPARE(readFile(downloads() + "/ku_new.so"), QByteArray("new"));

    QVERIFY(QDir(userFolder() + "/ku_new.so").removeRecursively());
    kuPluginInstaller::installPendingPlugins();
    QCOMPARE(pluginStatus("n"), 0x1);
    QCOMPARE(readFile(userFolder() + "/ku_new.so"), QByteArray("new"));
}

void tst_PluginInstaller::bothBitsInOneStart()
{
    QVERIFY(insertPluginRow("u", "ku_upd", 0x19));
    QVERIFY(writeFile(userFolder() + "/ku_upd.so", "old"));
    QVERIFY(writeFile(appFolder() + "/ku_upd.so", "old"));
    QVERIFY(writeFile(downloads() + "/ku_upd.so", "new"));

    kuPluginInstaller::removePendingPlugins();
    kuPluginInstaller::installPendingPlugins();

    QCOMPARE(pluginStatus("u"), 0x1);
    QCOMPARE(readFile(userFolder() + "/ku_upd.so"), QByteArray("new"));
    QVERIFY(!QFile::exists(appFolder() + "/ku_upd.so"));
}

QTEST_MAIN(tst_PluginInstaller)
#include "tst_plugininstaller.moc"
