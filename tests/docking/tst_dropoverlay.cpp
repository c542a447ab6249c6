#include <QtTest>

#include <QGridLayout>

#include "dropoverlay.h"
#include "dropoverlaycross.h"

using namespace ads;

class tst_DropOverlay : public QObject
{
    Q_OBJECT

private slots:
    void crossCells_data();
    void crossCells();
    void areaUnderCursor_data();
    void areaUnderCursor();
    void lastLocationResetsOnNewShow();
    void shadeStrips_data();
    void shadeStrips();

private:
    static QPoint centreOf(QWidget* w) { return w->mapToGlobal(w->rect().center()); }
};

void tst_DropOverlay::crossCells_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");

    QTest::newRow("container top") << 1 << int(TopDropArea) << 0 << 2;
    QTest::newRow("container right") << 1 << int(RightDropArea) << 2 << 4;
    QTest::newRow("container bottom") << 1 << int(BottomDropArea) << 4 << 2;
    QTest::newRow("container left") << 1 << int(LeftDropArea) << 2 << 0;
    QTest::newRow("container centre") << 1 << int(CenterDropArea) << 2 << 2;
    QTest::newRow("section top") << 0 << int(TopDropArea) << 1 << 2;
    QTest::newRow("section right") << 0 << int(RightDropArea) << 2 << 3;
    QTest::newRow("section bottom") << 0 << int(BottomDropArea) << 3 << 2;
    QTest::newRow("section left") << 0 << int(LeftDropArea) << 2 << 1;
    QTest::newRow("section centre") << 0 << int(CenterDropArea) << 2 << 2;
    QTest::newRow("not an area") << 1 << 3 << 0 << 0;
}

// The container's edge icons sit at its edges; a section's huddle in the middle.
void tst_DropOverlay::crossCells()
{
    QFETCH(int, mode);
    QFETCH(int, area);
    QFETCH(int, row);
    QFETCH(int, column);

    QCOMPARE(dropAreaGridPosition(DropArea(area), mode), qMakePair(row, column));
    if (area == 3)
        return;

    QWidget parent;
    QWidget target(&parent);
    parent.resize(600, 600);
    target.setGeometry(0, 0, 600, 600);
    parent.show();
    DropOverlay overlay(&parent, mode);
    overlay.setAllowedAreas(DropAreas(AllDropAreas));
    overlay.showDropOverlay(&target);
    overlay.cross()->layout()->activate();

    auto* grid = qobject_cast<QGridLayout*>(overlay.cross()->layout());
    QWidget* icon = overlay.cross()->areaWidget(DropArea(area));
    QCOMPARE(icon->objectName(), QString("DropAreaLabel"));
    QCOMPARE(grid->itemAtPosition(row, column)->widget(), icon);

    const QPoint c = icon->geometry().center();
    const int near = 600 / 5;
    if (mode == 1 && area != CenterDropArea)
        QVERIFY(c.x() < near || c.x() > 600 - near || c.y() < near || c.y() > 600 - near);
    else
        QVERIFY(qAbs(c.x() - 300) < 2 * near && qAbs(c.y() - 300) < 2 * near);
}

void tst_DropOverlay::areaUnderCursor_data()
{
    QTest::addColumn<int>("allowed");
    QTest::addColumn<int>("hovered");
    QTest::addColumn<int>("expected");

    QTest::newRow("all, centre") << AllDropAreas << int(CenterDropArea) << int(CenterDropArea);
    QTest::newRow("all, right") << AllDropAreas << int(RightDropArea) << int(RightDropArea);
    QTest::newRow("edges, centre hidden") << OuterDropAreas << int(CenterDropArea) << int(InvalidDropArea);
    QTest::newRow("edges, top") << OuterDropAreas << int(TopDropArea) << int(TopDropArea);
    QTest::newRow("between icons") << AllDropAreas << 0 << int(InvalidDropArea);
}

