#include <QtTest>

#include <QLayout>
#include <QToolButton>

#include "dockingtest.h"
#include "dropoverlay.h"
#include "dropoverlaycross.h"
#include "floatingwidget.h"
#include "sectiontitlewidget.h"

using namespace ads;
using namespace dockingtest;

class tst_SectionTitleWidget : public QObject
{
    Q_OBJECT

private slots:
    void clickOrMove_data();
    void clickOrMove();
    void tearOffAndDrop_data();
    void tearOffAndDrop();
    void releaseOutsideLeavesFloating();
    void closingFloatingWindow_data();
    void closingFloatingWindow();
    void closeHandlerMayRemoveTheContent();

private:
    // Container on screen with H[a+b*, c].
    struct Fixture
    {
        ContainerWidget c;
        SectionContent::RefPtr a, b, cc;
        SectionWidget* left = nullptr;
        SectionWidget* right = nullptr;

        Fixture()
        {
            a = makeContent(&c, "a");
            b = makeContent(&c, "b");
            cc = makeContent(&c, "c");
            left = c.addSectionContent(a);
            c.addSectionContent(b, left, CenterDropArea);
            left->setCurrentIndex(1);
            right = c.addSectionContent(cc, left, RightDropArea);
            c.setGeometry(100, 100, 600, 400);
            c.show();
        }
    };

