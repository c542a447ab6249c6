#include "defaultlocale.h"
#include "kuchartdialogs.h"
#include "kuchartsettingmodel.h"
#include "kuchartsettings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

namespace {

// JSON written with single quotes, so that it reads plainly in C++ strings.
QJsonObject parse(const char* text)
{
    return QJsonDocument::fromJson(QByteArray(text).replace('\'', '"')).object();
}

QJsonArray parseArray(const char* text)
{
    return QJsonDocument::fromJson(QByteArray(text).replace('\'', '"')).array();
}

// A chart's state as its window writes it: two descriptors and two objects, one an indicator with a child series.
QJsonObject state()
{
    return parse("{"
                 " 'winType': 7, 'paperID': 5,"
                 " 'settings': ["
                 " {'name': 'chartSetting', 'label': 'График', 'params': ["
                 " {'name': 'chartStyle', 'label': 'Стиль', 'value': 201,"
                 " 'availableValue': {'Бары': 201, 'Линия': 202, 'Японские свечи': 200}},"
                 " {'name': 'backColor', 'label': 'Фон', 'value': '#ff0000'},"
                 " {'name': 'timeFrame', 'label': 'Таймфрейм', 'value': 5, 'hidden': true}]},"
                 " {'name': 'volumeSetting', 'label': 'Объём', 'params': ["
                 " {'name': 'visible', 'label': 'Показать', 'value': true}]}],"
                 " 'object': ["
                 " {'name': 'Rsi1', 'label': 'RSI', 'type': 8, 'params': ["
                 " {'name': 'period', 'label': 'Период', 'value': 14},"
                 " {'name': 'pane', 'label': 'Панель', 'value': 1, 'hidden': true}],"
                 " 'childrenObject': ["
                 " {'name': 'rsiLine', 'indType': 1, 'params': ["
                 " {'name': 'color', 'label': 'Цвет линии', 'value': '#0000ff'}]}]},"
                 " {'name': 'Line1', 'label': 'Линия тренда', 'type': 4, 'params': ["
                 " {'name': 'color', 'label': 'Цвет', 'value': '#00ff00'}]}]"
                 " }");
}

// The same with RSI's period taking whole numbers only, or any number.
QJsonObject stateWith(bool wholeNumber)
{
    QJsonObject input = state();
    if (!wholeNumber)
        return input;
    QJsonArray objects = input["object"].toArray();
    QJsonObject rsi = objects[0].toObject();
    QJsonArray params = rsi["params"].toArray();
    QJsonObject period = params[0].toObject();
    period["wholeNumber"] = true;
    params[0] = period;
    rsi["params"] = params;
    objects[0] = rsi;
    input["object"] = objects;
    return input;
}

QJsonObject accepted(kuChartSettings& dialog)
{
    dialog.accept();
    return dialog.settings();
}

QModelIndex valueOf(const QAbstractItemModel* model, int entry, int param)
{
    return model->index(param, 1, model->index(entry, 0));
}

} // namespace

