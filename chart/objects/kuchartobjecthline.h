#pragma once

#include "kuchartlinetool.h"
#include "kuchartobjectfilters.h"

#include <QColor>

class kuChartObjectHLine;

class kuChartObjectHLineEventFilter : public kuChartObjectEventFilter
{
public:
    kuChartObjectHLineEventFilter(kuChartObjectHLine* owner, QGraphicsItem* parent, double hoverOpacity,
                                  double normalOpacity);

protected:
    bool followPointer(const kuChartAnchorMove& move) override;
    bool takeAnchor(const kuChartAnchorMove& move) override;
    bool hasAnchor() const override;
    QPointF anchorPoint(const QPointF& press) const override;

private:
    kuChartObjectHLine* m_line;
};

// A horizontal line at one price, the price as text at its right end.
class kuChartObjectHLine : public kuChartLineTool
{
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(int lineWidth READ lineWidth WRITE setLineWidth)
    Q_PROPERTY(int penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(double price READ price WRITE setPrice)

public:
    // An empty JSON object makes a new line that follows the pointer.
    kuChartObjectHLine(kuChartCore* core, const QJsonObject& json);

    void repaint() override;
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    // NaN until the line is placed.
    double price() const { return m_price; }
    void setPrice(double price);

    bool isPlaced() const override;

    kuChartObjectHLineEventFilter* eventFilter() const { return m_eventFilter; }

protected:
    kuHeldCursor& heldCursor() override;

private:
    void setupItems();

    kuChartObjectHLineEventFilter* m_eventFilter;
    double m_price;
    int m_priceDecimals = 2;
};