    static void send(QWidget* w, QEvent::Type type, const QPoint& global, Qt::MouseButton button,
                     Qt::MouseButtons buttons)
    {
        QCursor::setPos(global);
        QMouseEvent e(type, w->mapFromGlobal(global), global, button, buttons, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    static void press(QWidget* w, const QPoint& local)
    {
        send(w, QEvent::MouseButtonPress, w->mapToGlobal(local), Qt::LeftButton, Qt::LeftButton);
    }
    static void moveTo(QWidget* w, const QPoint& global)
    {
        send(w, QEvent::MouseMove, global, Qt::NoButton, Qt::LeftButton);
    }
    static void releaseAt(QWidget* w, const QPoint& global)
    {
        send(w, QEvent::MouseButtonRelease, global, Qt::LeftButton, Qt::NoButton);
    }
    static QPoint iconCentre(DropOverlay* overlay, DropArea area)
    {
        overlay->cross()->layout()->activate();
        QWidget* icon = overlay->cross()->areaWidget(area);
        return icon->mapToGlobal(icon->rect().center());
    }
};

void tst_SectionTitleWidget::clickOrMove_data()
{
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<int>("moveBy");        // sideways, in the title row
    QTest::addColumn<bool>("toOtherTitle"); // release over the other tab
    QTest::addColumn<bool>("clicked");
    QTest::addColumn<QString>("expected");

    const int d = QApplication::startDragDistance();
    QTest::newRow("short move is a click") << QPoint(3, 3) << d - 1 << false << true << "a+b*";
    QTest::newRow("press at origin is no press") << QPoint(0, 0) << 0 << false << false << "a*+b";
    QTest::newRow("drag onto other tab") << QPoint(3, 3) << d << true << true << "b*+a";
    QTest::newRow("drag released over no tab") << QPoint(3, 3) << d << false << true << "a+b*";
}

void tst_SectionTitleWidget::clickOrMove()
{
    QFETCH(QPoint, pressAt);
    QFETCH(int, moveBy);
    QFETCH(bool, toOtherTitle);
    QFETCH(bool, clicked);
    QFETCH(QString, expected);

    Fixture f;
    f.left->setCurrentIndex(0);
    SectionTitleWidget* title = f.left->titleAt(1);
    QSignalSpy clicks(title, &SectionTitleWidget::clicked);

    press(title, pressAt);
    moveTo(title, title->mapToGlobal(pressAt + QPoint(moveBy, 0)));
    QPoint releaseGlobal = title->mapToGlobal(pressAt + QPoint(moveBy, 0));
    if (toOtherTitle) {
        SectionTitleWidget* other = f.left->titleAt(0);
        releaseGlobal = other->mapToGlobal(other->rect().center());
        moveTo(title, releaseGlobal);
    }
    if (moveBy >= QApplication::startDragDistance() && !toOtherTitle)
        QTest::ignoreMessage(QtDebugMsg, "Invalid index for tab movement 1 -1");
    releaseAt(title, releaseGlobal);

    QCOMPARE(clicks.count(), clicked ? 1 : 0);
    QCOMPARE(tree(f.left), expected);
    QVERIFY(f.c.floatings().isEmpty());
    QVERIFY(f.c.containerDropOverlay()->isHidden());
}

void tst_SectionTitleWidget::tearOffAndDrop_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<bool>("onSection"); // the section overlay, else the container's
    QTest::addColumn<QString>("expected");

    QTest::newRow("top of c") << int(TopDropArea) << true << "H[a,V[b,c]]";
    QTest::newRow("right of c") << int(RightDropArea) << true << "H[a,c,b]";
    QTest::newRow("bottom of c") << int(BottomDropArea) << true << "H[a,V[c,b]]";
    QTest::newRow("left of c") << int(LeftDropArea) << true << "H[a,b,c]";
    QTest::newRow("centre of c") << int(CenterDropArea) << true << "H[a,c+b*]";
    QTest::newRow("outer left") << int(LeftDropArea) << false << "H[b,a,c]";
    QTest::newRow("outer bottom") << int(BottomDropArea) << false << "V[H[a,c],b]";
}

void tst_SectionTitleWidget::tearOffAndDrop()
{
    QFETCH(int, area);
    QFETCH(bool, onSection);
    QFETCH(QString, expected);

    Fixture f;
    SectionTitleWidget* title = f.left->titleAt(1);
    const QPoint sectionSize = QPoint(f.left->width(), f.left->height());
    QSignalSpy clicks(title, &SectionTitleWidget::clicked);

    // Out of the title bar: torn off at once, under the cursor.
    press(title, QPoint(5, 4));
    const QPoint overRight = f.right->mapToGlobal(f.right->rect().center());
    moveTo(title, overRight);
    QCOMPARE(f.c.floatings().size(), 1);
    FloatingWidget* fw = f.c.floatings().first();
    QCOMPARE(title->floatingWidget(), fw);
    QCOMPARE(fw->pos(), overRight - QPoint(5, 4) - QPoint(7, 7));
    QCOMPARE(QPoint(fw->width(), fw->height()), sectionSize);
    QVERIFY(fw->isVisible());
    QCOMPARE(layoutTree(&f.c), QString("H[a,c]"));
    QVERIFY(f.c.isSectionContentVisible(f.b));

    // Following the mouse shows both overlays; three visible contents offer no outer centre.
    moveTo(title, overRight);
    QVERIFY(f.c.sectionDropOverlay()->isVisible());
    QVERIFY(f.c.containerDropOverlay()->isVisible());
    QCOMPARE(int(f.c.containerDropOverlay()->allowedAreas()), OuterDropAreas);
    QCOMPARE(int(f.c.sectionDropOverlay()->allowedAreas()), AllDropAreas);

    DropOverlay* overlay = onSection ? f.c.sectionDropOverlay().data() : f.c.containerDropOverlay().data();
    const QPoint target = iconCentre(overlay, DropArea(area));
    moveTo(title, target);
    QCOMPARE(fw->pos(), target - QPoint(5, 4) - QPoint(7, 7));
    QPointer<FloatingWidget> guard = fw;
    releaseAt(title, target);

    QCOMPARE(layoutTree(&f.c), expected);
    QVERIFY(f.c.floatings().isEmpty());
    QVERIFY(!title->floatingWidget());
    QCOMPARE(clicks.count(), 1);
    QVERIFY(f.c.sectionDropOverlay()->isHidden());
    QVERIFY(f.c.containerDropOverlay()->isHidden());
    QTRY_VERIFY(!guard);
    QVERIFY(f.c.isSectionContentVisible(f.b));
}

void tst_SectionTitleWidget::releaseOutsideLeavesFloating()
{
    ContainerWidget c;
    SectionContent::RefPtr a = makeContent(&c, "a");
    SectionWidget* only = c.addSectionContent(a);
    c.setGeometry(100, 100, 600, 400);
    c.show();
    SectionTitleWidget* title = only->titleAt(0);

    // Tearing off the last tab takes its section and splitters away.
    QPointer<SectionWidget> section = only;
    press(title, QPoint(4, 4));
    moveTo(title, c.mapToGlobal(QPoint(300, 300)));
    QVERIFY(c.sections().isEmpty());
    QVERIFY(c.findChildren<QSplitter*>().isEmpty());
    QTRY_VERIFY(!section);

    // One visible content: the container offers its centre too.
    const QPoint outside = c.mapToGlobal(QPoint(-50, 450));
    moveTo(title, outside);
    QCOMPARE(int(c.containerDropOverlay()->allowedAreas()), AllDropAreas);
    releaseAt(title, outside);
    QCOMPARE(c.floatings().size(), 1);
    FloatingWidget* fw = c.floatings().first();
    QVERIFY(fw->isVisible());
    QCOMPARE(fw->pos(), outside - QPoint(4, 4) - QPoint(7, 7));
    QVERIFY(c.containerDropOverlay()->isHidden());

    // The title keeps its window: a later drag moves it and can dock it.
    press(title, QPoint(4, 4));
    const QPoint elsewhere = c.mapToGlobal(QPoint(20, 20));
    moveTo(title, elsewhere);
    QCOMPARE(fw->pos(), elsewhere - QPoint(4, 4) - QPoint(7, 7));
    const QPoint centre = iconCentre(c.containerDropOverlay(), CenterDropArea);
    moveTo(title, centre);
    releaseAt(title, centre);
    QCOMPARE(layoutTree(&c), QString("H[a]"));
    QVERIFY(c.floatings().isEmpty());
}

void tst_SectionTitleWidget::closingFloatingWindow_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("closes");

