#include "kuaccessdb.h"
#include "kuapplication.h"
#include "kuclient.h"
#include "kumigration.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuqueuedmessagewidget.h"
#include "kusettingshash.h"
#include "kutableview.h"
#include "kutabwidget.h"
#include "kuworkspace.h"
#include "kuworkspacesavesetting.h"
#include "kuworkspacesetting.h"
#include "kuworkspacesettingmodel.h"
#include "kuworkspacesettingproxymodel.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// While it lives, answers the modal dialogs: the save dialog is filled and
// closed as told, a message box gets 'answer' and its text is kept.
class ModalAnswers
{
public:
    ModalAnswers(QString path, QString description, bool accept, QMessageBox::StandardButton answer = QMessageBox::Ok)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [=] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || !modal->isVisible())
                return;
            if (auto* save = qobject_cast<kuWorkspaceSaveSetting*>(modal)) {
                save->findChild<QLineEdit*>("pathSetting")->setText(path);
                save->findChild<QPlainTextEdit*>("descriptionText")->setPlainText(description);
                accept ? save->accept() : save->reject();
            } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->text().trimmed();
                QAbstractButton* button = box->button(answer);
                (button ? button : box->buttons().value(0))->click();
            }
        });
        m_timer.start(5);
    }

    QStringList texts;

private:
    QTimer m_timer;
};

// Rows of table settings as "path | description | active", by path.
QStringList tableRows()
{
    kuAccessDB db;
    const QVariantList values = db.execute("select path, description, active_flag, hash from settings");
    QStringList rows;
    for (int i = 0; i + 3 < values.size(); i += 4) {
        const QString path = values.at(i).toString();
        // Every row is keyed by the one hash form.
        if (values.at(i + 3).toString() != settingsHash(path))
            rows << "bad key: " + path;
        rows << QFileInfo(path).fileName() + " | " + values.at(i + 1).toString() + " | " + values.at(i + 2).toString();
    }
    rows.sort();
    return rows;
}

QString defaultRow(bool active)
{
    return QFileInfo(kuApplication::defaultSettingsFile()).fileName() + " | Настройки по умолчанию | " +
           QString::number(active ? 1 : 0);
}

} // namespace

class tst_WorkspaceSetting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void append_data();
    void append();
    void replaceRefreshesTheList();
    void saveFails_data();
    void saveFails();
    void saveDialog_data();
    void saveDialog();
    void load_data();
    void load();
    void remove_data();
    void remove();
    void missingFileRow();
    void cleanupTestCase();

private:
    QString pathOf(const QString& name) const { return m_dir.filePath(name); }
    void appendVia(kuWorkspaceSetting& dialog, const QString& path, const QString& description);
    // The proxy row showing that path; invalid when none.
    QModelIndex rowOf(kuWorkspaceSetting& dialog, const QString& path) const;

    QTemporaryDir m_dir;
    QPointer<kuClient> m_client;
};

void tst_WorkspaceSetting::initTestCase()
{
    QVERIFY(updateDatabaseSchema());
    m_client = kuClient::createInstance();
}

void tst_WorkspaceSetting::init()
{
    kuAccessDB db;
    QVERIFY(db.executeNonQuery("delete from settings where path<>?1;", {kuApplication::defaultSettingsFile()}));
    QVERIFY(db.executeNonQuery("begin immediate transaction;update settings set active_flag=1;commit;"));
    m_client->currentWorkSpace()->messageBar()->messageWidget()->clear();
}

void tst_WorkspaceSetting::appendVia(kuWorkspaceSetting& dialog, const QString& path, const QString& description)
{
    ModalAnswers answers(path, description, true);
    dialog.appendSetting();
}

QModelIndex tst_WorkspaceSetting::rowOf(kuWorkspaceSetting& dialog, const QString& path) const
{
    const QAbstractItemModel* model = dialog.proxyModel();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 2);
        if (index.data(kuWorkspaceSettingModel::PathRole).toString() == path)
            return index;
    }
    return QModelIndex();
}

