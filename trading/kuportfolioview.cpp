#include "kuportfolioview.h"

#include "kuclient.h"
#include "kufunctions.h"
#include "kuordermanager.h"
#include "kupaperinfo.h"
#include "kupaperlist.h"
#include "kuportfoliomodel.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QtMath>

kuPortfolioView::kuPortfolioView(QWidget* parent) : kuTreeView(parent), m_marginAction(new QAction(this))
{
    m_marginAction->setText(tr("Маржинальная панель"));
    m_marginAction->setToolTip(tr("Маржинальная панель"));
    m_marginAction->setCheckable(true);
    m_marginAction->setChecked(true);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, &kuPortfolioView::slot_showContextMenu);
    connect(this, &QAbstractItemView::doubleClicked, this, &kuPortfolioView::slot_createOrder);
    connect(m_marginAction, &QAction::toggled, this, &kuPortfolioView::on_showHideMarginPanel);
}

bool kuPortfolioView::isPositionRow(const QModelIndex& index)
{
    return index.isValid() && index.parent().isValid() && index.data(kuTreeViewModel::ItemTypeRole).toInt() <= 9;
}

void kuPortfolioView::slot_showContextMenu(QPoint pos)
{
    const QPoint global = viewport()->mapToGlobal(pos);
    const QModelIndex index = indexAt(pos);
    QMenu* menu = new QMenu;
    QAction* columns = menu->addAction(tr("Настройка столбцов"));
    menu->addSeparator();
    menu->addAction(m_marginAction);
    if (isPositionRow(index)) {
        connect(menu->addAction(tr("Закрыть позицию")), &QAction::triggered, this,
                &kuPortfolioView::slot_closePosition);
        connect(menu->addAction(tr("Перевернуть позицию")), &QAction::triggered, this,
                &kuPortfolioView::slot_turnPosition);
    }
    connect(columns, &QAction::triggered, this, &kuPortfolioView::columnSetting);
    menu->exec(global);
    delete menu;
}

void kuPortfolioView::slot_closePosition()
{
    positionOrder(false);
}

void kuPortfolioView::slot_turnPosition()
{
    positionOrder(true);
}

void kuPortfolioView::positionOrder(bool turn)
{
    const QModelIndex index = currentIndex();
    if (!isPositionRow(index))
        return;
    const qint64 quantity = index.data(kuPortfolioModel::AmountRole).toLongLong();
    orderEntry(index.parent().data(kuTreeViewModel::AccountRole).toString(),
               index.data(kuPortfolioModel::PaperIDRole).toInt(), turn ? quantity + quantity : quantity,
               index.data(kuPortfolioModel::LastPriceRole).toDouble(), true);
}

void kuPortfolioView::slot_createOrder(QModelIndex index)
{
    if (!index.model() || !isPositionRow(index))
        return;
    orderEntry(index.parent().data(kuTreeViewModel::AccountRole).toString(),
               index.data(kuPortfolioModel::PaperIDRole).toInt(), 0,
               index.data(kuPortfolioModel::LastPriceRole).toDouble(), false);
}

QString kuPortfolioView::questionText(int paperID, qint64 quantity, double price)
{
    const QSharedPointer<kuPaperInfo> paper = kuPaperList::instance()->paper(paperID);
    if (!paper)
        return QString();
    const QChar blank(' ');
    return (quantity < 1 ? tr("Купить ") : tr("Продать ")) + formatNumber(qAbs(quantity), 0, blank) + QLatin1Char(' ') +
           paper->ticker() + QStringLiteral(" - ") + paper->issuer() + QLatin1Char(' ') + tr("по цене ") +
           formatNumber(price, paper->decimals(), blank);
}

void kuPortfolioView::orderEntry(const QString& account, int paperID, qint64 quantity, double price, bool confirm)
{
    const QPointer<kuClient> client = kuClient::instance();
    if (!client)
        return;
    kuOrderManager* dialog = client->orderManager();
    if (!dialog)
        return;
    // An order goes on the position's own account or not at all.
    if (!dialog->setAccount(account)) {
        showError(tr("Счет %1 недоступен, поручение не создано").arg(account));
        return;
    }
    dialog->setInstrument(paperID);
    dialog->setAmount(qAbs(quantity));
    dialog->setPrice(price);
    if (!confirm) {
        if (quantity == 0)
            dialog->setLotAmount(1);
        dialog->exec();
        return;
    }
    const QString question = questionText(paperID, quantity, price);
    if (question.isEmpty())
        return;
    if (askQuestion(question))
        dialog->createOrder(quantity <= 0 ? 1 : -1, 0);
    else
        dialog->exec();
}

void kuPortfolioView::mousePressEvent(QMouseEvent* event)
{
    const QPoint point(qRound(event->localPos().x()), qRound(event->localPos().y()));
    const QModelIndex index = indexAt(point);
    // Only a left press on a position drags; any other press drops an earlier pending drag.
    const bool position = event->button() == Qt::LeftButton && index.isValid() && index.parent().isValid() &&
                          index.data(kuTreeViewModel::ItemTypeRole).toInt() == 1;
    setPendingDrag(point, position ? index.data(kuPortfolioModel::PaperIDRole).toInt() : 0);
    QTreeView::mousePressEvent(event);
}