    QTest::newRow("kept when hidden") << int(SectionContent::KeptWhenHidden) << int(SectionContent::Hidden) << false;
    QTest::newRow("closes on hide") << int(SectionContent::DefaultFlags) << int(SectionContent::Closed) << true;
}

void tst_SectionTitleWidget::closingFloatingWindow()
{
    QFETCH(int, flags);
    QFETCH(int, state);
    QFETCH(bool, closes);

    Fixture f;
    f.b->setFlags(flags);
    SectionTitleWidget* title = f.left->titleAt(1);
    press(title, QPoint(5, 4));
    const QPoint away = f.c.mapToGlobal(QPoint(700, 500));
    moveTo(title, away);
    releaseAt(title, away);
    QCOMPARE(f.c.floatings().size(), 1);
    FloatingWidget* fw = f.c.floatings().first();

    QSignalSpy closed(&f.c, &ContainerWidget::sectionContentClosed);
    QSignalSpy visibility(&f.c, &ContainerWidget::sectionContentVisibilityChanged);
    fw->findChild<QToolButton*>("closeButton")->click();

    QVERIFY(!fw->isVisible());
    QCOMPARE(f.c.floatings().size(), 1);
    QCOMPARE(f.b->visibilityState(), state);
    QCOMPARE(closed.count(), closes ? 1 : 0);
    QCOMPARE(visibility.count(), closes ? 0 : 1);
    QVERIFY(!f.c.isSectionContentVisible(f.b));
    QCOMPARE(f.c.visibleContentCount(), 2);
    // Already hidden: nothing more is reported.
    QVERIFY(f.c.hideSectionContent(f.b));
    QCOMPARE(closed.count() + visibility.count(), 1);

    QVERIFY(f.c.showSectionContent(f.b));
    QVERIFY(fw->isVisible());
    // A closed content stays Closed, which reads as visible once its window shows.
    QCOMPARE(f.b->visibilityState(), closes ? int(SectionContent::Closed) : int(SectionContent::Visible));
    QVERIFY(f.c.isSectionContentVisible(f.b));
}

// A workspace drops a closed window for good from inside the signal, while
// the close button that started it is still in its click.
void tst_SectionTitleWidget::closeHandlerMayRemoveTheContent()
{
    Fixture f;
    connect(&f.c, &ContainerWidget::sectionContentClosed, &f.c,
            [&f](const SectionContent::RefPtr& sc) { QVERIFY(f.c.removeSectionContent(sc)); });

    SectionTitleWidget* title = f.left->titleAt(1);
    press(title, QPoint(5, 4));
    const QPoint away = f.c.mapToGlobal(QPoint(700, 500));
    moveTo(title, away);
    releaseAt(title, away);
    QPointer<FloatingWidget> fw = f.c.floatings().first();
    QPointer<QWidget> floatingBody = f.b->contentWidget();
    fw->findChild<QToolButton*>("closeButton")->click();
    QVERIFY(f.c.floatings().isEmpty());
    QVERIFY(!floatingBody);
    QTRY_VERIFY(!fw);

    QPointer<QWidget> dockedBody = f.cc->contentWidget();
    f.right->findChild<QToolButton*>("closeButton")->click();
    QVERIFY(!dockedBody);
    QCOMPARE(layoutTree(&f.c), QString("H[a]"));
    f.b.reset();
    f.cc.reset();
    QVERIFY(!f.c.hasSectionContent("b"));
    QVERIFY(!f.c.hasSectionContent("c"));
}

QTEST_MAIN(tst_SectionTitleWidget)
#include "tst_sectiontitlewidget.moc"
