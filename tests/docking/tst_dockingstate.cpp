#include <QtTest>

#include <QDataStream>

#include "dockingtest.h"
#include "floatingwidget.h"
#include "logcapture.h"
#include "sectiontitlewidget.h"
#include "statereader.h"
#include "statewriter.h"

using namespace ads;
using namespace dockingtest;

namespace {

// Damaged states log a warning each; collect them instead of flooding the output.
bool restoreCollecting(ContainerWidget& c, const QByteArray& state, QStringList* warnings = nullptr)
{
    LogCapture log;
    const bool restored = c.restoreState(state);
    if (warnings)
        *warnings = log.lines({QtWarningMsg, QtCriticalMsg});
    return restored;
}

QByteArray frame(const QByteArray& hierarchy)
{
    StateWriter writer;
    writer.writeEntry(StateIndexEntry::HierarchyEntry, hierarchy);
    return writer.toByteArray();
}

// A hierarchy block written by hand, for states no container would save.
template <typename Fn>
QByteArray hierarchy(Fn body)
{
    QByteArray data;
    QDataStream out(&data, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_4_5);
    out << qint32(0x1337) << qint32(1);
    body(out);
    return data;
}

void tearOff(SectionTitleWidget* title, const QPoint& global)
{
    auto send = [title](QEvent::Type type, const QPoint& g, Qt::MouseButton b, Qt::MouseButtons bs) {
        QCursor::setPos(g);
        QMouseEvent e(type, title->mapFromGlobal(g), g, b, bs, Qt::NoModifier);
        QApplication::sendEvent(title, &e);
    };
    send(QEvent::MouseButtonPress, title->mapToGlobal(QPoint(4, 4)), Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, global, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, global, Qt::LeftButton, Qt::NoButton);
}

// Contents nobody named are added in registry (hash) order: compare sections as sets.
QString shape(QString tree)
{
    tree.remove('*');
    static const QRegularExpression section(QStringLiteral("[^\\[\\],]+"));
    QString result;
    int last = 0;
    auto it = section.globalMatch(tree);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QStringList names = m.captured().split('+');
        names.sort();
        result += tree.mid(last, m.capturedStart() - last) + names.join('+');
        last = m.capturedEnd();
    }
    return result + tree.mid(last);
}

QString floatingNames(ContainerWidget* c)
{
    QStringList names;
    for (FloatingWidget* fw : c->floatings())
        names << fw->content()->uniqueName() + (fw->isVisible() ? "" : "(hidden)");
    return names.join(',');
}

} // namespace

class tst_DockingState : public QObject
{
    Q_OBJECT

private slots:
    void goldenBytes();
    void refusesOtherMajorVersions_data();
    void refusesOtherMajorVersions();
    void roundTrip_data();
    void roundTrip();
    void unknownAndUnnamedContents();
    void damagedStatesAreRefused_data();
    void damagedStatesAreRefused();
    void everyTruncationIsRefused();
    void oddButValidHierarchies_data();
    void oddButValidHierarchies();

private:
    struct Workspace
    {
        ContainerWidget c;
        QMap<QString, SectionContent::RefPtr> contents;

        explicit Workspace(const QStringList& names)
        {
            c.setGeometry(100, 100, 600, 400);
            for (const QString& n : names)
                contents.insert(n, makeContent(&c, n));
        }
        SectionContent::RefPtr operator[](const QString& n) const { return contents.value(n); }
        // The workspace's way: every content below the last.
        void stack()
        {
            for (const auto& sc : contents)
                c.addSectionContent(sc, nullptr, CenterDropArea);
            c.show();
        }
    };
};