class tst_ChartSettings : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { kuChartDialogs::setColor({}); }

    // "Бары" is shown for 201; the combo lists the keys in order; "Линия" stores 202, written back on Save.
    void availableValueCombo()
    {
        kuChartSettings dialog;
        dialog.setSettings(state());
        QAbstractItemModel* model = dialog.descriptorTable()->model();
        const QModelIndex cell = valueOf(model, 0, 0);
        QCOMPARE(cell.data().toString(), QString("Бары"));
        QAbstractItemDelegate* delegate = dialog.descriptorTable()->itemDelegateForColumn(1);
        QWidget parent;
        std::unique_ptr<QWidget> editor(delegate->createEditor(&parent, QStyleOptionViewItem(), cell));
        auto* combo = qobject_cast<QComboBox*>(editor.get());
        QVERIFY(combo);
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, QStringList({"Бары", "Линия", "Японские свечи"}));
        delegate->setEditorData(combo, cell);
        QCOMPARE(combo->currentText(), QString("Бары"));
        combo->setCurrentText("Линия");
        delegate->setModelData(combo, model, cell);
        QCOMPARE(cell.data().toString(), QString("Линия"));
        const QJsonObject saved = accepted(dialog);
        QCOMPARE(saved["settings"].toArray()[0].toObject()["params"].toArray()[0].toObject()["value"].toInt(), 202);
    }

    void numberCell_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("whole"); // the parameter takes whole numbers only
        QTest::addColumn<double>("stored");
        QTest::addColumn<bool>("refused");
        QTest::newRow("whole") << "20" << false << 20.0 << false;
        QTest::newRow("blanks around") << " 21 " << false << 21.0 << false;
        QTest::newRow("fraction") << "2.5" << false << 2.5 << false;
        QTest::newRow("decimal comma") << "2,5" << false << 2.5 << false;
        QTest::newRow("blank groups") << "1 234,5" << false << 1234.5 << false;
        QTest::newRow("comma group and point") << "1,234.5" << false << 14.0 << true;
        QTest::newRow("not a number") << "abc" << false << 14.0 << true;
        QTest::newRow("empty") << "" << false << 14.0 << true;
        QTest::newRow("whole-number parameter, whole") << "20" << true << 20.0 << false;
        QTest::newRow("whole-number parameter, groups") << "1 000" << true << 1000.0 << false;
        QTest::newRow("whole-number parameter, fraction") << "14,5" << true << 14.0 << true;
        QTest::newRow("whole-number parameter, zero fraction") << "15.0" << true << 14.0 << true;
    }

    // A number is edited as text and goes back as a number: the object takes no text for it.
    // Text that is no number for the cell leaves its value, and the cell shows it refused:
    // Save does not close the dialog but opens the cell again with the text to mend.
    void numberCell()
    {
        QFETCH(QString, typed);
        QFETCH(bool, whole);
        QFETCH(double, stored);
        QFETCH(bool, refused);
        kuChartSettings dialog;
        dialog.setSettings(stateWith(whole));
        QTableView* table = dialog.objectTable();
        QAbstractItemModel* model = table->model();
        const QModelIndex cell = valueOf(model, 0, 0);
        QCOMPARE(cell.data().toString(), QString("14"));
        QAbstractItemDelegate* delegate = table->itemDelegateForColumn(1);
        QWidget parent;
        std::unique_ptr<QWidget> editor(delegate->createEditor(&parent, QStyleOptionViewItem(), cell));
        QVERIFY(editor);
        delegate->setEditorData(editor.get(), cell);
        editor->setProperty(editor->metaObject()->userProperty().name(), typed);
        delegate->setModelData(editor.get(), model, cell);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(),
                 refused ? kuChartSettingDelegate::refusal(whole) : QString());
        QCOMPARE(cell.data(Qt::BackgroundRole).isValid(), refused);
        if (refused) {
            QCOMPARE(cell.data().toString(), typed);
            QCOMPARE(cell.data(kuChartSettingModel::RefusedTextRole), QVariant(typed));
            QVERIFY(accepted(dialog).isEmpty());
            const auto* reopened = qobject_cast<QLineEdit*>(table->indexWidget(cell));
            QVERIFY(reopened);
            QCOMPARE(reopened->text(), typed);
            QCOMPARE(reopened->toolTip(), kuChartSettingDelegate::refusal(whole));
            // Mended, the cell takes it and Save goes through.
            QVERIFY(model->setData(cell, stored));
            QVERIFY(!cell.data(Qt::BackgroundRole).isValid());
            QCOMPARE(cell.data().toString(), QString("14"));
        }
        const QJsonValue value =
                accepted(dialog)["object"].toArray()[0].toObject()["params"].toArray()[0].toObject()["value"];
        QVERIFY(value.isDouble());
        QCOMPARE(value.toDouble(), stored);
    }

    void numberTyped_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<double>("stored");
        QTest::addColumn<bool>("refused");
        for (const char* locale : {"C", "ru_RU", "en_US"}) {
            QTest::addRow("%s, comma", locale) << QString(locale) << "2,5" << false << 2.5 << false;
            QTest::addRow("%s, point", locale) << QString(locale) << "2.5" << false << 2.5 << false;
            QTest::addRow("%s, blank groups", locale) << QString(locale) << "1 234,5" << false << 1234.5 << false;
            QTest::addRow("%s, both marks", locale) << QString(locale) << "1,234.5" << false << 14.0 << true;
            QTest::addRow("%s, letters", locale) << QString(locale) << "1x" << false << 14.0 << true;
            QTest::addRow("%s, whole number", locale) << QString(locale) << "21" << true << 21.0 << false;
            QTest::addRow("%s, fraction for a whole number", locale) << QString(locale) << "14,5" << true << 14.0
                                                                     << true;
        }
    }

    // Typed into the table's editor and confirmed with Enter, in every locale alike. A refused
    // text keeps the editor open and says why; clicking Save leaves it in the cell, shown as
    // refused, and opens the cell again rather than closing the dialog.
    void numberTyped()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(bool, whole);
        QFETCH(double, stored);
        QFETCH(bool, refused);
        const DefaultLocale defaultLocale(locale);
        kuChartSettings dialog;
        dialog.setSettings(stateWith(whole));
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTableView* table = dialog.objectTable();
        const QModelIndex cell = valueOf(table->model(), 0, 0);
        table->setCurrentIndex(cell);
        table->edit(cell);
        const QPointer<QLineEdit> editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->text(), QString("14"));
        editor->selectAll();
        QTest::keyClicks(editor, typed);
        QTest::keyClick(editor, Qt::Key_Return);
        if (refused) {
            QVERIFY(editor && editor->isVisible());
            QCOMPARE(editor->text(), typed);
            QCOMPARE(editor->toolTip(), kuChartSettingDelegate::refusal(whole));
            QVERIFY(editor->styleSheet().contains("background"));
            QPushButton* save = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
            save->setFocus(Qt::MouseFocusReason);
            QTRY_VERIFY(!editor || !editor->isVisible());
            QCOMPARE(cell.data().toString(), typed);
            QCOMPARE(cell.data(Qt::ToolTipRole).toString(), kuChartSettingDelegate::refusal(whole));
            save->click();
            QVERIFY(dialog.isVisible());
            QVERIFY(dialog.settings().isEmpty());
            const QPointer<QLineEdit> again = qobject_cast<QLineEdit*>(QApplication::focusWidget());
            QVERIFY(again);
            QCOMPARE(again->text(), typed);
            QCOMPARE(table->currentIndex(), cell);
            QTest::keyClick(again, Qt::Key_Escape);
            QTRY_VERIFY(!again || !again->isVisible());
            QCOMPARE(cell.data().toString(), typed); // Escape leaves it refused
            QVERIFY(dialog.settings().isEmpty());
            dialog.reject();
            return;
        }
        QTRY_VERIFY(!editor || !editor->isVisible());
        const QJsonValue value =
                accepted(dialog)["object"].toArray()[0].toObject()["params"].toArray()[0].toObject()["value"];
        QVERIFY(value.isDouble());
        QCOMPARE(value.toDouble(), stored);
    }

    // Names are read whole: the column fits the longest, and each says itself in a tool tip.
    void namesReadWhole()
    {
        QJsonObject input = state();
        QJsonArray settings = input["settings"].toArray();
        QJsonObject chart = settings[0].toObject();
        QJsonArray params = chart["params"].toArray();
        params.append(parse("{'name': 'shadowDownColor', 'label': 'Цвет тени падающей свечи', 'value': '#000000'}"));
        chart["params"] = params;
        settings[0] = chart;
        input["settings"] = settings;
        kuChartSettings dialog;
        dialog.resize(394, 601);
        dialog.setSettings(input);
        dialog.setCurrentTab(1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTableView* table = dialog.descriptorTable();
        const QModelIndex root = table->model()->index(0, 0);
        for (int i = 0; i < table->model()->rowCount(root); ++i) {
            const QModelIndex name = table->model()->index(i, 0, root);
            if (table->isRowHidden(i))
                continue;
            const QString text = name.data().toString();
            QCOMPARE(name.data(Qt::ToolTipRole).toString(), text);
            QStyleOptionViewItem option;
            option.initFrom(table);
            const int needed = table->itemDelegate()->sizeHint(option, name).width();
            QVERIFY2(table->columnWidth(0) >= needed, qPrintable(text));
        }
    }

    void colourCell_data()
    {
        QTest::addColumn<QColor>("picked"); // invalid: the dialog is cancelled
        QTest::addColumn<bool>("handled");
        QTest::addColumn<QString>("stored");
        QTest::newRow("picked") << QColor(0, 255, 0, 128) << true << "#00ff00";
        QTest::newRow("cancelled") << QColor() << false << "#ff0000";
    }

    // A colour shows a framed 23 by 16 swatch; a double click asks "Выбор цвета" with the cell's colour.
    void colourCell()
    {
        QFETCH(QColor, picked);
        QFETCH(bool, handled);
        QFETCH(QString, stored);
        kuChartSettings dialog;
        dialog.setSettings(state());
        QAbstractItemModel* model = dialog.descriptorTable()->model();
        const QModelIndex cell = valueOf(model, 0, 1);
        const QImage swatch = cell.data(Qt::DecorationRole).value<QPixmap>().toImage();
        QCOMPARE(swatch.size(), QSize(23, 16));
        QCOMPARE(swatch.pixelColor(10, 8), QColor(Qt::red));
        QCOMPARE(swatch.pixelColor(0, 0), QColor(Qt::black));
        QVERIFY(!valueOf(model, 0, 0).data(Qt::DecorationRole).isValid());

        QColor offered;
        QString title;
        kuChartDialogs::setColor([&](const QColor& initial, const QString& t, QColorDialog::ColorDialogOptions) {
            offered = initial;
            title = t;
            return picked;
        });
        QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(1, 1), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QAbstractItemDelegate* delegate = dialog.descriptorTable()->itemDelegateForColumn(1);
        QCOMPARE(delegate->editorEvent(&click, model, QStyleOptionViewItem(), cell), handled);
        QCOMPARE(offered, QColor(Qt::red));
        QCOMPARE(title, QString("Выбор цвета"));
        QCOMPARE(cell.data().toString(), stored);
        // A cell that is no colour opens no dialog.
        title.clear();
        QVERIFY(!delegate->editorEvent(&click, model, QStyleOptionViewItem(), valueOf(model, 0, 0)));
        QVERIFY(title.isEmpty());
    }

    void setData_data()
    {
        QTest::addColumn<int>("param");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("changed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("same colour") << 1 << QVariant("#ff0000") << false << "#ff0000";
        QTest::newRow("other colour") << 1 << QVariant("#123456") << true << "#123456";
        QTest::newRow("no colour refused") << 1 << QVariant("redd") << false << "#ff0000";
        QTest::newRow("empty colour refused") << 1 << QVariant("") << false << "#ff0000";
        QTest::newRow("same key as shown") << 0 << QVariant("Бары") << false << "Бары";
        QTest::newRow("same value as stored") << 0 << QVariant::fromValue(QJsonValue(201)) << false << "Бары";
    }

    // An equal value sends no change; a colour cell keeps its colour against text that is none.
    void setData()
    {
        QFETCH(int, param);
        QFETCH(QVariant, value);
        QFETCH(bool, changed);
        QFETCH(QString, shown);
        kuChartSettingModel model(state()["settings"].toArray());
        const QModelIndex cell = valueOf(&model, 0, param);
        QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
        QCOMPARE(model.setData(cell, value), changed);
        QCOMPARE(spy.size(), changed ? 1 : 0);
        QCOMPARE(cell.data().toString(), shown);
        QVERIFY(!model.setData(cell, "#00ff00", Qt::DisplayRole));
    }

    // Hidden parameters are not on page 0, are on page 1, and are written back unchanged;
    // each child object gets back exactly its own parameters.
    void hiddenRowsAndWriteBack()
    {
        kuChartSettings dialog;
        const QJsonObject input = state();
        dialog.setSettings(input);
        QAbstractItemModel* chart = dialog.descriptorTable()->model();
        QCOMPARE(chart->rowCount(chart->index(0, 0)), 3);
        QAbstractItemModel* objects = dialog.objectTable()->model();
        // Page 0 lists by label, parameters too.
        QCOMPARE(objects->index(0, 0).data().toString(), QString("RSI"));
        const QModelIndex rsi = objects->index(0, 0);
        QStringList labels;
        for (int i = 0; i < objects->rowCount(rsi); ++i)
            labels << objects->index(i, 0, rsi).data().toString();
        QCOMPARE(labels, QStringList({"Период", "Цвет линии"}));
        QVERIFY(objects->setData(objects->index(1, 1, rsi), "#abcdef"));
        QVERIFY(objects->setData(objects->index(0, 1, rsi), 21));
        const QJsonObject saved = accepted(dialog);
        QCOMPARE(saved["settings"], input["settings"]);
        QJsonObject expected = parse("{'name': 'Rsi1', 'label': 'RSI', 'type': 8, 'params': ["
                                     " {'name': 'period', 'label': 'Период', 'value': 21},"
                                     " {'name': 'pane', 'label': 'Панель', 'value': 1, 'hidden': true}],"
                                     " 'childrenObject': ["
                                     " {'name': 'rsiLine', 'indType': 1, 'params': ["
                                     " {'name': 'color', 'label': 'Цвет линии', 'value': '#abcdef'}]}]}");
        QCOMPARE(saved["object"].toArray()[0].toObject(), expected);
        QCOMPARE(saved["object"].toArray()[1], input["object"].toArray()[1]);
        QCOMPARE(saved["winType"].toInt(), 7);
        QCOMPARE(saved["paperID"].toInt(), 5);
    }

    void pages_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("shownPage");
        QTest::addColumn<QString>("selected"); // empty: nothing
        QTest::newRow("objects, other case") << 0 << "LINE1" << 0 << "Line1";
        QTest::newRow("objects, empty name") << 0 << "" << 0 << "";
        QTest::newRow("objects, unknown") << 0 << "Line2" << 0 << "";
        QTest::newRow("chart, other case") << 1 << "VOLUMESETTING" << 1 << "volumeSetting";
        QTest::newRow("page -1") << -1 << "rsi1" << 0 << "Rsi1";
        QTest::newRow("page 2") << 2 << "" << 0 << "";
    }

    // selectObject takes the entry of the name in any case on the shown page, and its table follows.
    void pages()
    {
        QFETCH(int, page);
        QFETCH(QString, name);
        QFETCH(int, shownPage);
        QFETCH(QString, selected);
        kuChartSettings dialog;
        dialog.setSettings(state());
        dialog.setCurrentTab(page);
        QCOMPARE(dialog.tabWidget()->currentIndex(), shownPage);
        dialog.selectObject(name);
        QListView* list = shownPage == 1 ? dialog.descriptorList() : dialog.objectList();
        QTableView* table = shownPage == 1 ? dialog.descriptorTable() : dialog.objectTable();
        QCOMPARE(list->currentIndex().data(kuChartSettingModel::NameRole).toString(), selected);
        if (!selected.isEmpty())
            QCOMPARE(table->rootIndex(), list->currentIndex());
    }

    void deleting_data()
    {
        QTest::addColumn<QByteArray>("objects");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QStringList>("deletedNames");
        QTest::addColumn<int>("allSignals");
        QTest::addColumn<bool>("enabledAfter");
        QTest::addColumn<int>("savedObjects");
        QTest::newRow("one of two") << QByteArray("[{'name': 'A', 'label': 'a'}, {'name': 'B', 'label': 'b'}]") << false
                                    << QStringList{"A"} << 0 << true << 1;
        QTest::newRow("the last") << QByteArray("[{'name': 'A', 'label': 'a'}]") << false << QStringList{"A"} << 0
                                  << false << 0;
        QTest::newRow("without a name") << QByteArray("[{'name': '', 'label': 'a'}]") << false << QStringList() << 0
                                        << false << 0;
        QTest::newRow("all") << QByteArray("[{'name': 'A', 'label': 'a'}, {'name': 'B', 'label': 'b'}]") << true
                             << QStringList() << 1 << false << 0;
    }

    // The delete buttons remove rows, report them at once and follow what is left.
    void deleting()
    {
        QFETCH(QByteArray, objects);
        QFETCH(bool, all);
        QFETCH(QStringList, deletedNames);
        QFETCH(int, allSignals);
        QFETCH(bool, enabledAfter);
        QFETCH(int, savedObjects);
        kuChartSettings dialog;
        QJsonObject json;
        json["object"] = parseArray(objects.constData());
        dialog.setSettings(json);
        auto* remove = dialog.findChild<QPushButton*>("btnDelete");
        auto* removeAll = dialog.findChild<QPushButton*>("btnDeleteAll");
        QVERIFY(remove->isEnabled() && removeAll->isEnabled());
        QSignalSpy one(&dialog, &kuChartSettings::on_deleteObject);
        QSignalSpy every(&dialog, &kuChartSettings::on_deleteAllObject);
        dialog.objectList()->setCurrentIndex(dialog.objectList()->model()->index(0, 0));
        (all ? removeAll : remove)->click();
        QStringList names;
        for (const QList<QVariant>& args : one)
            names << args.at(0).toString();
        QCOMPARE(names, deletedNames);
        QCOMPARE(every.size(), allSignals);
        QCOMPARE(remove->isEnabled(), enabledAfter);
        QCOMPARE(removeAll->isEnabled(), enabledAfter);
        QCOMPARE(accepted(dialog)["object"].toArray().size(), savedObjects);
    }

    void deleteKeepsListAndTableTogether_data()
    {
        QTest::addColumn<int>("objects");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("shown"); // empty: none left
        QTest::newRow("first") << 3 << 0 << "B";
        QTest::newRow("middle") << 3 << 1 << "C";
        QTest::newRow("last") << 3 << 2 << "B";
        QTest::newRow("only") << 1 << 0 << "";
    }

    // After "Удалить" the list's current row and the parameter table show one
    // and the same object: the one that took the deleted row's place.
    void deleteKeepsListAndTableTogether()
    {
        QFETCH(int, objects);
        QFETCH(int, row);
        QFETCH(QString, shown);
        QJsonArray array;
        for (int i = 0; i < objects; ++i) {
            const QString name(QChar('A' + i));
            array.append(QJsonObject{
                    {"name", name},
                    {"label", name.toLower()},
                    {"params", QJsonArray{QJsonObject{{"name", "p"}, {"label", "p" + name}, {"value", i}}}}});
        }
        kuChartSettings dialog;
        dialog.setSettings(QJsonObject{{"object", array}});
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QListView* list = dialog.objectList();
        QTableView* table = dialog.objectTable();
        const QModelIndex chosen = list->model()->index(row, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(chosen).center());
        QCOMPARE(table->rootIndex(), list->currentIndex());

        dialog.findChild<QPushButton*>("btnDelete")->click();
        QCOMPARE(list->currentIndex().data(kuChartSettingModel::NameRole).toString(), shown);
        QCOMPARE(table->rootIndex(), list->currentIndex());
        QCOMPARE(list->selectionModel()->selectedIndexes(),
                 shown.isEmpty() ? QModelIndexList() : QModelIndexList{list->currentIndex()});
        const QAbstractItemModel* model = table->model();
        QCOMPARE(model->rowCount(table->rootIndex()), shown.isEmpty() ? 0 : 1);
        if (!shown.isEmpty())
            QCOMPARE(model->index(0, 0, table->rootIndex()).data().toString(), "p" + shown);
    }

    // Moving through the list with the keys takes the table along.
    void tableFollowsKeys()
    {
        kuChartSettings dialog;
        dialog.setSettings(state());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QListView* list = dialog.objectList();
        dialog.selectObject("Rsi1");
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->currentIndex().data(kuChartSettingModel::NameRole).toString(), "Line1");
        QCOMPARE(dialog.objectTable()->rootIndex(), list->currentIndex());
    }

    void emptyObjectsAndCancel()
    {
        kuChartSettings dialog;
        QJsonObject json = state();
        json["object"] = QJsonArray();
        dialog.setSettings(json);
        QVERIFY(!dialog.findChild<QPushButton*>("btnDelete")->isEnabled());
        QVERIFY(!dialog.findChild<QPushButton*>("btnDeleteAll")->isEnabled());
        QVERIFY(dialog.descriptorTable()->model()->setData(valueOf(dialog.descriptorTable()->model(), 0, 1),
                                                           "#000000"));
        dialog.reject();
        QCOMPARE(dialog.settings(), QJsonObject());
    }
};

QTEST_MAIN(tst_ChartSettings)
#include "tst_chartsettings.moc"
