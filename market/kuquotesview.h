#pragma once

#include "kutableview.h"

// The quotes table, whose rows can be dragged out as instruments.
class kuQuotesView : public kuTableView
{
    Q_OBJECT
public:
    explicit kuQuotesView(QWidget* parent = nullptr);

protected:
    // A left press on a row arms the drag of that row's instrument.
    void mousePressEvent(QMouseEvent* event) override;
};