// Two sections side by side and one floating window.
void tst_DockingState::goldenBytes()
{
    Workspace w({"a", "b", "f"});
    SectionWidget* left = w.c.addSectionContent(w["a"]);
    w.c.addSectionContent(w["b"], left, RightDropArea);
    w.c.addSectionContent(w["f"], left, CenterDropArea);
    w.c.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.c));
    tearOff(left->titleAt(1), w.c.mapToGlobal(QPoint(700, 450)));
    QCOMPARE(layoutTree(&w.c), QString("H[a,b]"));
    QCOMPARE(floatingNames(&w.c), QString("f"));
    w.c.rootSplitter()->setSizes({200, 390});
    const QList<int> sizes = w.c.rootSplitter()->sizes();
    const QRect floatingGeometry = w.c.floatings().first()->geometry();

    const QByteArray state = w.c.saveState();
    QCOMPARE(state.left(12).toHex(' '), QByteArray("00 00 13 37 00 00 00 02 00 00 00 00"));

    QDataStream in(state);
    in.setVersion(QDataStream::Qt_4_5);
    in.skipRawData(12);
    qint64 count = 0;
    qint32 type1 = 0, type2 = 0;
    qint64 offset1 = 0, length1 = 0, offset2 = 0, length2 = 0;
    in >> count >> type1 >> offset1 >> length1 >> type2 >> offset2 >> length2;
    QCOMPARE(count, qint64(2));
    QCOMPARE(type1, 1);
    QCOMPARE(offset1, qint64(60));
    QCOMPARE(type2, 2);
    QCOMPARE(offset2, offset1 + length1);
    QCOMPARE(offset2 + length2, qint64(state.size()));

    // The hierarchy block, read field by field.
    QDataStream h(state.mid(int(offset1), int(length1)));
    h.setVersion(QDataStream::Qt_4_5);
    qint32 magic, version, floatingCount, itemCount, kind, orientation, childCount;
    QString name;
    QByteArray geometry;
    bool visible = false;
    QList<int> savedSizes;
    h >> magic >> version >> floatingCount >> name >> geometry >> visible >> itemCount;
    QCOMPARE(magic, 0x1337);
    QCOMPARE(version, 1);
    QCOMPARE(floatingCount, 1);
    QCOMPARE(name, QString("f"));
    QVERIFY(!geometry.isEmpty());
    QVERIFY(visible);
    QCOMPARE(itemCount, 1);
    h >> kind >> orientation >> childCount >> savedSizes;
    QCOMPARE(kind, 1);
    QCOMPARE(orientation, int(Qt::Horizontal));
    QCOMPARE(childCount, 2);
    QCOMPARE(savedSizes, sizes);
    for (const char* expected : {"a", "b"}) {
        qint32 current, m, index;
        h >> kind >> current >> m >> name >> visible >> index;
        QCOMPARE(kind, 2);
        QCOMPARE(current, 0);
        QCOMPARE(m, 1);
        QCOMPARE(name, QString(expected));
        QVERIFY(visible);
        QCOMPARE(index, 0);
    }
    qint32 hidden = -1;
    h >> hidden;
    QCOMPARE(hidden, 0);
    QVERIFY(h.atEnd());

    // The section index: two records in section order.
    QDataStream s(state.mid(int(offset2), int(length2)));
    s.setVersion(QDataStream::Qt_4_5);
    qint32 sectionCount, x, y, width, height, current, m, index;
    s >> sectionCount;
    QCOMPARE(sectionCount, 2);
    s >> x >> y >> width >> height >> current >> m >> name >> visible >> index;
    QCOMPARE(QRect(x, y, width, height), QRect(left->mapTo(&w.c, QPoint()), left->size()));
    QCOMPARE(name, QString("a"));

    // The same bytes rebuild the same arrangement from another one.
    Workspace other({"a", "b", "f"});
    other.stack();
    QVERIFY(QTest::qWaitForWindowExposed(&other.c));
    QCOMPARE(layoutTree(&other.c), QString("V[a,b,f]"));
    QVERIFY(other.c.restoreState(state));
    QCOMPARE(layoutTree(&other.c), QString("H[a,b]"));
    QCOMPARE(floatingNames(&other.c), QString("f"));
    QCOMPARE(other.c.floatings().first()->geometry(), floatingGeometry);
    // Sizes settle once the new splitters are laid out.
    QTRY_COMPARE(other.c.rootSplitter()->sizes(), sizes);
    QCOMPARE(other.c.saveState(), state);
}

void tst_DockingState::refusesOtherMajorVersions_data()
{
    QTest::addColumn<int>("major");
    QTest::newRow("older") << 1;
    QTest::newRow("newer") << 3;
}

