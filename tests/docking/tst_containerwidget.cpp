#include <QtTest>

#include "dockingtest.h"

using namespace ads;
using namespace dockingtest;

class tst_ContainerWidget : public QObject
{
    Q_OBJECT

private slots:
    void placement_data();
    void placement();
    void laterContentsStackAtTheBottom();
    void addSectionTwiceWarns();
    void hideAndShow_data();
    void hideAndShow();
    void showReturnsToFormerOrFirstSection();
    void hidingLastContentRemovesSplittersAndShowRebuilds();
    void deleteEmptySplittersSparesForeignOnes();
    void visibilityQueries();
    void removeSectionContent();
    void destructionWithHiddenAndHeldContents();
};

// Every drop rule: area × orientation of the splitter around the target ×
// with or without a target section (without one the root splitter decides).
void tst_ContainerWidget::placement_data()
{
    QTest::addColumn<int>("initial"); // sections before the drop: 0, 1 (a) or 2 (a, b)
    QTest::addColumn<int>("orientation");
    QTest::addColumn<bool>("withTarget"); // the target is the section of the last one
    QTest::addColumn<int>("area");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("placed");

    const int H = Qt::Horizontal;
    const int V = Qt::Vertical;
    // clang-format off
    QTest::newRow("empty, any area")     << 0 << H << false << int(LeftDropArea)   << "H[n]" << true;
    QTest::newRow("empty, invalid area") << 0 << H << true  << int(InvalidDropArea) << "H[n]" << true;

    QTest::newRow("top in V")      << 2 << V << true << int(TopDropArea)    << "V[a,n,b]"    << true;
    QTest::newRow("top in H")      << 2 << H << true << int(TopDropArea)    << "H[a,V[n,b]]" << true;
    QTest::newRow("right in H")    << 2 << H << true << int(RightDropArea)  << "H[a,b,n]"    << true;
    QTest::newRow("right in V")    << 2 << V << true << int(RightDropArea)  << "V[a,H[b,n]]" << true;
    QTest::newRow("bottom in V")   << 2 << V << true << int(BottomDropArea) << "V[a,b,n]"    << true;
    QTest::newRow("bottom in H")   << 2 << H << true << int(BottomDropArea) << "H[a,V[b,n]]" << true;
    QTest::newRow("left in H")     << 2 << H << true << int(LeftDropArea)   << "H[a,n,b]"    << true;
    QTest::newRow("left in V")     << 2 << V << true << int(LeftDropArea)   << "V[a,H[n,b]]" << true;
    QTest::newRow("centre in H")   << 2 << H << true << int(CenterDropArea) << "H[a,b*+n]"   << true;
    QTest::newRow("centre in V")   << 2 << V << true << int(CenterDropArea) << "V[a,b*+n]"   << true;
    QTest::newRow("invalid, target") << 2 << H << true << 3                 << "H[a,b]"      << false;

    QTest::newRow("outer top, V")     << 2 << V << false << int(TopDropArea)    << "V[n,a,b]"    << true;
    QTest::newRow("outer top, H")     << 2 << H << false << int(TopDropArea)    << "V[n,H[a,b]]" << true;
    QTest::newRow("outer right, H")   << 2 << H << false << int(RightDropArea)  << "H[a,b,n]"    << true;
    QTest::newRow("outer right, V")   << 2 << V << false << int(RightDropArea)  << "H[V[a,b],n]" << true;
    QTest::newRow("outer bottom, V")  << 2 << V << false << int(BottomDropArea) << "V[a,b,n]"    << true;
    QTest::newRow("outer bottom, H")  << 2 << H << false << int(BottomDropArea) << "V[H[a,b],n]" << true;
    QTest::newRow("outer left, H")    << 2 << H << false << int(LeftDropArea)   << "H[n,a,b]"    << true;
    QTest::newRow("outer left, V")    << 2 << V << false << int(LeftDropArea)   << "H[n,V[a,b]]" << true;
    QTest::newRow("outer centre, V")  << 2 << V << false << int(CenterDropArea) << "V[a,b,n]"    << true;
    QTest::newRow("outer centre, H")  << 2 << H << false << int(CenterDropArea) << "V[H[a,b],n]" << true;
    QTest::newRow("outer invalid")    << 2 << H << false << 0                   << "H[a,b]"      << false;

    // A root with a single child turns to the drop's orientation.
    QTest::newRow("outer top, one child")  << 1 << H << false << int(TopDropArea)  << "V[n,a]" << true;
    QTest::newRow("outer left, one child") << 1 << H << false << int(LeftDropArea) << "H[n,a]" << true;
    // clang-format on
}

