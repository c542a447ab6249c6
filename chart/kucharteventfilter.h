#pragma once

#include <QObject>

// Keeps the chart's scene and layout in step with its view: installed on the
// chart window's graphics view, whose parent's parent is the window.
class kuChartEventFilter : public QObject
{
    Q_OBJECT

public:
    explicit kuChartEventFilter(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