void tst_DockingState::refusesOtherMajorVersions()
{
    QFETCH(int, major);
    Workspace w({"a", "b"});
    w.stack();
    QByteArray state = w.c.saveState();
    state[7] = char(major);
    w.c.addSectionContent(makeContent(&w.c, "c"), w.c.sections().first(), RightDropArea);
    const QString before = layoutTree(&w.c);

    QTest::ignoreMessage(QtWarningMsg, qPrintable(QString("format is too new (major=%1; minor=0)").arg(major)));
    QVERIFY(!w.c.restoreState(state));
    QCOMPARE(layoutTree(&w.c), before);

    QTest::ignoreMessage(QtWarningMsg, "invalid format (magic=4920)");
    state[7] = 2;
    state[3] = 0x38;
    QVERIFY(!w.c.restoreState(state));
    QVERIFY(!w.c.restoreState(QByteArray()));
}

// Arrange, save, scramble, restore: the arrangement comes back.
void tst_DockingState::roundTrip_data()
{
    QTest::addColumn<int>("arrangement");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("floating");

    QTest::newRow("split") << 0 << "H[V[a,H[b,c]]]"
                           << "";
    QTest::newRow("tabs, current kept") << 1 << "H[a+b*+c,d]"
                                        << "";
    QTest::newRow("floating") << 2 << "V[a,b,d]"
                              << "c";
    QTest::newRow("floating hidden") << 3 << "V[a,b,d]"
                                     << "c(hidden)";
    // Hidden docked contents are not in the state: back as a tab of the first section.
    QTest::newRow("hidden") << 4 << "H[a*+c+b,d]"
                            << "";
}

void tst_DockingState::roundTrip()
{
    QFETCH(int, arrangement);
    QFETCH(QString, expected);
    QFETCH(QString, floating);

    const QStringList names = arrangement == 0 ? QStringList{"a", "b", "c"} : QStringList{"a", "b", "c", "d"};
    Workspace w(names);
    SectionWidget* first = w.c.addSectionContent(w["a"]);
    w.c.show();
    switch (arrangement) {
    case 0: {
        SectionWidget* b = w.c.addSectionContent(w["b"], first, BottomDropArea);
        w.c.addSectionContent(w["c"], b, RightDropArea);
        break;
    }
    case 1:
    case 4:
        w.c.addSectionContent(w["b"], first, CenterDropArea);
        w.c.addSectionContent(w["c"], first, CenterDropArea);
        w.c.addSectionContent(w["d"], first, RightDropArea);
        first->setCurrentIndex(1);
        if (arrangement == 4) {
            w["b"]->setFlags(SectionContent::KeptWhenHidden);
            QVERIFY(w.c.hideSectionContent(w["b"]));
        }
        break;
    case 2:
    case 3:
        w.c.addSectionContent(w["c"], first, CenterDropArea);
        w.c.addSectionContent(w["d"]);
        tearOff(first->titleAt(1), w.c.mapToGlobal(QPoint(650, 420)));
        w.c.addSectionContent(w["b"], first, BottomDropArea);
        if (arrangement == 3)
            QVERIFY(w.c.hideSectionContent(w["c"]));
        break;
    }
    const QString savedTree = layoutTree(&w.c);
    const QByteArray state = w.c.saveState();

    // Restored into a fresh workspace and into the same one rearranged.
    Workspace fresh(names);
    fresh.stack();
    QVERIFY(fresh.c.restoreState(state));
    QCOMPARE(layoutTree(&fresh.c), expected);
    QCOMPARE(floatingNames(&fresh.c), floating);

    for (const auto& sc : w.contents) {
        if (!w.c.isSectionContentVisible(sc) && sc->visibilityState() != SectionContent::Visible)
            w.c.showSectionContent(sc);
    }
    QVERIFY(w.c.restoreState(state));
    if (arrangement != 4)
        QCOMPARE(layoutTree(&w.c), savedTree);
    QCOMPARE(floatingNames(&w.c), floating);

    // Every content is in exactly one place.
    for (const auto& sc : fresh.contents) {
        int places = 0;
        for (SectionWidget* sw : fresh.c.sections())
            places += sw->indexOfContent(sc) >= 0 ? 1 : 0;
        for (FloatingWidget* fw : fresh.c.floatings())
            places += fw->content() == sc ? 1 : 0;
        QCOMPARE(places, 1);
    }
}

