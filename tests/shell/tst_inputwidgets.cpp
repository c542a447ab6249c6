#include "defaultlocale.h"
#include "kucheckcombobox.h"
#include "kucolorbutton.h"
#include "kudoublespinbox.h"
#include "kuintegerdialog.h"
#include "kutoolbar.h"

#include <QApplication>
#include <QColorDialog>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

#include <functional>

class tst_InputWidgets : public QObject
{
    Q_OBJECT

private slots:
    void colorButtonTexts_data();
    void colorButtonTexts();
    void colorButtonSignals();
    void colorButtonAlphaSwitch();
    void colorButtonDialog_data();
    void colorButtonDialog();
    void spinBoxFormat_data();
    void spinBoxFormat();
    void spinBoxParse_data();
    void spinBoxParse();
    void spinBoxEditsShownText();
    void spinBoxTyped_data();
    void spinBoxTyped();
    void integerDialogTyped_data();
    void integerDialogTyped();
    void checkComboFace_data();
    void checkComboFace();
    void checkComboEntries();
    void checkComboElidesNarrowFace();
    void toolBarOffersNoContextMenu();
};

namespace {

// Acts on the colour dialog once its modal loop runs.
void whenColorDialogOpens(const std::function<void(QColorDialog*)>& act)
{
    auto* poll = new QTimer;
    poll->setInterval(0);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}

} // namespace

void tst_InputWidgets::colorButtonTexts_data()
{
    QTest::addColumn<QColor>("colour");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<bool>("alphaEnabled");
    QTest::newRow("orange") << QColor(255, 128, 0) << "RGBA #ff8000ff"
                            << "RGBA #ff8000ff\nRGBA 255, 128, 0, 255" << false;
    QTest::newRow("small values are padded") << QColor(1, 2, 3) << "RGBA #010203ff"
                                             << "RGBA #010203ff\nRGBA 1, 2, 3, 255" << false;
    QTest::newRow("half transparent") << QColor(10, 200, 255, 128) << "RGBA #0ac8ff80"
                                      << "RGBA #0ac8ff80\nRGBA 10, 200, 255, 128" << true;
}

void tst_InputWidgets::colorButtonTexts()
{
    QFETCH(QColor, colour);
    QFETCH(QString, text);
    QFETCH(QString, toolTip);
    QFETCH(bool, alphaEnabled);

    kuColorButton button(colour);
    QCOMPARE(button.text(), text);
    QCOMPARE(button.toolTip(), toolTip);
    QCOMPARE(button.alphaEnabled(), alphaEnabled);
    QCOMPARE(button.color(), colour);
    QCOMPARE(button.property("color").value<QColor>(), colour);

    // The same texts through setColor on a default (black) button.
    kuColorButton other;
    QCOMPARE(other.color(), QColor(Qt::black));
    QCOMPARE(other.text(), QStringLiteral("RGBA #000000ff"));
    other.setAlphaEnabled(alphaEnabled);
    other.setColor(colour);
    QCOMPARE(other.text(), text);
    QCOMPARE(other.toolTip(), toolTip);
}

void tst_InputWidgets::colorButtonSignals()
{
    kuColorButton button{QColor(Qt::red)};
    QSignalSpy changed(&button, &kuColorButton::colorChanged);

    button.setDefaultColor(QColor(Qt::blue));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(button.color(), QColor(Qt::blue));

    button.setColor(QColor(Qt::blue));
    button.setColor(QColor(Qt::blue));
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().at(0).value<QColor>(), QColor(Qt::blue));

    // Without the alpha channel a transparent colour is stored opaque.
    button.setColor(QColor(0, 0, 255, 20));
    QCOMPARE(changed.last().at(0).value<QColor>().alpha(), 255);
    QCOMPARE(button.text(), QStringLiteral("RGBA #0000ffff"));
}

