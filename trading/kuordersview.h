#pragma once

#include "kutreeview.h"

#include <QPersistentModelIndex>

class QMenu;
class kuOrderManager;

// The tree of the orders window: a context menu that copies, changes or
// cancels the order under the cursor, and drags of the order's instrument.
class kuOrdersView : public kuTreeView
{
    Q_OBJECT
public:
    explicit kuOrdersView(QWidget* parent = nullptr);

    // The menu for the row at pos (viewport coordinates), without parent; the
    // order actions then act on that row. The caller deletes it.
    QMenu* buildContextMenu(const QPoint& pos);
    // The order the order actions act on; invalid when none.
    QModelIndex actedRow() const;
    // Puts the acted order into the dialog.
    void fillOrderManager(kuOrderManager* manager);

public slots:
    void slot_showContextMenu(QPoint pos);
    void slot_cancelOrder();
    void slot_changeOrder();
    void slot_copyOrder();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    // The row the menu was opened over, and its order id: a re-sorted or replaced
    // row is followed, and an action never reaches another order.
    QPersistentModelIndex m_menuRow;
    qint64 m_menuOrderID = 0;
    bool m_menuRowKept = false;
};