void tst_DockingState::unknownAndUnnamedContents()
{
    Workspace saved({"a", "x", "b"});
    SectionWidget* first = saved.c.addSectionContent(saved["a"]);
    saved.c.addSectionContent(saved["x"], first, RightDropArea);
    saved.c.addSectionContent(saved["b"], first, BottomDropArea);
    saved.c.show();
    const QByteArray state = saved.c.saveState();
    QCOMPARE(layoutTree(&saved.c), QString("H[V[a,b],x]"));

    Workspace w({"a", "b", "new"});
    w.stack();
    QTest::ignoreMessage(QtWarningMsg, "Can not find SectionContent: x");
    QVERIFY(w.c.restoreState(state));
    QCOMPARE(layoutTree(&w.c), QString("H[V[a*+new,b]]"));
    QVERIFY(w.c.isSectionContentVisible(w["new"]));
}

void tst_DockingState::damagedStatesAreRefused_data()
{
    QTest::addColumn<QByteArray>("state");

    QByteArray header;
    {
        QDataStream out(&header, QIODevice::WriteOnly);
        out << qint32(0x1337) << qint32(2) << qint32(0);
    }
    auto withIndex = [&](qint64 count, qint32 type, qint64 offset, qint64 length) {
        QByteArray b = header;
        QDataStream out(&b, QIODevice::Append);
        out << count << type << offset << length;
        b.append(64, '\0');
        return b;
    };
    QTest::newRow("entry count 2^31") << withIndex(qint64(1) << 31, 1, 40, 4);
    QTest::newRow("entry count -1") << withIndex(-1, 1, 40, 4);
    QTest::newRow("offset past the end") << withIndex(1, 1, 1 << 30, 4);
    QTest::newRow("length past the end") << withIndex(1, 1, 40, qint64(1) << 40);
    QTest::newRow("negative length") << withIndex(1, 1, 40, -8);
    QTest::newRow("header only") << header;

    QTest::newRow("floating count 2^31") << frame(hierarchy([](QDataStream& o) { o << qint32(0x7fffffff); }));
    QTest::newRow("name longer than the data")
            << frame(hierarchy([](QDataStream& o) { o << qint32(1) << quint32(0xfffffff0) << quint32(0); }));
    QTest::newRow("geometry longer than the data")
            << frame(hierarchy([](QDataStream& o) { o << qint32(1) << QString("a") << quint32(0x7fffffff) << true; }));
    QTest::newRow("child count 2^31") << frame(hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(1) << qint32(1) << qint32(0x7fffffff) << QList<int>();
    }));
    QTest::newRow("size list 2^31") << frame(hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(1) << qint32(1) << qint32(0) << quint32(0x80000000);
    }));
    QTest::newRow("bad orientation") << frame(hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(1) << qint32(7) << qint32(0) << QList<int>() << qint32(0);
    }));
    QTest::newRow("section item count 2^31") << frame(hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(1) << qint32(1) << qint32(1) << QList<int>{10};
        o << qint32(2) << qint32(0) << qint32(0x7fffffff);
    }));
    QTest::newRow("hidden count 2^31") << frame(
            hierarchy([](QDataStream& o) { o << qint32(0) << qint32(0) << qint32(0x7fffffff); }));
    QTest::newRow("odd string length") << frame(hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(0) << qint32(1) << quint32(3) << char(0) << char(0x61) << char(0);
    }));
    QTest::newRow("cut after the item count") << frame(hierarchy([](QDataStream& o) { o << qint32(0) << qint32(1); }));
    QTest::newRow("splitters nested 10000 deep") << frame(hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1);
        for (int i = 0; i < 10000; ++i)
            o << qint32(1) << qint32(1) << qint32(1) << QList<int>();
    }));
}

