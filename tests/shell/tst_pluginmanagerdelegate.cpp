#include "kudemohostile.h"
#include "kupluginmanagerdelegate.h"
#include "kupluginmanageritem.h"
#include "kupluginmanagermodel.h"

#include <QBuffer>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QStyleOptionViewItem>
#include <QtTest>

namespace {

QStringList labels(const QVector<int>& kinds)
{
    QStringList result;
    for (int kind : kinds)
        result << kuPluginManagerDelegate::buttonText(kind);
    return result;
}

// A catalogue model whose one plug-in row reports the flags, installed and enabled values given.
class FixedModel : public kuPluginManagerModel
{
public:
    uint rowFlags = 0;
    bool installed = false;
    bool enabled = false;

    FixedModel()
    {
        addGroup(QStringLiteral("g"));
        appendItem(0, QSharedPointer<kuPluginManagerItem>::create(QStringLiteral("Модуль"), QStringLiteral("d"),
                                                                  QStringLiteral("aa"), 10601000, 0, 0.0, QImage()));
    }
    QModelIndex row() const { return index(0, 0, index(0, 0)); }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.parent().isValid() ? Qt::ItemFlags(int(rowFlags)) : kuPluginManagerModel::flags(index);
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (index.parent().isValid() && role == InstalledRole)
            return installed;
        if (index.parent().isValid() && role == EnabledRole)
            return enabled;
        return kuPluginManagerModel::data(index, role);
    }
};

} // namespace

class tst_PluginManagerDelegate : public QObject
{
    Q_OBJECT

private slots:
    void buttons_data();
    void buttons();
    void versionText_data();
    void versionText();
    void sizeHints_data();
    void sizeHints();
    void clicks_data();
    void clicks();
    void pressAndOtherEvents();
    void catalogueIcon_data();
    void catalogueIcon();
    void paintsEveryState();
};

void tst_PluginManagerDelegate::buttons_data()
{
    QTest::addColumn<uint>("flags");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("noRemove");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("not installed") << uint(prSwitchable) << false << false << false << QStringList{"Установить"};
    QTest::newRow("update, enabled") << uint(prSwitchable | prUpdateAvailable) << true << true << false
                                     << QStringList{"Обновить", "Выключить", "Удалить"};
    QTest::newRow("disabled") << uint(prSwitchable) << true << false << false << QStringList{"Включить", "Удалить"};
    QTest::newRow("no switch, no remove") << 0u << true << true << true << QStringList{};
    QTest::newRow("downloading") << uint(prSwitchable | prDownloading) << false << false << false
                                 << QStringList{"Отмена"};
    QTest::newRow("remove pending") << uint(prSwitchable | prRemovePending) << true << true << false
                                    << QStringList{"Отмена"};
    QTest::newRow("install pending") << uint(prInstallPending) << false << false << false << QStringList{"Отмена"};
    QTest::newRow("failed") << uint(prSwitchable | prFailed) << false << false << false << QStringList{"Отмена"};
}

void tst_PluginManagerDelegate::buttons()
{
    QFETCH(uint, flags);
    QFETCH(bool, installed);
    QFETCH(bool, enabled);
    QFETCH(bool, noRemove);
    QFETCH(QStringList, expected);
    QCOMPARE(labels(kuPluginManagerDelegate::buttonKinds(flags, installed, enabled, noRemove)), expected);
}

void tst_PluginManagerDelegate::versionText_data()
{
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("10601000") << 10601000 << "ver. 1.06.01";
    QTest::newRow("10000000") << 10000000 << "";
    QTest::newRow("10000001") << 10000001 << "ver. 1.00.00";
    QTest::newRow("21299999") << 21299999 << "ver. 2.12.99";
    QTest::newRow("zero") << 0 << "";
    QTest::newRow("negative") << -10601000 << "";
}

void tst_PluginManagerDelegate::versionText()
{
    QFETCH(int, version);
    QFETCH(QString, text);
    QCOMPARE(kuPluginManagerDelegate::versionText(version), text);
}

