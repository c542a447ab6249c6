#include "kulasttrades.h"
#include "ui_kulasttrades.h"

#include "kuabstractconn.h"
#include "kuabstractdataconverter.h"
#include "kuclient.h"
#include "kulasttradesitem.h"
#include "kulasttradesmodel.h"
#include "kulasttradesproxymodel.h"
#include "kupaperlist.h"
#include "kurecordkeys.h"
#include "kutableview.h"

#include <QHeaderView>
#include <QMutexLocker>

#include <algorithm>

kuLastTrades::kuLastTrades(QWidget* parent)
    : kuWindowBase(parent), ui(new Ui::kuLastTrades), m_proxy(std::make_unique<kuLastTradesProxyModel>())
{
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("kuLastTrades"));
    ui->setupUi(this);
    ui->lastTradesView->verticalHeader()->setVisible(false);
    setObjectName(QLatin1String(metaObject()->className()));
    init();
}

kuLastTrades::~kuLastTrades()
{
    if (m_view)
        m_view->setModel(nullptr);
}

void kuLastTrades::registerWithClient()
{
    kuClient::setWindowMaker(wtLastTrades, [](QWidget* parent, int paperID) -> kuWindowBase* {
        auto* window = new kuLastTrades(parent);
        window->setPaper(paperID);
        return window;
    });
}

void kuLastTrades::init()
{
    m_view = ui->lastTradesView;
    const QList<QSharedPointer<kuObjectHeaderItem>> columns{
            kuObjectHeaderItem::create(tr("Время"), tr("Время сделки")),
            kuObjectHeaderItem::create(tr("Цена"), tr("Цена сделки")),
            kuObjectHeaderItem::create(tr("Кол-во"), tr("Количество в сделке")),
            kuObjectHeaderItem::createHidden(tr("Номер сделки")),
    };
    m_model = new kuLastTradesModel(this);
    m_proxy->setSourceModel(m_model);
    m_view->buildColumns(columns);
    m_view->setModel(m_proxy.get());
    // The highest deal number, the newest trade, on top.
    m_view->sortByColumn(kuLastTradesItem::colDealID, Qt::DescendingOrder);
    connect(m_view, &kuTableView::on_dropPaperID, this, &kuLastTrades::slot_reloadLastTrades);
}

void kuLastTrades::setPaper(int paperID)
{
    setPaperID(paperID);
    if (const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID)) {
        m_decimals = paper->decimals();
        m_lot = paper->lot();
        setWindowTitle(paper->ticker() + QStringLiteral(" - ") + paper->issuer());
    }
    subscribe();
}

void kuLastTrades::subscribe()
{
    const int paper = paperID();
    requestSnapshot(this, &kuAbstractDataConverter::on_snapshotLastTrades, &kuLastTrades::slot_snapshotLastTrades,
                    [paper](kuAbstractConn* conn) { conn->getLastTrades(paper); });
}

void kuLastTrades::slot_snapshotLastTrades(int PaperID, QJsonArray lastTrades)
{
    if (PaperID != paperID())
        return;
    endSnapshot(this, &kuAbstractDataConverter::on_snapshotLastTrades, &kuLastTrades::slot_snapshotLastTrades);
    appendTrades(lastTrades);
    hideLightBox();
    connectConverter(this, &kuAbstractDataConverter::on_updateLastTrades, &kuLastTrades::slot_updateLastTrades);
}

void kuLastTrades::slot_updateLastTrades(int PaperID, QJsonArray lastTrades)
{
    QMutexLocker lock(mutex());
    if (PaperID == paperID())
        appendTrades(lastTrades);
}

void kuLastTrades::slot_reloadLastTrades(int paperID)
{
    // Giving the old stream back runs a nested event loop: the updates are cut
    // first, no lock is held across it, and a drop from inside is ignored.
    if (m_reloading)
        return;
    m_reloading = true;
    const QPointer<kuLastTrades> self(this);
    showLightBox();
    disconnectConverter(this, &kuAbstractDataConverter::on_updateLastTrades, &kuLastTrades::slot_updateLastTrades);
    unsubscribe();
    if (!self)
        return;
    setPaperID(0);
    m_lot = 1;
    m_decimals = 2;
    m_proxy->clear();
    setPaper(paperID);
    if (self)
        m_reloading = false;
}

void kuLastTrades::appendTrades(QJsonArray trades)
{
    const int count = trades.size();
    QVector<QJsonObject> objects;
    QVector<std::pair<qint64, int>> keys;
    objects.reserve(count);
    keys.reserve(count);
    for (int i = 0; i < count; ++i) {
        objects.append(trades.at(i).toObject());
        keys.append({kuKeys::wholeNumber(objects.constLast().value(kuKeys::lastTrade::dealID)), i});
    }
    // Ascending, so that each trade is compared with the one made just before it.
    // Batches come newest first or oldest first: those need no sort.
    const auto ascending = [](const auto& a, const auto& b) { return a.first < b.first; };
    if (std::is_sorted(keys.rbegin(), keys.rend(), ascending) && !std::is_sorted(keys.begin(), keys.end(), ascending))
        std::reverse(keys.begin(), keys.end());
    else
        std::stable_sort(keys.begin(), keys.end(), ascending);
    QVector<QJsonObject> sorted;
    QVector<qint64> deals;
    sorted.reserve(count);
    deals.reserve(count);
    for (const auto& key : qAsConst(keys)) {
        sorted.append(objects.at(key.second));
        deals.append(key.first);
    }
    // The batch goes in as one insertion, which the table lays out and draws once, later.
    // No pause of the table's repaints: resuming them repaints the window, its header and
    // scroll bars, whatever the batch changed.
    m_proxy->appendTrades(sorted, deals, m_decimals, m_lot);
}
