// The text label and its dialog: the preview style sheet, the modes and
// buttons, the new-text maker with its cursor, the label's properties, its
// placing by the mouse and its edit and deletion by double click.
#include <QtTest>

#include "kuchartobjects.h"
#include "kuchartobjecttext.h"
#include "kucolorbutton.h"
#include "kutextobjectdialog.h"
#include "objectfixture.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFontComboBox>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QTextEdit>
#include <QToolButton>

#include <functional>

using namespace objectfixture;
using Change = std::function<void(kuTextObjectDialog*)>;
Q_DECLARE_METATYPE(Change)

namespace {

QString expectedStyle(const QString& color, const QString& family, const QString& size, const QString& style,
                      const QString& weight, const QString& decoration)
{
    const QString gap(44, QLatin1Char(' '));
    return "color: " + color + ";" + gap + "font-family: \"" + family + "\";" + gap + "font-size: " + size + "pt;" +
           gap + "font-style: " + style + ";" + gap + "font-weight: " + weight + ";" + gap +
           "text-decoration: " + decoration;
}

// Runs every dialog of the scope with the given answer instead of a user.
class Answer
{
public:
    explicit Answer(kuTextObjectDialog::Runner runner) { kuTextObjectDialog::setRunner(std::move(runner)); }
    ~Answer() { kuTextObjectDialog::setRunner(nullptr); }
};

int typeAndAccept(kuTextObjectDialog* dialog, const QString& text)
{
    dialog->textEdit()->setPlainText(text);
    dialog->accept();
    return dialog->result();
}

} // namespace

class tst_ChartObjectText : public QObject
{
    Q_OBJECT

private slots:
    void defaultStyleSheet();
    void percentInFamily();
    void familyThatIsNoCssName_data();
    void familyThatIsNoCssName();
    void everyControlRebuildsStyle_data();
    void everyControlRebuildsStyle();
    void modes();
    void editButtons_data();
    void editButtons();
    void sizesOutsideList_data();
    void sizesOutsideList();

    void newTextMaker_data();
    void newTextMaker();
    void escapeNewText();
    void properties();
    void styleSwitchesOnly_data();
    void styleSwitchesOnly();
    void jsonRoundTrip();
    void followsPointerCentred();
    void dropsWhereShown();
    void dragAndRelease();
    void releaseOutsideData();
    void repaintBounds();
    void doubleClickDeletes();
};

void tst_ChartObjectText::defaultStyleSheet()
{
    kuTextObjectDialog dialog;
    QCOMPARE(dialog.previewStyleFormat().size(), 312);
    // Arial, or the family the system gives for it.
    const QString family = dialog.fontComboBox()->currentText();
    QCOMPARE(family, QFontInfo(QFont(QStringLiteral("Arial"))).family());
    QCOMPARE(dialog.sizeComboBox()->count(), 8);
    QCOMPARE(dialog.sizeComboBox()->currentText(), QStringLiteral("7"));
    Answer answer([](kuTextObjectDialog* d) { return d->result(); });
    dialog.execNew();
    QCOMPARE(dialog.previewLabel()->styleSheet(), expectedStyle("#000000", family, "7", "normal", "normal", "none"));
}

void tst_ChartObjectText::percentInFamily()
{
    kuTextObjectDialog dialog;
    dialog.fontComboBox()->addItem(QStringLiteral("Od%3d %1"));
    dialog.fontComboBox()->setCurrentIndex(dialog.fontComboBox()->count() - 1);
    QCOMPARE(dialog.previewLabel()->styleSheet(),
             expectedStyle("#000000", "Od%3d %1", "7", "normal", "normal", "none"));
}

// Families Qt names with their foundry, or with quotes, are no CSS names: the rest of the style must still hold.
void tst_ChartObjectText::familyThatIsNoCssName_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<QString>("written");
    QTest::newRow("foundry") << QStringLiteral("Nimbus Sans [urw]") << QStringLiteral("Nimbus Sans [urw]");
    QTest::newRow("digit first") << QStringLiteral("3270 Mono") << QStringLiteral("3270 Mono");
    QTest::newRow("quote") << QStringLiteral("My \"Font\"") << QStringLiteral("My \\\"Font\\\"");
}

