#pragma once

#include "kuchartlinetool.h"
#include "kuchartobjectfilters.h"

#include <QColor>
#include <QDateTime>

class kuChartObjectVLine;

class kuChartObjectVLineEventFilter : public kuChartObjectEventFilter
{
public:
    kuChartObjectVLineEventFilter(kuChartObjectVLine* owner, QGraphicsItem* parent, double hoverOpacity,
                                  double normalOpacity);

protected:
    bool followPointer(const kuChartAnchorMove& move) override;
    bool takeAnchor(const kuChartAnchorMove& move) override;
    bool hasAnchor() const override;
    QPointF anchorPoint(const QPointF& press) const override;

private:
    kuChartObjectVLine* m_line;
};

// A vertical line through one candle, the candle's date and time under it.
class kuChartObjectVLine : public kuChartLineTool
{
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(int lineWidth READ lineWidth WRITE setLineWidth)
    Q_PROPERTY(int penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(QString trailerCandleText READ trailerCandleText WRITE setTrailerCandleText)

public:
    // An empty JSON object makes a new line that follows the pointer.
    kuChartObjectVLine(kuChartCore* core, const QJsonObject& json);

    void repaint() override;
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    QString trailerCandleText() const;
    void setTrailerCandleText(const QString& text);
    QDateTime lineDateTime() const { return m_lineDateTime; }
    // The candle under x; outside the plot or the data the date-time stays. False then.
    bool setDateTimeFromX(double x);

    bool isPlaced() const override;

    kuChartObjectVLineEventFilter* eventFilter() const { return m_eventFilter; }

protected:
    kuHeldCursor& heldCursor() override;

private:
    void setupItems();

    kuChartObjectVLineEventFilter* m_eventFilter;
    QDateTime m_lineDateTime;
};
