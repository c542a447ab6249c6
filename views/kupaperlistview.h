#pragma once

#include "kutableview.h"

// Instrument table whose rows can be dragged out as instruments.
class kuPaperListView : public kuTableView
{
    Q_OBJECT
public:
    explicit kuPaperListView(QWidget* parent = nullptr);

protected:
    // A left press on a row arms the drag of that row's instrument.
    void mousePressEvent(QMouseEvent* event) override;
};