void tst_ChartObjectText::familyThatIsNoCssName()
{
    QFETCH(QString, family);
    QFETCH(QString, written);
    kuTextObjectDialog dialog;
    dialog.fontComboBox()->addItem(family);
    dialog.fontComboBox()->setCurrentIndex(dialog.fontComboBox()->count() - 1);
    dialog.boldToolButton()->click();
    dialog.sizeComboBox()->setCurrentIndex(3);
    QCOMPARE(dialog.previewLabel()->styleSheet(), expectedStyle("#000000", written, "10", "normal", "bold", "none"));
    dialog.previewLabel()->ensurePolished();
    QCOMPARE(dialog.previewLabel()->font().weight(), int(QFont::Bold));
    QCOMPARE(dialog.previewLabel()->font().pointSize(), 10);
}

void tst_ChartObjectText::everyControlRebuildsStyle_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("style");
    QTest::newRow("size") << Change([](kuTextObjectDialog* d) { d->sizeComboBox()->setCurrentIndex(3); })
                          << expectedStyle("#000000", "FAMILY", "10", "normal", "normal", "none");
    QTest::newRow("colour") << Change([](kuTextObjectDialog* d) { d->colorButton()->setColor(QColor("#123456")); })
                            << expectedStyle("#123456", "FAMILY", "7", "normal", "normal", "none");
    QTest::newRow("bold") << Change([](kuTextObjectDialog* d) { d->boldToolButton()->click(); })
                          << expectedStyle("#000000", "FAMILY", "7", "normal", "bold", "none");
    QTest::newRow("italic") << Change([](kuTextObjectDialog* d) { d->italicToolButton()->click(); })
                            << expectedStyle("#000000", "FAMILY", "7", "italic", "normal", "none");
    QTest::newRow("underline") << Change([](kuTextObjectDialog* d) { d->underlineToolButton()->click(); })
                               << expectedStyle("#000000", "FAMILY", "7", "normal", "normal", "underline");
}

void tst_ChartObjectText::everyControlRebuildsStyle()
{
    QFETCH(Change, change);
    QFETCH(QString, style);
    kuTextObjectDialog dialog;
    style.replace(QLatin1String("FAMILY"), dialog.fontComboBox()->currentText());
    change(&dialog);
    QCOMPARE(dialog.previewLabel()->styleSheet(), style);
    // Typing changes the text alone.
    dialog.textEdit()->setPlainText(QStringLiteral("Уровень"));
    QCOMPARE(dialog.previewLabel()->text(), QStringLiteral("Уровень"));
    QCOMPARE(dialog.previewLabel()->styleSheet(), style);
}

void tst_ChartObjectText::modes()
{
    CursorGuard guard;
    kuTextObjectDialog idle;
    QCOMPARE(idle.dialogMode(), int(kuTextObjectDialog::NotStarted));
    QCOMPARE(idle.exec(), 0);
    QCOMPARE(idle.deleteButton()->text(), QStringLiteral("Удалить"));
    QVERIFY(!idle.execEdit(nullptr));

    kuTextObjectDialog dialog;
    Answer answer([](kuTextObjectDialog* d) {
        // Outside the edit mode the delete button does nothing.
        d->handleDeleteText(d->deleteButton());
        return typeAndAccept(d, QString());
    });
    QCOMPARE(dialog.execNew(), int(QDialog::Accepted));
    QCOMPARE(dialog.dialogMode(), int(kuTextObjectDialog::NewText));
    QVERIFY(!dialog.deleteButton()->isEnabled());
    QVERIFY(dialog.cursorPushed());
    QCOMPARE(CursorGuard::top(), Qt::PointingHandCursor);
}

void tst_ChartObjectText::editButtons_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<bool>("changed");
    QTest::newRow("Cancel") << "cancel" << true << false;
    QTest::newRow("OK") << "ok" << true << true;
    QTest::newRow("Удалить") << "delete" << false << false;
}