void tst_WorkspaceSetting::append_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    QTest::newRow("plain") << "main.vlm"
                           << "Основная";
    QTest::newRow("apostrophes, two lines") << "it's mine.vlm"
                                            << "O'Neil's\nвторая строка";
}

// Written with the layout, recorded as the one active row, shown, and made the file in use.
void tst_WorkspaceSetting::append()
{
    QFETCH(QString, name);
    QFETCH(QString, description);
    const QString path = pathOf(name);
    kuWorkspaceSetting dialog;
    appendVia(dialog, path, description);

    QCOMPARE(tableRows(), (QStringList{defaultRow(false), name + " | " + description + " | 1"}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    kuAccessDB db;
    QCOMPARE(db.execute("select content from settings where hash=?1", {settingsHash(path)}).value(0).toString(),
             QString::fromLatin1(file.readAll().toHex()));
    QPointer<kuApplication> app = kuApplication::instance();
    QCOMPARE(app->settingsFilePath(), path);
    QVERIFY(app->appSettings().value("application").toObject().contains("tabs"));
    QVERIFY(m_client->windowTitle().endsWith(" - " + path));
    QCOMPARE(m_client->currentWorkSpace()->messageBar()->messageWidget()->currentMessage().text,
             QStringLiteral("Настройки успешно сохранены"));
    const QModelIndex row = rowOf(dialog, path);
    QVERIFY(row.isValid());
    QCOMPARE(row.data(kuWorkspaceSettingModel::DescriptionRole).toString(), description);
    QCOMPARE(row.data().toString(), QFileInfo(path).baseName());
    QVERIFY(row.siblingAtColumn(1).data(kuWorkspaceSettingModel::ActiveRole).toBool());
    QVERIFY(!row.siblingAtColumn(1).data(Qt::DecorationRole).isNull());
    QCOMPARE(dialog.proxyModel()->rowCount(), 2);

    // Cancelling the save dialog writes nothing.
    {
        ModalAnswers answers(pathOf("other.vlm"), "x", false);
        dialog.appendSetting();
    }
    QVERIFY(!QFile::exists(pathOf("other.vlm")));
    QCOMPARE(tableRows().size(), 2);
}

// The same path again replaces its row; the list shows the new description and mark at once.
void tst_WorkspaceSetting::replaceRefreshesTheList()
{
    const QString first = pathOf("a.vlm");
    const QString second = pathOf("b.vlm");
    kuWorkspaceSetting dialog;
    appendVia(dialog, first, "первое");
    appendVia(dialog, second, "второе");
    appendVia(dialog, first, "заменено");
    QCOMPARE(tableRows(), (QStringList{defaultRow(false), "a.vlm | заменено | 1", "b.vlm | второе | 0"}));
    QCOMPARE(rowOf(dialog, first).data(kuWorkspaceSettingModel::DescriptionRole).toString(),
             QStringLiteral("заменено"));
    QVERIFY(rowOf(dialog, first).data(kuWorkspaceSettingModel::ActiveRole).toBool());
    QVERIFY(!rowOf(dialog, second).data(kuWorkspaceSettingModel::ActiveRole).toBool());
    QCOMPARE(kuApplication::instance()->settingsFilePath(), first);
}

void tst_WorkspaceSetting::saveFails_data()
{
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("reason");
    QTest::newRow("no such folder") << "no such folder/x.vlm"
                                    << "папки " + pathOf("no such folder") + " нет";
    QTest::newRow("a folder") << "" << m_dir.path() + " — это папка, а не файл";
    QTest::newRow("layout over the limit") << "big.vlm"
                                           << "рабочее пространство занимает ";
}

// Nothing is written or recorded, and the message says why.
void tst_WorkspaceSetting::saveFails()
{
    QFETCH(QString, target);
    QFETCH(QString, reason);
    const QString inUse = kuApplication::instance()->settingsFilePath();
    const QString path = target.isEmpty() ? m_dir.path() : pathOf(target);
    kuTabWidget* tabs = m_client->tabWidget();
    const QString name = tabs->tabName(0);
    if (target == "big.vlm")
        tabs->setTabName(0, QString(int(kuApplication::maxSettingsBytes), QLatin1Char('x')));
    kuWorkspaceSetting dialog;
    appendVia(dialog, path, "x");
    tabs->setTabName(0, name);
    QCOMPARE(tableRows(), QStringList{defaultRow(true)});
    const QString message = m_client->currentWorkSpace()->messageBar()->messageWidget()->currentMessage().text;
    QVERIFY2(message.startsWith("Не удалось сохранить настройки: " + reason), qPrintable(message));
    QCOMPARE(kuApplication::instance()->settingsFilePath(), inUse);
    QCOMPARE(QFileInfo(path).isDir(), target.isEmpty());
    if (!target.isEmpty())
        QVERIFY(!QFileInfo::exists(path));
}

// The path is typed or chosen, and OK waits for one; a bare name goes to the settings folder.
void tst_WorkspaceSetting::saveDialog_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("path");
    QTest::newRow("nothing") << QString() << QString();
    QTest::newRow("blanks") << "   " << QString();
    QTest::newRow("full path") << pathOf("typed.vlm") << pathOf("typed.vlm");
    QTest::newRow("bare name") << " mine.vlm " << kuApplication::configPath() + "/mine.vlm";
}

void tst_WorkspaceSetting::saveDialog()
{
    QFETCH(QString, typed);
    QFETCH(QString, path);
    kuWorkspaceSaveSetting dialog;
    auto* edit = dialog.findChild<QLineEdit*>("pathSetting");
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Ok);
    QVERIFY(!ok->isEnabled());
    QVERIFY(!edit->isReadOnly());
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    edit->setFocus();
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), typed);
    QCOMPARE(dialog.filePath(), path);
    QCOMPARE(ok->isEnabled(), !path.isEmpty());
    QTest::mouseClick(ok, Qt::LeftButton);
    QCOMPARE(dialog.result(), path.isEmpty() ? int(QDialog::Rejected) : int(QDialog::Accepted));
    QCOMPARE(dialog.isVisible(), path.isEmpty());
}