void tst_PluginManagerDelegate::sizeHints_data()
{
    QTest::addColumn<bool>("group");
    QTest::addColumn<uint>("flags");
    QTest::addColumn<int>("height");
    QTest::newRow("group") << true << 0u << 28;
    QTest::newRow("plain") << false << uint(prSwitchable | prUpdateAvailable) << 64;
    QTest::newRow("downloading") << false << uint(prDownloading) << 64;
    QTest::newRow("remove pending") << false << uint(prRemovePending) << 92;
    QTest::newRow("enable pending") << false << uint(prEnablePending) << 92;
    QTest::newRow("failed") << false << uint(prFailed) << 92;
}

void tst_PluginManagerDelegate::sizeHints()
{
    QFETCH(bool, group);
    QFETCH(uint, flags);
    QFETCH(int, height);
    FixedModel model;
    model.rowFlags = flags;
    kuPluginManagerDelegate delegate;
    const QModelIndex index = group ? model.index(0, 0) : model.row();
    QCOMPARE(delegate.sizeHint(QStyleOptionViewItem(), index), QSize(-1, height));
    QCOMPARE(delegate.sizeHint(QStyleOptionViewItem(), QModelIndex()).height(), 28);
}

void tst_PluginManagerDelegate::clicks_data()
{
    QTest::addColumn<uint>("flags");
    QTest::addColumn<bool>("installed");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("signal");

    QTest::newRow("install") << uint(prSwitchable) << false << 0 << "install";
    QTest::newRow("update") << uint(prSwitchable | prUpdateAvailable) << true << 0 << "update";
    QTest::newRow("disable") << uint(prSwitchable | prUpdateAvailable) << true << 1 << "disable";
    QTest::newRow("remove") << uint(prSwitchable | prUpdateAvailable) << true << 2 << "remove";
    QTest::newRow("cancel download") << uint(prDownloading) << false << 0 << "cancel";
    QTest::newRow("cancel pending") << uint(prRemovePending) << true << 0 << "cancel";
}