void tst_ChartObjectText::editButtons()
{
    QFETCH(QString, button);
    QFETCH(bool, kept);
    QFETCH(bool, changed);
    QGraphicsSimpleTextItem item(QStringLiteral("Было"));
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(9);
    item.setFont(font);
    item.setPen(QPen(QColor("#336699")));
    QString preview;
    Answer answer([&](kuTextObjectDialog* d) {
        [&] {
            QCOMPARE(d->dialogMode(), int(kuTextObjectDialog::EditText));
            QVERIFY(d->deleteButton()->isEnabled());
            QCOMPARE(d->textEdit()->toPlainText(), QStringLiteral("Было"));
            QCOMPARE(d->sizeComboBox()->currentText(), QStringLiteral("9"));
        }();
        d->textEdit()->setPlainText(QStringLiteral("Стало"));
        d->boldToolButton()->click();
        if (button == "ok")
            d->accept();
        else if (button == "cancel")
            d->reject();
        else
            d->deleteButton()->click();
        preview = d->previewLabel()->text();
        return d->result();
    });
    kuTextObjectDialog dialog;
    QCOMPARE(dialog.execEdit(&item), kept);
    QCOMPARE(item.isVisible(), kept);
    if (button == "delete")
        QCOMPARE(preview, QStringLiteral("Стало"));
    QCOMPARE(item.text(), changed ? QStringLiteral("Стало") : QStringLiteral("Было"));
    if (changed) {
        QCOMPARE(item.font(), dialog.previewLabel()->font());
        QCOMPARE(item.font().weight(), int(QFont::Bold));
        QCOMPARE(item.font().pointSize(), 9);
        QCOMPARE(item.pen().color(), QColor("#336699"));
    } else {
        QCOMPARE(item.font(), font);
        QCOMPARE(item.pen().color(), QColor("#336699"));
    }
}

void tst_ChartObjectText::sizesOutsideList_data()
{
    QTest::addColumn<int>("points");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("shown");
    QTest::newRow("6 pt") << 6 << 0 << "7";
    QTest::newRow("14 pt") << 14 << 0 << "14";
    QTest::newRow("20 pt") << 20 << 0 << "14";
    QTest::newRow("11 px") << 0 << 11 << "8";
}

void tst_ChartObjectText::sizesOutsideList()
{
    QFETCH(int, points);
    QFETCH(int, pixels);
    QFETCH(QString, shown);
    QGraphicsSimpleTextItem item(QStringLiteral("x"));
    QFont font(QStringLiteral("Arial"));
    if (points > 0)
        font.setPointSize(points);
    else
        font.setPixelSize(pixels);
    item.setFont(font);
    Answer answer([&](kuTextObjectDialog* d) {
        d->accept();
        return d->result();
    });
    kuTextObjectDialog dialog;
    QVERIFY(dialog.execEdit(&item));
    QCOMPARE(dialog.sizeComboBox()->currentText(), shown);
    QVERIFY(dialog.previewLabel()->styleSheet().contains("font-size: " + shown + "pt;"));
    QCOMPARE(item.font().pointSize(), shown.toInt());
}

void tst_ChartObjectText::newTextMaker_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("made");
    QTest::newRow("OK with text") << "Вход" << true << true;
    QTest::newRow("OK without text") << "" << true << false;
    QTest::newRow("Cancel") << "Вход" << false << false;
}