void tst_ContainerWidget::placement()
{
    QFETCH(int, initial);
    QFETCH(int, orientation);
    QFETCH(bool, withTarget);
    QFETCH(int, area);
    QFETCH(QString, expected);
    QFETCH(bool, placed);

    ContainerWidget c;
    SectionWidget* target = nullptr;
    if (initial >= 1)
        target = c.addSectionContent(makeContent(&c, "a"), nullptr, CenterDropArea);
    if (initial >= 2) {
        const DropArea second = orientation == Qt::Horizontal ? RightDropArea : BottomDropArea;
        target = c.addSectionContent(makeContent(&c, "b"), nullptr, second);
        QCOMPARE(layoutTree(&c), QString(orientation == Qt::Horizontal ? "H[a,b]" : "V[a,b]"));
    }

    SectionContent::RefPtr n = makeContent(&c, "n");
    SectionWidget* result = c.addSectionContent(n, withTarget ? target : nullptr, DropArea(area));

    QCOMPARE(layoutTree(&c), expected);
    QCOMPARE(result != nullptr, placed);
    if (placed) {
        QCOMPARE(result, sectionOf(&c, "n"));
        QVERIFY(c.sections().contains(result));
    }
    for (QSplitter* s : c.findChildren<QSplitter*>())
        QVERIFY(s->property("ads-splitter").toBool());
}

// How the workspace adds its windows: no target, centre area.
void tst_ContainerWidget::laterContentsStackAtTheBottom()
{
    ContainerWidget c;
    for (const char* name : {"a", "b", "c"})
        c.addSectionContent(makeContent(&c, name), nullptr, CenterDropArea);
    QCOMPARE(layoutTree(&c), QString("V[a,b,c]"));
    QCOMPARE(c.sections().size(), 3);
}

void tst_ContainerWidget::addSectionTwiceWarns()
{
    ContainerWidget c;
    SectionWidget* sw = c.addSectionContent(makeContent(&c, "a"));
    QTest::ignoreMessage(QtWarningMsg,
                         "void ads::ContainerWidget::addSection(ads::SectionWidget*) Section has already been added");
    c.addSection(sw);
    QCOMPARE(layoutTree(&c), QString("H[a]"));
}

void tst_ContainerWidget::hideAndShow_data()
{
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("hiddenState");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<int>("shownState");

    // A closed content is shown without a signal and stays Closed.
    QTest::newRow("kept when hidden") << int(SectionContent::KeptWhenHidden) << int(SectionContent::Hidden) << false
                                      << int(SectionContent::Visible);
    QTest::newRow("closes on hide") << int(SectionContent::DefaultFlags) << int(SectionContent::Closed) << true
                                    << int(SectionContent::Closed);
}