void tst_PluginManagerDelegate::clicks()
{
    QFETCH(uint, flags);
    QFETCH(bool, installed);
    QFETCH(int, button);
    QFETCH(QString, signal);

    FixedModel model;
    model.rowFlags = flags;
    model.installed = installed;
    model.enabled = true;
    kuPluginManagerDelegate delegate;
    QStyleOptionViewItem option;
    option.rect = QRect(10, 100, 600, delegate.sizeHint(option, model.row()).height());

    const int count = kuPluginManagerDelegate::buttonKinds(flags, installed, true, false).size();
    const QVector<QRect> rects = delegate.buttonRects(option.rect, count, flags & prDownloading);
    QCOMPARE(rects.last().right(), option.rect.right() - 5);
    QCOMPARE(rects.last().top(), option.rect.bottom() - delegate.buttonRect().height() - 5);

    const QStringList names{"install", "remove", "update", "enable", "disable", "cancel", "restart"};
    QMap<QString, QSharedPointer<QSignalSpy>> spies;
    for (const QString& name : names) {
        const QByteArray sig = "2" + name.toLatin1() + "(QModelIndex)";
        spies.insert(name, QSharedPointer<QSignalSpy>::create(&delegate, sig.constData()));
    }

    const QPointF centre = rects.at(button).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(delegate.editorEvent(&press, &model, option, model.row()));
    for (const QString& name : names)
        QCOMPARE(spies.value(name)->count(), 0);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QVERIFY(delegate.editorEvent(&release, &model, option, model.row()));
    for (const QString& name : names)
        QCOMPARE(spies.value(name)->count(), name == signal ? 1 : 0);
    QCOMPARE(spies.value(signal)->at(0).at(0).value<QModelIndex>(), QModelIndex(model.row()));

    // Just outside the row of buttons, nothing happens.
    const QPointF outside(rects.first().left() - 1, rects.first().center().y());
    QMouseEvent miss(QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QVERIFY(!delegate.editorEvent(&miss, &model, option, model.row()));
    QMouseEvent below(QEvent::MouseButtonRelease, QPointF(centre.x(), option.rect.bottom() - 4), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
    QVERIFY(!delegate.editorEvent(&below, &model, option, model.row()));
    QCOMPARE(spies.value(signal)->count(), 1);
}

// The server's icon is read only when its declared size is sane, and drawn in the slot.
void tst_PluginManagerDelegate::catalogueIcon_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("expected"); // invalid: refused

    auto png = [](int w, int h) {
        QImage image(w, h, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    QTest::newRow("declares 20000 x 20000") << kuDemoHostile::hugePng(20000, 20000) << QSize();
    QTest::newRow("declares 2000 x 10") << kuDemoHostile::hugePng(2000, 10) << QSize();
    QTest::newRow("not an image") << QByteArray("GIF89a, or not") << QSize();
    QTest::newRow("small kept") << png(16, 16) << QSize(16, 16);
    QTest::newRow("large scaled") << png(64, 64) << QSize(32, 32);
    QTest::newRow("wide scaled") << png(1024, 512) << QSize(32, 16);
}

void tst_PluginManagerDelegate::catalogueIcon()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, expected);
    if (!expected.isValid())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Catalogue icon refused"));
    const QImage icon = kuPluginManagerDelegate::catalogueIcon(bytes);
    QCOMPARE(icon.isNull(), !expected.isValid());
    if (expected.isValid())
        QCOMPARE(icon.size(), expected);
}

void tst_PluginManagerDelegate::pressAndOtherEvents()
{
    FixedModel model;
    model.rowFlags = prSwitchable;
    kuPluginManagerDelegate delegate;
    QSignalSpy install(&delegate, &kuPluginManagerDelegate::install);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 500, 64);
    const QPointF on = delegate.buttonRects(option.rect, 1, false).first().center();

    QMouseEvent pressOff(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(delegate.editorEvent(&pressOff, &model, option, model.row()));
    QMouseEvent right(QEvent::MouseButtonRelease, on, Qt::RightButton, Qt::NoButton, Qt::NoModifier);
    QVERIFY(!delegate.editorEvent(&right, &model, option, model.row()));
    QMouseEvent move(QEvent::MouseMove, on, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QVERIFY(!delegate.editorEvent(&move, &model, option, model.row()));
    QMouseEvent onGroup(QEvent::MouseButtonRelease, on, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QVERIFY(!delegate.editorEvent(&onGroup, &model, option, model.index(0, 0)));
    QEvent other(QEvent::HoverEnter);
    QVERIFY(!delegate.editorEvent(&other, &model, option, model.row()));
    QCOMPARE(install.count(), 0);
}

void tst_PluginManagerDelegate::paintsEveryState()
{
    // Every card kind is drawn into an image; the band of a pending row must show.
    kuPluginManagerDelegate delegate;
    FixedModel model;
    model.installed = true;
    model.enabled = true;
    for (uint flags : {uint(prSwitchable), uint(prDownloading), uint(prRemovePending),
                       uint(prInstallPending | prFailed), uint(prSwitchable | prUpdateAvailable)}) {
        model.rowFlags = flags;
        QImage image(600, 92, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 600, delegate.sizeHint(option, model.row()).height());
        delegate.paint(&painter, option, model.row());
        delegate.paint(&painter, option, model.index(0, 0));
        painter.end();
        bool coloured = false;
        for (int x = 0; x < 600 && !coloured; ++x) {
            const QColor c = image.pixelColor(x, 2);
            coloured = c.red() != c.blue() || c.green() != c.blue();
        }
        QCOMPARE(coloured, bool(flags & (prRemovePending | prFailed)));
    }
}

QTEST_MAIN(tst_PluginManagerDelegate)
#include "tst_pluginmanagerdelegate.moc"