void tst_ChartObjectText::newTextMaker()
{
    QFETCH(QString, typed);
    QFETCH(bool, ok);
    QFETCH(bool, made);
    auto core = chart();
    CursorGuard guard;
    Answer answer([&](kuTextObjectDialog* d) {
        d->textEdit()->setPlainText(typed);
        d->boldToolButton()->click();
        d->colorButton()->setColor(QColor("#aa0000"));
        ok ? d->accept() : d->reject();
        return d->result();
    });
    kuChartObjects::registerMakers();
    std::unique_ptr<kuChartObject> object(core->createObject(otText, QJsonObject()));
    QCOMPARE(bool(object), made);
    if (!made) {
        QVERIFY(CursorGuard::balanced());
        return;
    }
    auto* text = qobject_cast<kuChartObjectText*>(object.get());
    QVERIFY(text);
    QCOMPARE(text->text(), typed);
    QCOMPARE(text->textFontWeight(), QStringLiteral("bold"));
    QCOMPARE(text->textColor(), QColor("#aa0000"));
    QCOMPARE(text->textFontSize(), 7);
    QCOMPARE(text->textItem()->opacity(), 0.7);
    QVERIFY(text->eventFilter()->isPlacing());
    // The pointing hand stays until the label is dropped.
    QCOMPARE(CursorGuard::top(), Qt::PointingHandCursor);
    core->scene()->setActiveObject(text);
    send(core.get(), text->textItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), 8, 120));
    send(core.get(), text->textItem(), QEvent::GraphicsSceneMousePress, at(core.get(), 8, 120));
    QVERIFY(!text->eventFilter()->isPlacing());
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    send(core.get(), text->textItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 8, 120));
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectText::escapeNewText()
{
    auto core = chart();
    CursorGuard guard;
    Answer answer([](kuTextObjectDialog* d) { return typeAndAccept(d, QStringLiteral("Вход")); });
    kuChartObjects::registerMakers();
    kuChartObject* text = core->createObject(otText, QJsonObject());
    QVERIFY(text);
    core->appendObject(text);
    core->scene()->setActiveObject(text);
    QCOMPARE(CursorGuard::top(), Qt::PointingHandCursor);
    escape(text);
    QVERIFY(!text->graphicsItem()->isVisible());
    QVERIFY(CursorGuard::balanced());
    core->redraw();
    QVERIFY(core->objects().isEmpty());
}

void tst_ChartObjectText::properties()
{
    auto core = chart();
    kuChartObjectText text(core.get(), QJsonObject());
    // The caption's font is sized in pixels (11 px): its size in points is derived.
    QCOMPARE(text.textFontSize(), 8);
    QCOMPARE(text.textFontFamily(), QStringLiteral("Tahoma"));
    QCOMPARE(text.textColor(), core->foreColor());
    QVERIFY(std::isnan(text.price()));
    QCOMPARE(text.candleDateTime(), QString());
    for (int ignored : {0, -1}) {
        text.setTextFontSize(ignored);
        QCOMPARE(text.textFontSize(), 8);
    }
    text.setTextFontSize(12);
    QCOMPARE(text.textItem()->font().pointSize(), 12);
    QVERIFY(!text.caption()->isVisible());
    for (const QJsonValue& p : text.params()) {
        const QJsonObject param = p.toObject();
        QCOMPARE(param.value("label").toString(), param.value("name").toString());
        QVERIFY(param.value("hidden").toBool());
    }
    QFont font = text.textItem()->font();
    font.setWeight(57);
    text.textItem()->setFont(font);
    QCOMPARE(text.textFontWeight(), QStringLiteral("normal"));
    font.setWeight(58);
    text.textItem()->setFont(font);
    QCOMPARE(text.textFontWeight(), QStringLiteral("bold"));
}

void tst_ChartObjectText::styleSwitchesOnly_data()
{
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("read");
    QTest::newRow("italic") << QByteArray("textFontStyle") << "italic"
                            << "italic";
    QTest::newRow("style normal") << QByteArray("textFontStyle") << "normal"
                                  << "normal";
    QTest::newRow("style other") << QByteArray("textFontStyle") << "oblique"
                                 << "normal";
    QTest::newRow("bold") << QByteArray("textFontWeight") << "bold"
                          << "bold";
    QTest::newRow("weight normal") << QByteArray("textFontWeight") << "normal"
                                   << "normal";
    QTest::newRow("underline") << QByteArray("textDecoration") << "underline"
                               << "underline";
    QTest::newRow("decoration none") << QByteArray("textDecoration") << "none"
                                     << "none";
}

void tst_ChartObjectText::styleSwitchesOnly()
{
    QFETCH(QByteArray, property);
    QFETCH(QString, value);
    QFETCH(QString, read);
    auto core = chart();
    kuChartObjectText text(core.get(), QJsonObject());
    const QFont before = text.textItem()->font();
    text.setProperty(property, value);
    QCOMPARE(text.property(property).toString(), read);
    if (read != value || value == "normal" || value == "none")
        QCOMPARE(text.textItem()->font(), before);
}