void tst_InputWidgets::colorButtonAlphaSwitch()
{
    const QColor translucent(255, 128, 0, 128);
    kuColorButton button(translucent);
    QVERIFY(button.alphaEnabled());
    QSignalSpy changed(&button, &kuColorButton::colorChanged);

    button.setAlphaEnabled(false);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(0).value<QColor>(), QColor(255, 128, 0, 255));
    QCOMPARE(button.color().alpha(), 255);
    QCOMPARE(button.text(), QStringLiteral("RGBA #ff800080"));

    // Switched back on, the kept alpha counts again.
    button.setAlphaEnabled(true);
    QCOMPARE(button.color(), translucent);
}

void tst_InputWidgets::colorButtonDialog_data()
{
    QTest::addColumn<QColor>("start");
    QTest::addColumn<bool>("accept");
    QTest::newRow("opaque, cancelled") << QColor(Qt::red) << false;
    QTest::newRow("opaque, accepted") << QColor(Qt::red) << true;
    QTest::newRow("translucent, accepted") << QColor(255, 0, 0, 100) << true;
}

void tst_InputWidgets::colorButtonDialog()
{
    QFETCH(QColor, start);
    QFETCH(bool, accept);
    kuColorButton button(start);
    QSignalSpy changed(&button, &kuColorButton::colorChanged);
    const QColor chosen(0, 128, 255, start.alpha());

    bool alphaOffered = !button.alphaEnabled();
    QColor initial;
    whenColorDialogOpens([&](QColorDialog* dialog) {
        alphaOffered = dialog->testOption(QColorDialog::ShowAlphaChannel);
        initial = dialog->currentColor();
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Выбор цвета"));
        if (accept) {
            dialog->setCurrentColor(chosen);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
    button.click();

    QCOMPARE(alphaOffered, button.alphaEnabled());
    QCOMPARE(initial, start);
    if (accept) {
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).value<QColor>(), chosen);
        QCOMPARE(button.color(), chosen);
    } else {
        QCOMPARE(changed.count(), 0);
        QCOMPARE(button.color(), start);
    }
}

void tst_InputWidgets::spinBoxFormat_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    QTest::newRow("groups and point") << 1234.5 << 2 << "1 234.50";
    QTest::newRow("below a thousand") << 12.0 << 0 << "12";
    QTest::newRow("millions, negative") << -1234567.891 << 3 << "-1 234 567.891";
    QTest::newRow("rounding adds a group") << 999.999 << 2 << "1 000.00";
}

void tst_InputWidgets::spinBoxFormat()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    kuDoubleSpinBox spin;
    spin.setRange(-1e9, 1e9);
    spin.setDecimals(decimals);
    spin.setValue(value);
    QCOMPARE(spin.text(), text);
    QCOMPARE(spin.locale().decimalPoint(), QLatin1Char('.'));
}

void tst_InputWidgets::spinBoxParse_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("state");
    QTest::newRow("with a blank") << ""
                                  << "1 234.5" << 1234.5 << int(QValidator::Acceptable);
    QTest::newRow("without blanks") << ""
                                    << "1234.5" << 1234.5 << int(QValidator::Acceptable);
    QTest::newRow("as shown") << ""
                              << "1 234 567.25" << 1234567.25 << int(QValidator::Acceptable);
    QTest::newRow("negative") << ""
                              << "-1 000" << -1000.0 << int(QValidator::Acceptable);
    QTest::newRow("blank suffix kept") << " шт."
                                       << "1 234.50 шт." << 1234.5 << int(QValidator::Acceptable);
    // Not Invalid, which would drop the keystroke and take 124: refused when editing ends.
    QTest::newRow("letters") << ""
                             << "1 2a4" << 0.0 << int(QValidator::Intermediate);
}

void tst_InputWidgets::spinBoxParse()
{
    QFETCH(QString, suffix);
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(int, state);
    kuDoubleSpinBox spin;
    spin.setRange(-1e9, 1e9);
    spin.setDecimals(2);
    spin.setSuffix(suffix);

    QString input = text;
    int pos = input.size();
    QCOMPARE(int(spin.validate(input, pos)), state);
    QCOMPARE(input, text);
    if (state == QValidator::Acceptable)
        QCOMPARE(spin.valueFromText(text), value);
}

