#pragma once

#include "kuchartpropertyinfo.h"

#include <QColor>
#include <QPen>

#include <optional>

class kuChartCore;

// The one pen a line tool draws with, and the rules its settings keep. It
// stands beside kuChartObject among a tool's bases; the Q_PROPERTY lines that
// saved layouts read stay in each tool, naming these accessors.
class kuChartLinePen
{
public:
    QColor lineColor() const { return linePen.color(); }
    void setLineColor(const QColor& color);
    int lineWidth() const { return linePen.width(); }
    // 0 to 5; anything else gives width 1.
    void setLineWidth(int width);
    int penStyle() const { return int(linePen.style()); }
    // 0 to 5; anything else is ignored.
    void setPenStyle(int style);

protected:
    // The pen a tool starts with: the chart's contrast colour (black without a chart), one pixel, solid.
    void resetPen(const kuChartCore* core);
    // The settings-list entries of the pen, labelled for one line or for a tool
    // of several; nothing for any other name.
    static std::optional<kuChartPropertyInfo> penPropertyInfo(const QString& name, bool severalLines);

    QPen linePen;
};