void tst_ChartObjectText::jsonRoundTrip()
{
    auto core = chart();
    kuChartObjectText text(core.get(), QJsonObject());
    text.setText(QStringLiteral("Поддержка"));
    text.setTextColor(QColor("#00aa00"));
    text.setTextFontFamily(QStringLiteral("Arial"));
    text.setTextFontSize(10);
    text.setTextFontStyle(QStringLiteral("italic"));
    text.setTextFontWeight(QStringLiteral("bold"));
    text.setTextDecoration(QStringLiteral("underline"));
    text.setPrice(120.5);
    text.setDateTimeFromX(at(core.get(), 6, 120).x());
    const QJsonObject json = text.toJson();
    QCOMPARE(json.value("type").toInt(), 1);
    QCOMPARE(json.value("label").toString(), QStringLiteral("Поддержка"));
    kuChartObjectText restored(core.get(), json);
    QCOMPARE(restored.params(), json.value("params").toArray());
    QCOMPARE(restored.textItem()->opacity(), 1.0);
    QVERIFY(!restored.eventFilter()->isPlacing());
    restored.repaint();
    QVERIFY(restored.textItem()->isVisible());
    QCOMPARE(restored.textItem()->pos(), QPointF(at(core.get(), 6, 120.5)));
}

void tst_ChartObjectText::followsPointerCentred()
{
    auto core = chart();
    kuChartObjectText text(core.get(), QJsonObject());
    text.setText(QStringLiteral("Метка"));
    const QRectF r = text.textItem()->boundingRect();
    const QPointF pointer = at(core.get(), 10, 120);
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseMove, pointer);
    const double left = pointer.x() - r.width() / 2;
    const double top = pointer.y() - r.height() / 2;
    // The price the pointer picks lies on the price step.
    QCOMPARE(text.price(), core->priceAtPointer(qint64(top)));
    QCOMPARE(text.candleDateTime(), kuChartObjectBase::dateTimeToText(text.dateTimeAtX(left)));
    // At the plot's top-left corner the text stays inside.
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseMove, QPointF(double(core->plotLeft()), 0));
    QCOMPARE(text.price(), core->priceAtPointer(core->paneTop()));
    QCOMPARE(text.candleDateTime(), kuChartObjectBase::dateTimeToText(text.dateTimeAtX(double(core->plotLeft()))));
}

// A new text is dropped where the moves showed it, centred on the pointer: it
// does not jump to put its corner at the pointer.
void tst_ChartObjectText::dropsWhereShown()
{
    auto core = chart();
    CursorGuard guard;
    kuChartObjectText text(core.get(), QJsonObject());
    text.setText(QStringLiteral("Метка"));
    core->scene()->setActiveObject(&text);
    const QPointF pointer = at(core.get(), 10, 120);
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseMove, pointer);
    QVERIFY(text.textItem()->isVisible());
    const QPointF shown = text.textItem()->pos();
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMousePress, pointer);
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseRelease, pointer);
    QVERIFY(!text.eventFilter()->isPlacing());
    text.repaint();
    QCOMPARE(text.textItem()->pos(), shown);
}

void tst_ChartObjectText::dragAndRelease()
{
    auto core = chart();
    CursorGuard guard;
    QJsonObject json{{"params", QJsonArray{QJsonObject{{"name", "text"}, {"value", "A"}},
                                           QJsonObject{{"name", "price"}, {"value", 120.0}},
                                           QJsonObject{{"name", "candleDateTime"}, {"value", "2024-03-01 12:50"}}}}};
    kuChartObjectText text(core.get(), json);
    // Not hovered: swallowed.
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMousePress, at(core.get(), 4, 122));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    send(core.get(), text.textItem(), QEvent::GraphicsSceneHoverEnter);
    QCOMPARE(text.textItem()->opacity(), 0.5);
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMousePress, at(core.get(), 10, 120));
    QVERIFY(core->scene()->isGrabbed());
    QCOMPARE(CursorGuard::top(), Qt::DragMoveCursor);
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseRelease, at(core.get(), 4, 122));
    QCOMPARE(text.candleDateTime(), kuChartObjectBase::dateTimeToText(candleTime(core.get(), 4)));
    QCOMPARE(text.price(), core->yToPrice(qint64(core->priceToY(122))));
    QVERIFY(!core->scene()->isGrabbed());
    QVERIFY(CursorGuard::balanced());
    send(core.get(), text.textItem(), QEvent::GraphicsSceneHoverLeave);
    QCOMPARE(text.textItem()->opacity(), 1.0);
}

