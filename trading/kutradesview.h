#pragma once

#include "kutreeview.h"

class QMenu;

// The tree of the trades window: column settings, and drags of the
// instrument of a buy or sell row.
class kuTradesView : public kuTreeView
{
    Q_OBJECT
public:
    explicit kuTradesView(QWidget* parent = nullptr);

    // The menu the view runs; the caller deletes it.
    QMenu* buildContextMenu();

public slots:
    void slot_showContextMenu(QPoint pos);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