void tst_WorkspaceSetting::load_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<int>("answer");
    QTest::addColumn<QString>("error");
    const int ok = QMessageBox::Ok;
    QTest::newRow("loaded") << "none" << ok << QString();
    QTest::newRow("declined") << "none" << int(QMessageBox::Cancel) << QString();
    QTest::newRow("file gone") << "remove file" << ok << "Не удалось загрузить настройки из файла ";
    QTest::newRow("file damaged") << "damage file" << ok << "Файл настроек ";
    QTest::newRow("row gone") << "remove row" << ok << "Не удалось выбрать настройку ";
}

// Only a readable settings file whose row really became the active one is handed back.
void tst_WorkspaceSetting::load()
{
    QFETCH(QString, change);
    QFETCH(int, answer);
    QFETCH(QString, error);
    const QString path = pathOf("it's the one.vlm");
    const QString other = pathOf("other.vlm");
    kuWorkspaceSetting dialog;
    appendVia(dialog, path, "загружаемая");
    appendVia(dialog, other, "активная");
    const QModelIndex row = rowOf(dialog, path);
    QVERIFY(row.isValid());
    dialog.view()->setCurrentIndex(row);

    if (change == "remove file") {
        QVERIFY(QFile::remove(path));
    } else if (change == "damage file") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not binary json");
    } else if (change == "remove row") {
        kuAccessDB db;
        QVERIFY(db.executeNonQuery("delete from settings where hash=?1", {settingsHash(path)}));
    }

    const bool loads = error.isEmpty() && answer == QMessageBox::Ok;
    {
        ModalAnswers answers(QString(), QString(), true, QMessageBox::StandardButton(answer));
        dialog.slot_loadSetting();
        QCOMPARE(answers.texts.value(0), QStringLiteral("Будет загружена выбранная настройка. Продолжить?"));
        QCOMPARE(answers.texts.size(), error.isEmpty() ? 1 : 2);
        if (!error.isEmpty())
            QVERIFY(answers.texts.last().startsWith(error + path));
        if (change == "damage file") {
            // Set aside beside itself, the bytes kept; the message names both files.
            const QStringList aside = QDir(m_dir.path()).entryList({"it's the one.damaged-*.vlm"});
            QCOMPARE(aside.size(), 1);
            QVERIFY(answers.texts.last().contains(pathOf(aside.first())));
            QFile kept(pathOf(aside.first()));
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("not binary json"));
            QVERIFY(!QFile::exists(path));
            // The list follows: no row for the name that is gone, the row under the new one.
            QVERIFY(!rowOf(dialog, path).isValid());
            const QModelIndex moved = rowOf(dialog, pathOf(aside.first()));
            QVERIFY(moved.isValid());
            QVERIFY(moved.data(kuWorkspaceSettingModel::ExistsRole).toBool());
            QCOMPARE(moved.data(kuWorkspaceSettingModel::DescriptionRole).toString(), QStringLiteral("загружаемая"));
            QVERIFY(!moved.data(kuWorkspaceSettingModel::ActiveRole).toBool());
        }
    }
    QCOMPARE(dialog.result(), loads ? int(QDialog::Accepted) : int(QDialog::Rejected));
    QCOMPARE(dialog.loadedPath(), loads ? path : QString());
    kuAccessDB db;
    QCOMPARE(db.execute("select path from settings where active_flag=1"), QVariantList{loads ? path : other});
}

