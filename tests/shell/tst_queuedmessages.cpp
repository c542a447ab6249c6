#include "kuiconmanager.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuqueuedmessagewidget.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QtTest>

#include <atomic>

Q_DECLARE_METATYPE(kuQueuedMessage::Buttons)

class Receiver : public QObject
{
    Q_OBJECT

public:
    std::atomic<int> calls{0};
    QDialogButtonBox::StandardButton button = QDialogButtonBox::NoButton;
    kuQueuedMessage message;
    QThread* thread = nullptr;

public slots:
    void onMessageButton(QDialogButtonBox::StandardButton clicked, const kuQueuedMessage& source)
    {
        button = clicked;
        message = source;
        thread = QThread::currentThread();
        ++calls;
    }
};

class tst_QueuedMessages : public QObject
{
    Q_OBJECT

private slots:
    void duplicatesAreIgnored();
    void defaultsFillTheMessage();
    void timeouts();
    void buttons_data();
    void buttons();
    void removal();
    void receiver_data();
    void receiver();
    void textIsPlain();
    void clearEmptiesTheQueue();
    void toolBarFollowsTheQueue();
};

namespace {

QDialogButtonBox* buttonBox(kuQueuedMessageWidget& widget)
{
    return widget.findChild<QDialogButtonBox*>();
}

QLabel* textLabel(kuQueuedMessageWidget& widget)
{
    const QList<QLabel*> labels = widget.findChildren<QLabel*>();
    for (QLabel* label : labels)
        if (label->wordWrap())
            return label;
    return nullptr;
}

kuQueuedMessage message(const QString& text, int timeout = -1)
{
    kuQueuedMessage m;
    m.text = text;
    m.timeout = timeout;
    return m;
}

} // namespace

void tst_QueuedMessages::duplicatesAreIgnored()
{
    kuQueuedMessageWidget widget;
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);

    widget.append(message(QStringLiteral("one")));
    widget.append(message(QStringLiteral("one")));
    QCOMPARE(widget.count(), 1);
    // Same text with defaults copied in: equal too.
    widget.append(QStringLiteral("two"));
    widget.append(QStringLiteral("two"));
    QCOMPARE(widget.count(), 2);

    // Any differing field makes another message.
    kuQueuedMessage withData = message(QStringLiteral("one"));
    withData.data = 5;
    widget.append(withData);
    kuQueuedMessage withPixmap = message(QStringLiteral("one"));
    QPixmap pixmap(4, 4);
    pixmap.fill(Qt::red);
    withPixmap.pixmap = pixmap;
    widget.append(withPixmap);
    QCOMPARE(widget.count(), 4);

    // The first is shown once, from the event loop.
    QCOMPARE(shown.count(), 0);
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(shown.at(0).at(0).value<kuQueuedMessage>().text, QStringLiteral("one"));
}

void tst_QueuedMessages::defaultsFillTheMessage()
{
    kuQueuedMessageWidget widget;
    widget.resize(400, 40);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));

    const QPixmap info = kuIconManager::pixmap(QStringLiteral("info.png"));
    QVERIFY(!info.isNull());
    QCOMPARE(widget.defaultPixmap().cacheKey(), info.cacheKey());
    QCOMPARE(widget.defaultTimeout(), 0);

    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    widget.append(message(QStringLiteral("plain")));
    QTRY_COMPARE(shown.count(), 1);
    QCOMPARE(widget.currentPixmap().cacheKey(), info.cacheKey());
    QCOMPARE(widget.currentBackground().color(), QColor(250, 230, 147));
    QCOMPARE(widget.currentForeground().color(), QColor(Qt::black));
    QCOMPARE(widget.grab().toImage().pixelColor(widget.width() / 2, 1), QColor(250, 230, 147));

    // A message's own colours win.
    kuQueuedMessage coloured = message(QStringLiteral("coloured"));
    coloured.background = QBrush(Qt::red);
    coloured.foreground = QBrush(Qt::white);
    widget.append(coloured);
    widget.closeMessage();
    QTRY_COMPARE(shown.count(), 2);
    QCOMPARE(widget.currentBackground().color(), QColor(Qt::red));
    QCOMPARE(textLabel(widget)->palette().color(QPalette::WindowText), QColor(Qt::white));
    QCOMPARE(widget.grab().toImage().pixelColor(widget.width() / 2, 1), QColor(Qt::red));

    // With nothing queued the current values are the defaults.
    widget.closeMessage();
    QCOMPARE(widget.count(), 0);
    QCOMPARE(widget.currentMessage(), kuQueuedMessage());
    QCOMPARE(widget.currentBackground().color(), QColor(250, 230, 147));
}

