#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include "logcapture.h"
#include "styleloader.h"

namespace {

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

} // namespace

class tst_StyleLoader : public QObject
{
    Q_OBJECT
private slots:
    void defaultPath()
    {
        QCOMPARE(StyleLoader::defaultStylePath(), QCoreApplication::applicationDirPath() + "/style.qss");
    }

    void reloadByKey_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("reloads");
        QTest::newRow("F5") << int(Qt::Key_F5) << int(Qt::NoModifier) << true;
        QTest::newRow("Ctrl+F5") << int(Qt::Key_F5) << int(Qt::ControlModifier) << true;
        QTest::newRow("F6") << int(Qt::Key_F6) << int(Qt::NoModifier) << false;
        QTest::newRow("letter") << int(Qt::Key_A) << int(Qt::NoModifier) << false;
    }
    void reloadByKey()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, reloads);
        QTemporaryDir dir;
        const QString path = dir.filePath("style.qss");
        const QByteArray first = "QLineEdit { color: red; }";
        const QByteArray second = "QLineEdit { color: blue; } /* ещё */";
        QVERIFY(writeFile(path, first));

        QLineEdit edit;
        edit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&edit));
        StyleLoader::attach(path, QKeySequence(Qt::Key_F5));
        auto* loader = qApp->findChild<StyleLoader*>();
        QVERIFY(loader);
        QCOMPARE(qApp->styleSheet(), QString::fromUtf8(first));

        QVERIFY(writeFile(path, second));
        QSignalSpy edited(&edit, &QLineEdit::textEdited);
        QTest::keyClick(&edit, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(qApp->styleSheet(), QString::fromUtf8(reloads ? second : first));
        // A reload consumes its key; other keys reach the widget.
        if (key == Qt::Key_A)
            QCOMPARE(edited.count(), 1);

        delete loader;
        qApp->setStyleSheet(QString());
    }

    void missingFileKeepsSheet()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("style.qss");
        QVERIFY(writeFile(path, "QWidget { color: green; }"));
        StyleLoader loader(qApp, path, QKeySequence(Qt::Key_F5));
        loader.load();
        QVERIFY(QFile::remove(path));
        QStringList debug;
        {
            LogCapture log;
            loader.load();
            debug = log.lines({QtDebugMsg});
        }
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { color: green; }"));
        QCOMPARE(debug, QStringList{"Cannot open stylesheet file " + path});
        qApp->setStyleSheet(QString());
    }
};

QTEST_MAIN(tst_StyleLoader)
#include "tst_styleloader.moc"