void tst_InputWidgets::spinBoxEditsShownText()
{
    kuDoubleSpinBox spin;
    spin.setRange(0, 1e7);
    spin.setDecimals(2);
    spin.setValue(1234.5);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin));
    QCOMPARE(spin.text(), QStringLiteral("1 234.50"));

    // Typing with blanks, as the box shows numbers, is taken.
    spin.selectAll();
    QTest::keyClicks(&spin, QStringLiteral("2 345.75"));
    QCOMPARE(spin.text(), QStringLiteral("2 345.75"));
    QTest::keyClick(&spin, Qt::Key_Return);
    QCOMPARE(spin.value(), 2345.75);

    // A digit put into the shown text is read back as well.
    spin.findChild<QLineEdit*>()->setCursorPosition(1);
    QTest::keyClicks(&spin, QStringLiteral("1"));
    QTest::keyClick(&spin, Qt::Key_Return);
    QCOMPARE(spin.value(), 21345.75);
    QCOMPARE(spin.text(), QStringLiteral("21 345.75"));
}

void tst_InputWidgets::spinBoxTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("tab"); // else Enter
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("refused");
    const double before = 50;
    struct Case
    {
        const char* name;
        int decimals;
        QString typed;
        double value; // before: refused
    };
    const QList<Case> cases{
            {"decimal comma", 2, "893,5", 893.5},
            {"decimal point", 2, "893.5", 893.5},
            {"blank groups, comma", 2, "1 234,5", 1234.5},
            {"no-break blank groups", 2, QStringLiteral("1\u00a0234\u00a0567.25"), 1234567.25},
            {"narrow no-break blank", 2, QStringLiteral("1\u202f234,5"), 1234.5},
            {"comma without integer part", 2, ",5", 0.5},
            {"decimals in full", 3, "0,125", 0.125},
            {"comma group and point", 2, "1,234.5", before},
            {"point group and comma", 2, "1.234,5", before},
            {"two commas", 2, "1,234,5", before},
            {"letters", 2, "abc", before},
            {"letter inside", 2, "89a3", before},
            {"more decimals than the field", 2, "893,567", before},
            {"blank in the fraction", 2, "893,5 5", before},
            {"sign inside", 2, "89-3", before},
            {"below the minimum", 2, "-5", before},
            {"emptied", 2, "", before},
            {"whole number, blank groups", 0, "1 000", 1000},
            {"whole number, comma", 0, "12,5", before},
            {"whole number, point and zero", 0, "12.0", before},
    };
    for (const char* locale : {"C", "ru_RU", "en_US"}) {
        bool tab = true;
        for (const Case& c : cases) {
            QTest::addRow("%s, %s", locale, c.name)
                    << QString(locale) << c.decimals << c.typed << tab << c.value << (c.value == before);
            tab = !tab;
        }
    }
}