void tst_QueuedMessages::timeouts()
{
    kuQueuedMessageWidget widget;
    widget.setDefaultTimeout(300);
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    QSignalSpy closed(&widget, &kuQueuedMessageWidget::closed);

    // A closes itself later; a button closes it first, and B takes the default.
    widget.append(QStringLiteral("A"), 100);
    widget.append(message(QStringLiteral("B")));
    QTRY_COMPARE(shown.count(), 1);
    buttonBox(widget)->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(closed.count(), 1);
    QTRY_COMPARE(shown.count(), 2);
    QElapsedTimer onScreen;
    onScreen.start();
    QCOMPARE(widget.currentMessage().text, QStringLiteral("B"));

    // A's time-out must not close B early.
    QVERIFY(closed.wait(5000));
    QVERIFY2(onScreen.elapsed() >= 280, qPrintable(QString::number(onScreen.elapsed())));
    QCOMPARE(closed.last().at(0).value<kuQueuedMessage>().text, QStringLiteral("B"));
    QCOMPARE(widget.count(), 0);
}

void tst_QueuedMessages::buttons_data()
{
    QTest::addColumn<kuQueuedMessage::Buttons>("buttons");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("none: one OK") << kuQueuedMessage::Buttons{} << QStringList{QStringLiteral("OK")};
    QTest::newRow("captions replace the standard text")
            << kuQueuedMessage::Buttons{{QDialogButtonBox::Yes, QStringLiteral("Да")},
                                        {QDialogButtonBox::No, QString()}}
            << QStringList{QStringLiteral("&No"), QStringLiteral("Да")};
}

void tst_QueuedMessages::buttons()
{
    QFETCH(kuQueuedMessage::Buttons, buttons);
    QFETCH(QStringList, texts);
    kuQueuedMessageWidget widget;
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    kuQueuedMessage m = message(QStringLiteral("question"));
    m.buttons = buttons;
    widget.append(m);
    QTRY_COMPARE(shown.count(), 1);

    QStringList shownTexts;
    const QList<QAbstractButton*> list = buttonBox(widget)->buttons();
    for (QAbstractButton* button : list)
        shownTexts << button->text();
    shownTexts.sort();
    QCOMPARE(shownTexts, texts);
}

void tst_QueuedMessages::removal()
{
    kuQueuedMessageWidget widget;
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    const kuQueuedMessage first = widget.append(QStringLiteral("first"));
    const kuQueuedMessage second = widget.append(QStringLiteral("second"));
    const kuQueuedMessage third = widget.append(QStringLiteral("third"));
    QTRY_COMPARE(shown.count(), 1);

    widget.remove(first);
    QCOMPARE(widget.count(), 3);
    QCOMPARE(widget.currentMessage(), first);
    widget.remove(message(QStringLiteral("unknown")));
    QCOMPARE(widget.count(), 3);

    widget.remove(second);
    QCOMPARE(widget.count(), 2);
    widget.closeMessage();
    QTRY_COMPARE(shown.count(), 2);
    QCOMPARE(shown.last().at(0).value<kuQueuedMessage>(), third);
}

void tst_QueuedMessages::receiver_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("same thread") << "direct";
    QTest::newRow("other thread") << "queued";
    QTest::newRow("destroyed") << "dead";
}