void tst_ChartObjectText::releaseOutsideData()
{
    // Twelve candles: the slots left of the oldest hold none.
    auto core = chartfixture::coreWith(chartfixture::seriesOf(1, 12));
    core->redraw();
    CursorGuard guard;
    kuChartObjectText text(core.get(), QJsonObject());
    text.setText(QStringLiteral("B"));
    core->scene()->setActiveObject(&text);
    // The text goes where the moves show it, centred on the pointer and kept
    // inside the plot: here at the plot's left edge, over no candle.
    const QPointF beyond(double(core->plotLeft()) - 30, 100);
    QVERIFY(!text.dateTimeAtX(double(core->plotLeft())).isValid());
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseRelease, beyond);
    QVERIFY(text.eventFilter()->isPlacing());
    QVERIFY(core->scene()->isGrabbed());
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMouseMove, at(core.get(), 5, 120));
    const QString anchored = text.candleDateTime();
    send(core.get(), text.textItem(), QEvent::GraphicsSceneMousePress, beyond);
    QVERIFY(!text.eventFilter()->isPlacing());
    QCOMPARE(text.candleDateTime(), anchored);
    text.repaint();
    QVERIFY(text.textItem()->isVisible());
    QVERIFY(CursorGuard::balanced());
}

void tst_ChartObjectText::repaintBounds()
{
    auto core = chart();
    kuChartObjectText text(core.get(), QJsonObject());
    text.setText(QStringLiteral("Длинная метка"));
    const double w = text.textItem()->boundingRect().width();
    // The newest candle: the text would pass the plot's right edge.
    text.setDateTimeFromX(at(core.get(), 0, 120).x());
    text.setPrice(120);
    text.repaint();
    QVERIFY(at(core.get(), 0, 120).x() + w > double(core->plotRight()));
    QVERIFY(!text.textItem()->isVisible());
    text.setDateTimeFromX(at(core.get(), 12, 120).x());
    text.repaint();
    QVERIFY(text.textItem()->isVisible());
    // Its top just above the pane's bottom still shows.
    text.setPrice(core->yToPrice(core->paneBottom() - 2));
    text.repaint();
    QVERIFY(text.textItem()->isVisible());
    text.setVisible(false);
    QVERIFY(!text.textItem()->isVisible());
}

void tst_ChartObjectText::doubleClickDeletes()
{
    auto core = chart();
    QJsonObject json{{"params", QJsonArray{QJsonObject{{"name", "text"}, {"value", "A"}},
                                           QJsonObject{{"name", "price"}, {"value", 120.0}},
                                           QJsonObject{{"name", "candleDateTime"}, {"value", "2024-03-01 12:50"}}}}};
    auto* text = new kuChartObjectText(core.get(), json);
    core->appendObject(text);
    QSignalSpy spy(core.get(), &kuChartCore::signal_onModifyObject);
    {
        Answer answer([](kuTextObjectDialog* d) { return typeAndAccept(d, QStringLiteral("Б")); });
        send(core.get(), text->textItem(), QEvent::GraphicsSceneMouseDoubleClick);
    }
    QCOMPARE(text->text(), QStringLiteral("Б"));
    QVERIFY(!text->isDeleted());
    {
        Answer answer([](kuTextObjectDialog* d) {
            d->deleteButton()->click();
            return d->result();
        });
        send(core.get(), text->textItem(), QEvent::GraphicsSceneMouseDoubleClick);
    }
    QVERIFY(text->isDeleted());
    QVERIFY(!text->textItem()->isVisible());
    QCOMPARE(spy.count(), 0);
    core->redraw();
    QVERIFY(core->objects().isEmpty());
}

QTEST_MAIN(tst_ChartObjectText)
#include "tst_chartobjecttext.moc"