// Typed through the keyboard and left with Tab or Enter, in every locale alike: a number is taken,
// anything else keeps the previous value and marks the entry refused.
void tst_InputWidgets::spinBoxTyped()
{
    QFETCH(QString, locale);
    QFETCH(int, decimals);
    QFETCH(QString, typed);
    QFETCH(bool, tab);
    QFETCH(double, value);
    QFETCH(bool, refused);
    const DefaultLocale defaultLocale(locale);
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* spin = new kuDoubleSpinBox(&window);
    auto* next = new QLineEdit(&window);
    layout->addWidget(spin);
    layout->addWidget(next);
    spin->setRange(0, 1e9);
    spin->setDecimals(decimals);
    spin->setValue(50);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    spin->setFocus();
    QTRY_VERIFY(spin->hasFocus());
    QSignalSpy changed(spin, qOverload<double>(&QDoubleSpinBox::valueChanged));

    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Delete);
    // keyClicks knows Latin-1 only: the narrow no-break blank goes as a key with its text.
    for (const QChar c : typed) {
        if (c.unicode() < 256)
            QTest::keyClick(spin, c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, spin, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
    QCOMPARE(spin->findChild<QLineEdit*>()->text(), typed); // shown as typed until editing ends
    QTest::keyClick(spin, tab ? Qt::Key_Tab : Qt::Key_Return);
    if (tab)
        QTRY_VERIFY(next->hasFocus());

    QCOMPARE(spin->value(), value);
    QCOMPARE(spin->text(), spin->textFromValue(value));
    QCOMPARE(changed.size(), refused ? 0 : 1);
    QCOMPARE(spin->entryRefused(), refused);
}

void tst_InputWidgets::integerDialogTyped_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("okButton");   // else Enter
    QTest::addColumn<QString>("message"); // empty: taken
    const QString wanted = QStringLiteral("Введите целое число от 1 до 50.");
    for (const char* locale : {"C", "ru_RU"}) {
        for (const bool ok : {false, true}) {
            const char* how = ok ? "OK" : "Enter";
            QTest::addRow("%s, %s, whole", locale, how) << QString(locale) << "7" << ok << "";
            QTest::addRow("%s, %s, letters", locale, how)
                    << QString(locale) << "abc" << ok << QStringLiteral("«abc» не принято. ") + wanted;
            QTest::addRow("%s, %s, above the maximum", locale, how)
                    << QString(locale) << "99" << ok << QStringLiteral("«99» не принято. ") + wanted;
            QTest::addRow("%s, %s, fraction", locale, how)
                    << QString(locale) << "5,5" << ok << QStringLiteral("«5,5» не принято. ") + wanted;
        }
    }
    QTest::newRow("below the minimum") << "C"
                                       << "0" << false << QStringLiteral("«0» не принято. ") + wanted;
    QTest::newRow("emptied") << "C"
                             << "" << true << wanted;
}

// A refused entry keeps the dialog open and says so under the field, which holds the old value
// again; a whole number in range typed then is taken.
void tst_InputWidgets::integerDialogTyped()
{
    QFETCH(QString, locale);
    QFETCH(QString, typed);
    QFETCH(bool, okButton);
    QFETCH(QString, message);
    const DefaultLocale defaultLocale(locale);
    bool stayedOpen = false;
    QString said;
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        QApplication::setActiveWindow(dialog);
        auto* field = dialog->findChild<QDoubleSpinBox*>();
        auto* label = dialog->findChild<QLabel*>(QStringLiteral("message"));
        QPushButton* ok = dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        QTest::keyClicks(field, typed);
        if (okButton)
            QTest::mouseClick(ok, Qt::LeftButton);
        else
            QTest::keyClick(field, Qt::Key_Return);
        stayedOpen = dialog->isVisible();
        said = label && label->isVisible() ? label->text() : QString();
        shown = field->text();
        if (!stayedOpen)
            return;
        QTRY_VERIFY(field->hasFocus());
        QTest::keyClicks(field, QStringLiteral("12")); // the old value is selected
        QTest::keyClick(field, Qt::Key_Return);
        if (dialog->isVisible())
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
    });
    bool ok = false;
    const int value = askInteger(nullptr, QStringLiteral("Глубина"), QStringLiteral("Глубина"), 20, 1, 50, &ok);
    QCOMPARE(stayedOpen, !message.isEmpty());
    QCOMPARE(said, message);
    QVERIFY(ok);
    if (message.isEmpty()) {
        QCOMPARE(value, typed.toInt());
    } else {
        QCOMPARE(shown, QStringLiteral("20"));
        QCOMPARE(value, 12);
    }
}

void tst_InputWidgets::checkComboFace_data()
{
    QTest::addColumn<QList<int>>("checkedRows");
    QTest::addColumn<QString>("face");
    QTest::newRow("none") << QList<int>{} << "";
    QTest::newRow("first and third") << QList<int>{0, 2} << "A, C";
    QTest::newRow("all") << QList<int>{0, 1, 2} << "A, B, C";
}