void tst_QueuedMessages::receiver()
{
    QFETCH(QString, kind);
    kuQueuedMessageWidget widget;
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    QSignalSpy finished(&widget, &kuQueuedMessageWidget::finished);

    QThread worker;
    auto* receiver = new Receiver;
    if (kind == QLatin1String("queued")) {
        receiver->moveToThread(&worker);
        worker.start();
    }

    kuQueuedMessage m = message(QStringLiteral("order"));
    m.buttons = {{QDialogButtonBox::Yes, QString()}, {QDialogButtonBox::No, QString()}};
    m.receiver = receiver;
    m.member = QByteArray("onMessageButton");
    m.data = 42;
    widget.append(m);
    QTRY_COMPARE(shown.count(), 1);

    if (kind == QLatin1String("dead")) {
        delete receiver;
        receiver = nullptr;
    }
    buttonBox(widget)->button(QDialogButtonBox::Yes)->click();
    QCOMPARE(finished.count(), 1);
    QCOMPARE(widget.count(), 0);

    if (receiver) {
        QTRY_COMPARE(receiver->calls.load(), 1);
        // The worker wrote the fields; they are safe to read once it has ended.
        worker.quit();
        worker.wait();
        QCOMPARE(receiver->button, QDialogButtonBox::Yes);
        QCOMPARE(receiver->message.data.toInt(), 42);
        QCOMPARE(receiver->thread, kind == QLatin1String("queued") ? &worker : QThread::currentThread());
    }
    worker.quit();
    worker.wait();
    delete receiver;
}

void tst_QueuedMessages::textIsPlain()
{
    kuQueuedMessageWidget widget;
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    const QString text = QStringLiteral("<b>Заявка</b> <a href=\"http://example.invalid\">снята</a> & 1 < 2");
    widget.append(message(text));
    QTRY_COMPARE(shown.count(), 1);

    QLabel* label = textLabel(widget);
    QVERIFY(label);
    QCOMPARE(label->text(), text);
    QCOMPARE(label->textFormat(), Qt::PlainText);
    QCOMPARE(label->toolTip(), text);
}

void tst_QueuedMessages::clearEmptiesTheQueue()
{
    kuQueuedMessageWidget widget;
    QSignalSpy shown(&widget, &kuQueuedMessageWidget::shown);
    QSignalSpy closed(&widget, &kuQueuedMessageWidget::closed);
    QSignalSpy cleared(&widget, &kuQueuedMessageWidget::cleared);
    widget.append(QStringLiteral("first"), 50);
    widget.append(QStringLiteral("second"));
    QTRY_COMPARE(shown.count(), 1);

    widget.clear();
    QCOMPARE(cleared.count(), 1);
    QCOMPARE(widget.count(), 0);
    QVERIFY(textLabel(widget)->text().isEmpty());
    QVERIFY(buttonBox(widget)->buttons().isEmpty());

    // The cleared message's time-out does not close the next one early.
    widget.append(QStringLiteral("third"), 250);
    QTRY_COMPARE(shown.count(), 2);
    QElapsedTimer onScreen;
    onScreen.start();
    QVERIFY(closed.wait(5000));
    QVERIFY2(onScreen.elapsed() >= 230, qPrintable(QString::number(onScreen.elapsed())));
    QCOMPARE(closed.last().at(0).value<kuQueuedMessage>().text, QStringLiteral("third"));
}

void tst_QueuedMessages::toolBarFollowsTheQueue()
{
    QMainWindow window;
    auto* toolBar = new kuQueuedMessageToolBar(&window);
    window.addToolBar(Qt::TopToolBarArea, toolBar);
    toolBar->hide();
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QCOMPARE(toolBar->objectName(), QStringLiteral("kuQueuedMessageToolBar"));
    QVERIFY(!toolBar->isMovable());
    QVERIFY(!toolBar->toggleViewAction()->isVisible());
    kuQueuedMessageWidget* widget = toolBar->messageWidget();
    QSignalSpy finished(widget, &kuQueuedMessageWidget::finished);

    toolBar->appendMessage(QStringLiteral("Связь восстановлена"));
    QTRY_VERIFY(toolBar->isVisible());
    buttonBox(*widget)->button(QDialogButtonBox::Ok)->click();
    QCOMPARE(finished.count(), 1);
    QVERIFY(!toolBar->isVisible());

    toolBar->appendMessage(QStringLiteral("again"), 0);
    QTRY_VERIFY(toolBar->isVisible());

    QFont font = toolBar->font();
    font.setPointSize(15);
    toolBar->setFont(font);
    QCOMPARE(widget->font().pointSize(), 15);
}

QTEST_MAIN(tst_QueuedMessages)
#include "tst_queuedmessages.moc"
