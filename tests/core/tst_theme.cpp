#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <optional>

#include "containerwidget.h"
#include "kuiconmanager.h"
#include "logcapture.h"
#include "sectioncontent.h"

namespace {

QString defaultSheet()
{
    QFile file(QStringLiteral(":/default/share/themes/default/default.qss"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeImage(const QString& path, const QColor& colour)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(colour);
    return image.save(path, "PNG");
}

} // namespace

class tst_Theme : public QObject
{
    Q_OBJECT

    std::optional<LogCapture> m_log;
    QStringList warnings() const { return m_log->lines({QtWarningMsg}); }

private slots:
    void init() { m_log.emplace(); }
    void cleanup() { m_log.reset(); }

    // Every image the program asks for by name is in the default theme.
    void everyNamedImageResolves_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        const QStringList icons{"add_new_tab.png",
                                "all.trades.png",
                                "append.png",
                                "chart.draw.hline.png",
                                "chart.draw.label.png",
                                "chart.draw.trendline.png",
                                "chart.draw.vline.png",
                                "chart.fibo.chanel.png",
                                "chart.fibo.circle.png",
                                "chart.fibo.png",
                                "chart.hide.drawing.png",
                                "chart.png",
                                "chart.print.png",
                                "chart.properties.png",
                                "chart.show.drawing.png",
                                "chart.subchart.close.png",
                                "chart.subchart.edit.png",
                                "chart.ta.png",
                                "chart.tick.10m.png",
                                "chart.tick.15m.png",
                                "chart.tick.1d.png",
                                "chart.tick.1h.png",
                                "chart.tick.1m.png",
                                "chart.tick.30m.png",
                                "chart.tick.5m.png",
                                "chart.trash.png",
                                "chart.type.bars.png",
                                "chart.type.candles.png",
                                "chart.type.line.png",
                                "chart.zoom.in.png",
                                "check.png",
                                "close.png",
                                "delete_tab.png",
                                "edit_tab.png",
                                "error.png",
                                "info.png",
                                "ku_exit.png",
                                "offline.png",
                                "online.png",
                                "orderbook.png",
                                "plug.png",
                                "quotes.down.arrow.png",
                                "quotes.up.arrow.png",
                                "remove.png"};
        for (const QString& name : icons)
            QTest::newRow(qPrintable(name)) << name << "icons";
        QTest::newRow("ku_logo.png") << "ku_logo.png"
                                     << "logo";
        QTest::newRow("ku_logo_small.png") << "ku_logo_small.png"
                                           << "logo";
    }
    void everyNamedImageResolves()
    {
        QFETCH(QString, name);
        QFETCH(QString, folder);
        QCOMPARE(kuIconManager::iconPath(name),
                 QStringLiteral(":/default/share/themes/default/%1/%2").arg(folder, name));
        const QPixmap pixmap = kuIconManager::pixmap(name);
        QVERIFY(!pixmap.isNull());
        QVERIFY(pixmap.width() >= 16 && pixmap.width() == pixmap.height());
        QVERIFY(!kuIconManager::icon(name).isNull());
        QVERIFY(!kuIconManager::icon(name, QStringLiteral(":/default")).isNull());
        QVERIFY(warnings().isEmpty());
    }

    void cachedIconIsShared()
    {
        const QIcon first = kuIconManager::icon(QStringLiteral("chart.png"));
        const QIcon second = kuIconManager::icon(QStringLiteral("chart.png"));
        QCOMPARE(first.cacheKey(), second.cacheKey());
    }

    // A missing image is looked for once and warned about once.
    void missingImage()
    {
        const QString name = QStringLiteral("no_such_image.png");
        for (int i = 0; i < 3; ++i) {
            QVERIFY(kuIconManager::iconPath(name).isEmpty());
            QVERIFY(kuIconManager::pixmap(name).isNull());
            QVERIFY(kuIconManager::icon(name).isNull());
        }
        QCOMPARE(warnings().size(), 1);
        QVERIFY(warnings().first().contains(QLatin1String("Can't load pixmap")));
        QVERIFY(warnings().first().contains(name));
    }

    // A theme folder given by the caller: nearest file wins, then sub-folders in name order;
    // names match without regard to case.
    void searchOrder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString root = dir.path();
        QVERIFY(writeImage(root + "/b/deep/x.png", Qt::red));
        QVERIFY(writeImage(root + "/B2/x.png", Qt::green));
        QVERIFY(writeImage(root + "/a/zz/x.png", Qt::blue));
        QVERIFY(writeImage(root + "/top.png", Qt::black));
        QVERIFY(writeImage(root + "/a/top.png", Qt::white));
        QVERIFY(writeImage(root + "/c/Mixed.PNG", Qt::yellow));

        QCOMPARE(kuIconManager::iconPath("x.png", root), root + "/a/zz/x.png");
        QCOMPARE(kuIconManager::iconPath("top.png", root), root + "/top.png");
        QCOMPARE(kuIconManager::iconPath("mixed.png", root), root + "/c/Mixed.PNG");
        QCOMPARE(kuIconManager::scanDirectory(root + "/b", "x.png", false), QString());
        QCOMPARE(kuIconManager::scanDirectory(root + "/b", "x.png", true), root + "/b/deep/x.png");
        QCOMPARE(kuIconManager::scanDirectory(root + "/b/../B2", "x.png", false), root + "/B2/x.png");
        QCOMPARE(kuIconManager::pixmap("x.png", root).toImage().pixelColor(0, 0), QColor(Qt::blue));

        // Found once, then served from the caches without the file.
        QVERIFY(!kuIconManager::icon("top.png", root).isNull());
        QVERIFY(QFile::remove(root + "/top.png"));
        QVERIFY(!kuIconManager::icon("top.png", root).isNull());
        QVERIFY(!kuIconManager::pixmap("top.png", root).isNull());
        QVERIFY(warnings().isEmpty());
    }