void tst_DropOverlay::areaUnderCursor()
{
    QFETCH(int, allowed);
    QFETCH(int, hovered);
    QFETCH(int, expected);

    QWidget parent;
    parent.setGeometry(100, 100, 500, 400);
    parent.show();
    DropOverlay overlay(&parent, 1);
    overlay.setAllowedAreas(DropAreas(allowed));
    QCOMPARE(overlay.cross()->areaWidget(CenterDropArea)->isHidden(), !(allowed & CenterDropArea));

    // Every icon sits in a grid cell, so they are placed even when hidden.
    overlay.showDropOverlay(&parent);
    overlay.cross()->layout()->activate();
    QCOMPARE(overlay.geometry(), QRect(parent.mapToGlobal(QPoint()), parent.size()));
    QCOMPARE(overlay.cross()->geometry(), overlay.geometry());

    QPoint cursor = overlay.cross()->mapToGlobal(QPoint(60, 60)); // off the cross's icons
    if (hovered)
        cursor = centreOf(overlay.cross()->areaWidget(DropArea(hovered)));
    QCursor::setPos(cursor);
    QCOMPARE(int(overlay.cursorLocation()), expected);
    QCOMPARE(int(overlay.showDropOverlay(&parent)), expected);
    QCOMPARE(int(overlay.lastLocation()), expected);
    QCOMPARE(dropAreaShadeRect(overlay.cursorLocation(), overlay.rect(), 1).isNull(), expected == 0);

    overlay.hideDropOverlay();
    QVERIFY(overlay.cross()->isHidden());
    QCOMPARE(int(overlay.cursorLocation()), int(InvalidDropArea));
}

void tst_DropOverlay::lastLocationResetsOnNewShow()
{
    QWidget parent;
    parent.setGeometry(100, 100, 500, 400);
    parent.show();
    DropOverlay overlay(&parent, 0);
    overlay.setAllowedAreas(DropAreas(AllDropAreas));
    overlay.showDropOverlay(&parent);
    overlay.cross()->layout()->activate();
    QCursor::setPos(centreOf(overlay.cross()->areaWidget(LeftDropArea)));
    overlay.showDropOverlay(&parent);
    QCOMPARE(overlay.lastLocation(), LeftDropArea);

    overlay.hideDropOverlay();
    QCOMPARE(overlay.lastLocation(), InvalidDropArea);
    QCursor::setPos(QPoint(0, 0));
    QCOMPARE(overlay.showDropOverlay(&parent), InvalidDropArea);
    QCOMPARE(overlay.lastLocation(), InvalidDropArea);
}

void tst_DropOverlay::shadeStrips_data()
{
    QTest::addColumn<int>("area");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QRect>("expected");

    const QRect r(0, 0, 301, 301);
    QTest::newRow("container right") << int(RightDropArea) << 1 << QRect(QPoint(200, 0), r.bottomRight());
    QTest::newRow("section right") << int(RightDropArea) << 0 << QRect(QPoint(150, 0), r.bottomRight());
    QTest::newRow("container top") << int(TopDropArea) << 1 << QRect(0, 0, 301, 100);
    QTest::newRow("section bottom") << int(BottomDropArea) << 0 << QRect(QPoint(0, 150), r.bottomRight());
    QTest::newRow("container left") << int(LeftDropArea) << 1 << QRect(0, 0, 100, 301);
    QTest::newRow("centre") << int(CenterDropArea) << 0 << r;
    QTest::newRow("none") << int(InvalidDropArea) << 1 << QRect();
}

void tst_DropOverlay::shadeStrips()
{
    QFETCH(int, area);
    QFETCH(int, mode);
    QFETCH(QRect, expected);
    QCOMPARE(dropAreaShadeRect(DropArea(area), QRect(0, 0, 301, 301), mode), expected);
}

QTEST_MAIN(tst_DropOverlay)
#include "tst_dropoverlay.moc"