void tst_ContainerWidget::hideAndShow()
{
    QFETCH(int, flags);
    QFETCH(int, hiddenState);
    QFETCH(bool, closes);
    QFETCH(int, shownState);

    ContainerWidget c;
    SectionContent::RefPtr a = makeContent(&c, "a");
    SectionContent::RefPtr b = makeContent(&c, "b");
    b->setFlags(flags);
    c.addSectionContent(a);
    c.addSectionContent(b);
    QCOMPARE(b->visibilityState(), int(SectionContent::Visible));

    QSignalSpy closed(&c, &ContainerWidget::sectionContentClosed);
    QSignalSpy visibility(&c, &ContainerWidget::sectionContentVisibilityChanged);

    QVERIFY(c.hideSectionContent(b));
    QCOMPARE(b->visibilityState(), hiddenState);
    QCOMPARE(closed.count(), closes ? 1 : 0);
    QCOMPARE(visibility.count(), closes ? 0 : 1);
    if (closes) {
        QCOMPARE(closed.at(0).at(0).value<SectionContent::RefPtr>(), b);
    } else {
        QCOMPARE(visibility.at(0).at(0).value<SectionContent::RefPtr>(), b);
        QCOMPARE(visibility.at(0).at(1).toBool(), false);
    }
    QCOMPARE(layoutTree(&c), QString("V[a]"));
    QVERIFY(!c.isSectionContentVisible(b));
    QVERIFY(c.hasSectionContent("b"));
    QCOMPARE(c.sectionContent("b"), b);

    // Already hidden: true, nothing emitted.
    closed.clear();
    visibility.clear();
    QVERIFY(c.hideSectionContent(b));
    QCOMPARE(closed.count() + visibility.count(), 0);

    QVERIFY(c.showSectionContent(b));
    QCOMPARE(b->visibilityState(), shownState);
    QCOMPARE(visibility.count(), closes ? 0 : 1);
    if (!closes)
        QCOMPARE(visibility.at(0).at(1).toBool(), true);
    QVERIFY(c.isSectionContentVisible(b));
    QCOMPARE(layoutTree(&c), QString("V[a+b*]"));

    QTest::ignoreMessage(QtWarningMsg, "Unable to show SectionContent, don't know where 8-/ (already visible?)");
    QVERIFY(!c.showSectionContent(b));
}

void tst_ContainerWidget::showReturnsToFormerOrFirstSection()
{
    ContainerWidget c;
    SectionContent::RefPtr a = makeContent(&c, "a");
    SectionContent::RefPtr b = makeContent(&c, "b");
    SectionContent::RefPtr x = makeContent(&c, "x");
    c.addSectionContent(a);
    SectionWidget* lower = c.addSectionContent(b);
    c.addSectionContent(x, lower, CenterDropArea);
    QCOMPARE(layoutTree(&c), QString("V[a,b*+x]"));

    // Former section still there: back as its last, active tab.
    QVERIFY(c.hideSectionContent(x));
    QCOMPARE(layoutTree(&c), QString("V[a,b]"));
    QVERIFY(c.showSectionContent(x));
    QCOMPARE(layoutTree(&c), QString("V[a,b+x*]"));

    // Former section gone: the first section takes it.
    QVERIFY(c.hideSectionContent(x));
    QVERIFY(c.hideSectionContent(b));
    QCOMPARE(layoutTree(&c), QString("V[a]"));
    QVERIFY(c.showSectionContent(x));
    QCOMPARE(layoutTree(&c), QString("V[a+x*]"));
}

void tst_ContainerWidget::hidingLastContentRemovesSplittersAndShowRebuilds()
{
    ContainerWidget c;
    SectionContent::RefPtr a = makeContent(&c, "a");
    c.addSectionContent(a);
    QVERIFY(c.rootSplitter());

    QVERIFY(c.hideSectionContent(a));
    QVERIFY(c.sections().isEmpty());
    QVERIFY(c.findChildren<QSplitter*>().isEmpty());
    QVERIFY(!c.rootSplitter());
    QCOMPARE(c.layout()->count(), 0);
    QCOMPARE(c.findChildren<SectionWidget*>().size(), 0);

    QVERIFY(c.showSectionContent(a));
    QCOMPARE(layoutTree(&c), QString("H[a]"));
    QCOMPARE(c.sections().size(), 1);
    QVERIFY(c.rootSplitter());
}