    // A file that is there but is no image: null results, one warning.
    void unreadableImage()
    {
        QTemporaryDir dir;
        QFile bad(dir.filePath("bad.png"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not an image");
        bad.close();
        QVERIFY(kuIconManager::pixmap("bad.png", dir.path()).isNull());
        QVERIFY(kuIconManager::icon("bad.png", dir.path()).isNull());
        QCOMPARE(warnings().size(), 1);
    }

    // The start-up style sheet is there and Qt parses it.
    void defaultStyleSheet()
    {
        const QString sheet = defaultSheet();
        QVERIFY(sheet.contains(QLatin1String("QTabBar::tab")));
        qApp->setStyleSheet(sheet);

        QMainWindow window;
        auto* tabs = new QTabWidget;
        auto* table = new QTableWidget(3, 3);
        tabs->addTab(table, QStringLiteral("Рабочее пространство"));
        window.setCentralWidget(tabs);
        window.addToolBar(QStringLiteral("tools"))->addAction(kuIconManager::icon("chart.png"), "chart");
        auto* buy = new QPushButton(QStringLiteral("Купить"), &window);
        buy->setProperty("class", "btnBuy");
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        qApp->setStyleSheet(QString());
        for (const QString& w : warnings())
            QVERIFY2(!w.contains(QLatin1String("stylesheet"), Qt::CaseInsensitive), qPrintable(w));
    }

    // A window's title row: the tabs menu shows its arrow, not a dark block.
    void tabsMenuButtonIsNoDarkBlock()
    {
        qApp->setStyleSheet(defaultSheet());
        ads::ContainerWidget container;
        container.addSectionContent(ads::SectionContent::newSectionContent(
                QStringLiteral("a"), &container, new QLabel(QStringLiteral("Котировки")), new QLabel));
        container.resize(300, 120);
        container.show();
        QVERIFY(QTest::qWaitForWindowExposed(&container));
        auto* button = container.findChild<QToolButton*>(QStringLiteral("tabsMenuButton"));
        QVERIFY(button);
        // Through the container: the button alone has no background of its own.
        const QImage image = container.grab(QRect(button->mapTo(&container, QPoint()), button->size())).toImage();
        qApp->setStyleSheet(QString());
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 40;
        QCOMPARE(dark, 0);
    }
};

QTEST_MAIN(tst_Theme)
#include "tst_theme.moc"