// Bytes from the settings file: refused with a warning, nothing changes,
// nothing huge is allocated and no loop runs past the data.
void tst_DockingState::damagedStatesAreRefused()
{
    QFETCH(QByteArray, state);
    Workspace w({"a", "b", "c"});
    SectionWidget* first = w.c.addSectionContent(w["a"]);
    w.c.addSectionContent(w["b"], first, RightDropArea);
    w.c.addSectionContent(w["c"], first, CenterDropArea);
    const QString before = layoutTree(&w.c);

    QStringList warnings;
    const bool restored = restoreCollecting(w.c, state, &warnings);

    QVERIFY(!restored);
    QVERIFY(!warnings.isEmpty() || state.size() == 12);
    QCOMPARE(layoutTree(&w.c), before);
    QCOMPARE(w.c.sections().size(), 2);
}

void tst_DockingState::everyTruncationIsRefused()
{
    Workspace w({"a", "b", "f"});
    SectionWidget* first = w.c.addSectionContent(w["a"]);
    w.c.addSectionContent(w["b"], first, BottomDropArea);
    w.c.addSectionContent(w["f"], first, CenterDropArea);
    w.c.show();
    tearOff(first->titleAt(1), w.c.mapToGlobal(QPoint(650, 420)));
    const QByteArray state = w.c.saveState();
    const QString before = layoutTree(&w.c);

    int accepted = 0;
    for (int n = 0; n < state.size(); ++n)
        accepted += restoreCollecting(w.c, state.left(n)) ? 1 : 0;

    QCOMPARE(accepted, 0);
    QCOMPARE(layoutTree(&w.c), before);
    QCOMPARE(floatingNames(&w.c), QString("f"));
}

// Forms a container never writes, or writes only after a fault; none may stop the program.
void tst_DockingState::oddButValidHierarchies_data()
{
    QTest::addColumn<QByteArray>("block");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("warning");

    QTest::newRow("too many items") << hierarchy([](QDataStream& o) { o << qint32(0) << qint32(-1); }) << "V[a+b+c]"
                                    << "";
    QTest::newRow("no items, hidden names")
            << hierarchy([](QDataStream& o) { o << qint32(0) << qint32(0) << qint32(1) << QString("b"); }) << "V[a+c]"
            << "";
    QTest::newRow("section at the top") << hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(2) << qint32(0) << qint32(1) << QString("a") << true << qint32(0)
          << qint32(0);
    }) << "V[a+b+c]"
                                        << "Missing splitter object for section";
    QTest::newRow("unknown node kind") << hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(1) << qint32(1) << qint32(2) << QList<int>{100, 100} << qint32(9)
          << qint32(2) << qint32(0) << qint32(1) << QString("b") << true << qint32(0) << qint32(0);
    }) << "H[a+b+c]"
                                       << "Unknown object type during restore";
    QTest::newRow("name twice") << hierarchy([](QDataStream& o) {
        o << qint32(0) << qint32(1) << qint32(1) << qint32(1) << qint32(2) << QList<int>{100, 100};
        for (int i = 0; i < 2; ++i)
            o << qint32(2) << qint32(0) << qint32(1) << QString("a") << true << qint32(0);
        o << qint32(0);
    }) << "H[a+b+c]"
                                << "SectionContent named twice in the state: a";
    QTest::newRow("other magic") << QByteArray::fromHex("0000abcd00000001") << "V[a,b,c]"
                                 << "";
}

void tst_DockingState::oddButValidHierarchies()
{
    QFETCH(QByteArray, block);
    QFETCH(QString, expected);
    QFETCH(QString, warning);

    Workspace w({"a", "b", "c"});
    w.stack();
    QStringList warnings;
    const bool restored = restoreCollecting(w.c, frame(block), &warnings);

    QVERIFY(restored);
    QCOMPARE(shape(layoutTree(&w.c)), expected);
    if (!warning.isEmpty())
        QVERIFY2(warnings.contains(warning), qPrintable(warnings.join('|')));
    for (const auto& sc : w.contents)
        QVERIFY(sectionOf(&w.c, sc->uniqueName()) || !w.c.isSectionContentVisible(sc));
}

QTEST_MAIN(tst_DockingState)
#include "tst_dockingstate.moc"