void tst_ContainerWidget::deleteEmptySplittersSparesForeignOnes()
{
    ContainerWidget c;
    c.addSectionContent(makeContent(&c, "a"));
    QPointer<QSplitter> root = c.rootSplitter();

    QPointer<QSplitter> foreign = new QSplitter(&c);
    QPointer<QSplitter> foreignInRoot = new QSplitter();
    root->addWidget(foreignInRoot);
    QPointer<QSplitter> empty = newSplitter(Qt::Vertical);
    empty->setParent(&c);
    // An ads splitter whose only child is another, empty one.
    QPointer<QSplitter> outer = newSplitter(Qt::Horizontal);
    outer->setParent(&c);
    QPointer<QSplitter> inner = newSplitter(Qt::Horizontal);
    outer->addWidget(inner);

    c.deleteEmptySplitters();
    QVERIFY(root);
    QVERIFY(foreign);
    QVERIFY(foreignInRoot);
    QVERIFY(!empty);
    QVERIFY(!outer);
    QVERIFY(!inner);
}

void tst_ContainerWidget::visibilityQueries()
{
    ContainerWidget c;
    SectionContent::RefPtr a = makeContent(&c, "a");
    SectionContent::RefPtr b = makeContent(&c, "b");
    SectionContent::RefPtr loose = makeContent(&c, "loose");
    c.addSectionContent(a);
    c.addSectionContent(b);

    QTest::ignoreMessage(QtWarningMsg, "SectionContent is not a part of this ContainerWidget: loose");
    QVERIFY(!c.isSectionContentVisible(loose));
    QTest::ignoreMessage(QtWarningMsg, "Unable to hide SectionContent, don't know this one 8-/");
    QVERIFY(!c.hideSectionContent(loose));

    QTest::ignoreMessage(QtWarningMsg, "SectionContent is not a part of this ContainerWidget: loose");
    QCOMPARE(c.visibleContentCount(), 2);
    QVERIFY(c.hideSectionContent(a));
    QTest::ignoreMessage(QtWarningMsg, "SectionContent is not a part of this ContainerWidget: loose");
    QCOMPARE(c.visibleContentCount(), 1);
    QCOMPARE(c.contents().size(), 3);
    QVERIFY(c.hasSectionContent("a"));
    QVERIFY(!c.hasSectionContent("zzz"));
    QVERIFY(!c.sectionContent("zzz"));
}

void tst_ContainerWidget::removeSectionContent()
{
    ContainerWidget c;
    SectionContent::RefPtr a = makeContent(&c, "a");
    c.addSectionContent(a);
    c.addSectionContent(makeContent(&c, "b"));
    QPointer<QWidget> title = a->titleWidget();
    QPointer<QWidget> content = a->contentWidget();

    QVERIFY(c.removeSectionContent(a));
    QCOMPARE(layoutTree(&c), QString("V[b]"));
    // The frames go, and with them the caller's widgets; the name stays
    // taken while the caller still holds the content.
    QVERIFY(!title);
    QVERIFY(!content);
    QVERIFY(c.hasSectionContent("a"));
    a.reset();
    QVERIFY(!c.hasSectionContent("a"));
    QVERIFY(makeContent(&c, "a"));
}

// Contents held past the container, and hidden ones dying with it, must not
// reach the container's registries after it is gone.
void tst_ContainerWidget::destructionWithHiddenAndHeldContents()
{
    SectionContent::RefPtr held;
    {
        auto* c = new ContainerWidget();
        held = makeContent(c, "held");
        SectionContent::RefPtr hidden = makeContent(c, "hidden");
        c->addSectionContent(held);
        c->addSectionContent(hidden);
        QVERIFY(c->hideSectionContent(hidden));
        hidden.reset();
        delete c;
    }
    QVERIFY(!held->containerWidget());
    held.reset();
}

QTEST_MAIN(tst_ContainerWidget)
#include "tst_containerwidget.moc"