void tst_WorkspaceSetting::remove_data()
{
    QTest::addColumn<int>("answer");
    QTest::newRow("confirmed") << int(QMessageBox::Ok);
    QTest::newRow("declined") << int(QMessageBox::Cancel);
}

// Only the current row goes; the file stays on disk.
void tst_WorkspaceSetting::remove()
{
    QFETCH(int, answer);
    const QString path = pathOf("gone's.vlm");
    kuWorkspaceSetting dialog;
    appendVia(dialog, path, "удаляемая");
    appendVia(dialog, pathOf("kept.vlm"), "остается");
    {
        // No current row: nothing is asked.
        ModalAnswers answers(QString(), QString(), true, QMessageBox::StandardButton(answer));
        dialog.view()->setCurrentIndex(QModelIndex());
        dialog.slot_removeSetting();
        QVERIFY(answers.texts.isEmpty());
        dialog.view()->setCurrentIndex(rowOf(dialog, path));
        dialog.slot_removeSetting();
        QCOMPARE(answers.texts, QStringList{"Вы уверены, что хотите удалить выбранные настройки?"});
    }
    const bool removed = answer == QMessageBox::Ok;
    QCOMPARE(tableRows().size(), removed ? 2 : 3);
    QCOMPARE(rowOf(dialog, path).isValid(), !removed);
    QVERIFY(QFile::exists(path));
}

// A row whose file is gone shows dark red and cannot be loaded.
void tst_WorkspaceSetting::missingFileRow()
{
    const QString path = pathOf("vanished.vlm");
    kuWorkspaceSetting dialog;
    appendVia(dialog, path, "пропавшая");
    appendVia(dialog, pathOf("present.vlm"), "есть");
    QVERIFY(QFile::remove(path));
    dialog.reloadRows();
    auto* load = dialog.findChild<QPushButton*>("btnLoadSetting");
    dialog.view()->setCurrentIndex(rowOf(dialog, pathOf("present.vlm")));
    QVERIFY(load->isEnabled());
    const QModelIndex gone = rowOf(dialog, path);
    QCOMPARE(gone.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::darkRed));
    QVERIFY(!gone.data(kuWorkspaceSettingModel::ExistsRole).toBool());
    dialog.view()->setCurrentIndex(gone);
    QVERIFY(!load->isEnabled());
    QCOMPARE(rowOf(dialog, pathOf("present.vlm")).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::black));
}

void tst_WorkspaceSetting::cleanupTestCase()
{
    delete m_client.data();
}

int main(int argc, char** argv)
{
    QDir(kuApplication::configPath()).removeRecursively();
    QPointer<kuApplication> app = kuApplication::createInstance(argc, argv);
    app->setQuitOnLastWindowClosed(false);
    int rc = 0;
    {
        tst_WorkspaceSetting test;
        rc = QTest::qExec(&test, argc, argv);
    }
    delete app.data();
    return rc;
}

#include "tst_workspacesetting.moc"