void tst_InputWidgets::checkComboFace()
{
    QFETCH(QList<int>, checkedRows);
    QFETCH(QString, face);
    kuCheckComboBox combo;
    combo.resize(300, 24);
    combo.addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});

    auto* model = qobject_cast<QStandardItemModel*>(combo.model());
    QVERIFY(model);
    for (int row : checkedRows)
        model->item(row)->setCheckState(Qt::Checked);

    QCOMPARE(combo.displayText(), face);
    QCOMPARE(combo.toolTip(), face);
    QCOMPARE(combo.checkedItems().join(QStringLiteral(", ")), face);
}

void tst_InputWidgets::checkComboEntries()
{
    kuCheckComboBox combo;
    combo.resize(300, 24);
    combo.addItems({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
    combo.insertItem(1, QStringLiteral("Inserted"));
    auto* model = qobject_cast<QStandardItemModel*>(combo.model());

    // Entries are checked, never selected.
    for (int row = 0; row < model->rowCount(); ++row) {
        QCOMPARE(model->item(row)->flags(), Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        QCOMPARE(model->item(row)->checkState(), Qt::Unchecked);
    }

    combo.setCheckedItems({QStringLiteral("C"), QStringLiteral("a"), QStringLiteral("Inserted")});
    QCOMPARE(combo.checkedItems(), (QStringList{QStringLiteral("Inserted"), QStringLiteral("C")}));
    QCOMPARE(combo.displayText(), QStringLiteral("Inserted, C"));

    // Removing a checked entry drops it from the face.
    combo.removeItem(1);
    QCOMPARE(combo.checkedItems(), QStringList{QStringLiteral("C")});
    QCOMPARE(combo.toolTip(), QStringLiteral("C"));

    combo.setCheckedItems({QStringLiteral("nothing")});
    QVERIFY(combo.checkedItems().isEmpty());
    QVERIFY(combo.displayText().isEmpty());
    QVERIFY(combo.toolTip().isEmpty());
}

void tst_InputWidgets::checkComboElidesNarrowFace()
{
    kuCheckComboBox combo;
    combo.resize(600, 24);
    combo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&combo));
    const QStringList names{QStringLiteral("Первый счёт"), QStringLiteral("Второй счёт"),
                            QStringLiteral("Третий счёт")};
    combo.addItems(names);
    combo.setCheckedItems(names);
    const QString joined = names.join(QStringLiteral(", "));
    QCOMPARE(combo.displayText(), joined);

    combo.resize(80, 24);
    QCOMPARE(combo.toolTip(), joined);
    QVERIFY(combo.displayText() != joined);
    QVERIFY(combo.displayText().endsWith(QChar(0x2026)));
    QVERIFY(combo.fontMetrics().horizontalAdvance(combo.displayText()) <= 80 - 26);

    combo.resize(600, 24);
    QCOMPARE(combo.displayText(), joined);
}

void tst_InputWidgets::toolBarOffersNoContextMenu()
{
    struct Window : QMainWindow
    {
        int menus = 0;
        void contextMenuEvent(QContextMenuEvent* event) override
        {
            ++menus;
            event->accept();
        }
    } window;
    auto* toolBar = new kuToolBar(&window);
    window.addToolBar(toolBar);
    auto* plain = new QToolBar(&window);
    window.addToolBar(plain);

    QContextMenuEvent onPlain(QContextMenuEvent::Mouse, QPoint(2, 2));
    QApplication::sendEvent(plain, &onPlain);
    QCOMPARE(window.menus, 1);

    QContextMenuEvent onOurs(QContextMenuEvent::Mouse, QPoint(2, 2));
    QApplication::sendEvent(toolBar, &onOurs);
    QCOMPARE(window.menus, 1);
}

QTEST_MAIN(tst_InputWidgets)
#include "tst_inputwidgets.moc"
