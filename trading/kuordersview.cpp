#include "kuordersview.h"

#include "kuclient.h"
#include "kuordermanager.h"
#include "kuordersmodel.h"
#include "kurecordkeys.h"

#include <QJsonObject>
#include <QMenu>
#include <QMouseEvent>

namespace {
bool isOrderRow(const QModelIndex& index)
{
    return index.isValid() && index.parent().isValid();
}

int intRole(const QModelIndex& index, int role)
{
    return index.data(role).toInt();
}

// Order ids and quantities, beyond an int.
qint64 wholeRole(const QModelIndex& index, int role)
{
    return index.data(role).toLongLong();
}

double doubleRole(const QModelIndex& index, int role)
{
    return index.data(role).toDouble();
}
} // namespace

kuOrdersView::kuOrdersView(QWidget* parent) : kuTreeView(parent)
{
    // Rows of one height: a changed row is not measured again, nor are all rows
    // for the scroll bar, which a list of thousands of orders would feel.
    setUniformRowHeights(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &kuOrdersView::slot_showContextMenu);
}

QMenu* kuOrdersView::buildContextMenu(const QPoint& pos)
{
    auto* menu = new QMenu;
    connect(menu->addAction(tr("Настройка столбцов")), &QAction::triggered, this, &kuOrdersView::columnSetting);
    menu->addSeparator();

    const QModelIndex index = indexAt(pos);
    m_menuRowKept = true;
    m_menuRow = isOrderRow(index) ? QPersistentModelIndex(index.sibling(index.row(), 0)) : QPersistentModelIndex();
    m_menuOrderID = isOrderRow(index) ? wholeRole(index, kuOrdersModel::OrderIDRole) : 0;
    if (!isOrderRow(index))
        return menu;
    const int act = intRole(index, kuOrdersModel::ActRole);
    const int status = intRole(index, kuOrdersModel::StatusRole);
    if (act != 3 && act != 4)
        connect(menu->addAction(tr("Скопировать в окно ввода поручения")), &QAction::triggered, this,
                &kuOrdersView::slot_copyOrder);
    if (status <= 2) {
        connect(menu->addAction(tr("Отменить поручение")), &QAction::triggered, this, &kuOrdersView::slot_cancelOrder);
        menu->addSeparator();
        if (act == 1 || act == 2 || act == 5 || act == 6)
            connect(menu->addAction(tr("Редактировать поручение")), &QAction::triggered, this,
                    &kuOrdersView::slot_changeOrder);
    }
    return menu;
}

void kuOrdersView::slot_showContextMenu(QPoint pos)
{
    QMenu* menu = buildContextMenu(pos);
    menu->exec(viewport()->mapToGlobal(pos));
    delete menu;
    m_menuRowKept = false;
    m_menuRow = QPersistentModelIndex();
}

QModelIndex kuOrdersView::actedRow() const
{
    if (!m_menuRowKept) {
        const QModelIndex current = currentIndex();
        return isOrderRow(current) ? current : QModelIndex();
    }
    // A row gone with a new snapshot, or holding another order now, is no longer the one chosen.
    if (!m_menuRow.isValid() || wholeRole(m_menuRow, kuOrdersModel::OrderIDRole) != m_menuOrderID)
        return QModelIndex();
    return m_menuRow;
}

void kuOrdersView::slot_cancelOrder()
{
    const QModelIndex row = actedRow();
    if (!isOrderRow(row))
        return;
    const int act = intRole(row, kuOrdersModel::ActRole);
    const QJsonObject order{{QStringLiteral("orderID"), kuKeys::wholeValue(wholeRole(row, kuOrdersModel::OrderIDRole))},
                            {QStringLiteral("paperID"), intRole(row, kuOrdersModel::PaperIDRole)},
                            {QStringLiteral("action"), act},
                            {QStringLiteral("amount"), kuKeys::wholeValue(wholeRole(row, kuOrdersModel::AmountRole))}};
    const QPointer<kuClient> client = kuClient::instance();
    kuOrderManager* manager = client ? client->orderManager() : nullptr;
    if (!manager)
        return;
    if (act == 1 || act == 2)
        manager->cancelOrder(order);
    else if (act == 5 || act == 6)
        manager->cancelStopOrder(order);
}

void kuOrdersView::fillOrderManager(kuOrderManager* manager)
{
    const QModelIndex row = actedRow();
    if (!manager || !isOrderRow(row))
        return;
    const int act = intRole(row, kuOrdersModel::ActRole);
    manager->setInstrument(intRole(row, kuOrdersModel::PaperIDRole));
    manager->setAccount(row.parent().data(kuTreeViewModel::AccountRole).toString());
    manager->setAmount(double(wholeRole(row, kuOrdersModel::AmountRole)));
    manager->setPrice(doubleRole(row, kuOrdersModel::PriceRole));
    if (act != 5 && act != 6) {
        manager->setCurrentTab(0);
        return;
    }
    if (intRole(row, kuOrdersModel::FcondRole) != 0)
        manager->setFirstCondition({{QStringLiteral("ifPrice1"), doubleRole(row, kuOrdersModel::IfPrice1Role)},
                                    {QStringLiteral("stopPrice1"), doubleRole(row, kuOrdersModel::StopPrice1Role)},
                                    {QStringLiteral("isMarket1"), intRole(row, kuOrdersModel::IsMarket1Role) != 0}});
    if (intRole(row, kuOrdersModel::ScondRole) != 0)
        manager->setSecondCondition({{QStringLiteral("ifPrice2"), doubleRole(row, kuOrdersModel::IfPrice2Role)},
                                     {QStringLiteral("stopPrice2"), doubleRole(row, kuOrdersModel::StopPrice2Role)},
                                     {QStringLiteral("isMarket2"), intRole(row, kuOrdersModel::IsMarket2Role) != 0}});
    manager->setCurrentTab(1);
}

void kuOrdersView::slot_changeOrder()
{
    const QModelIndex row = actedRow();
    if (!isOrderRow(row))
        return;
    const qint64 orderID = wholeRole(row, kuOrdersModel::OrderIDRole);
    const QPointer<kuClient> client = kuClient::instance();
    kuOrderManager* manager = client ? client->orderManager() : nullptr;
    if (!manager)
        return;
    fillOrderManager(manager);
    manager->setOrderID(orderID);
    manager->exec();
}

void kuOrdersView::slot_copyOrder()
{
    if (!isOrderRow(actedRow()))
        return;
    const QPointer<kuClient> client = kuClient::instance();
    kuOrderManager* manager = client ? client->orderManager() : nullptr;
    if (!manager)
        return;
    fillOrderManager(manager);
    manager->exec();
}

void kuOrdersView::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->localPos().toPoint());
    const int act = isOrderRow(index) ? intRole(index, kuOrdersModel::ActRole) : 0;
    // Any other press forgets an earlier one, so it never drags that instrument.
    if (event->button() == Qt::LeftButton && act >= 1 && act <= 6)
        setPendingDrag(event->pos(), intRole(index, kuOrdersModel::PaperIDRole));
    else
        setPendingDrag(QPoint(), 0);
    kuTreeView::mousePressEvent(event);
}
