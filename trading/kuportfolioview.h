#pragma once

#include "kutreeview.h"

class QAction;

// The positions tree of the account-state window: the margin panel switch,
// and orders from a position row (close it, turn it over, or open the order
// entry dialog with one lot by a double click).
class kuPortfolioView : public kuTreeView
{
    Q_OBJECT
public:
    explicit kuPortfolioView(QWidget* parent = nullptr);

    QAction* marginAction() const { return m_marginAction; }
    // The question asked before a position is closed or turned; empty for an unknown instrument.
    static QString questionText(int paperID, qint64 quantity, double price);

signals:
    void on_showHideMarginPanel(bool showHide);

public slots:
    void slot_showContextMenu(QPoint pos);
    void slot_closePosition();
    void slot_turnPosition();
    void slot_createOrder(QModelIndex index);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // Fills the order entry dialog; with confirm, asks and sends at once on Ok.
    void orderEntry(const QString& account, int paperID, qint64 quantity, double price, bool confirm);
    void positionOrder(bool turn);
    static bool isPositionRow(const QModelIndex& index);

    QAction* m_marginAction;
};
