#pragma once

#include "kuchartlinepen.h"
#include "kuchartobjectbase.h"

#include <QColor>

class QGraphicsLineItem;
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
class kuChartObjectHLine : public kuChartObject, public kuChartLinePen
{
    Q_OBJECT
    Q_PROPERTY(QColor lineColor READ lineColor WRITE setLineColor)
    Q_PROPERTY(int lineWidth READ lineWidth WRITE setLineWidth)
    Q_PROPERTY(int penStyle READ penStyle WRITE setPenStyle)
    Q_PROPERTY(double price READ price WRITE setPrice)

public:
    // An empty JSON object makes a new line that follows the pointer.
    kuChartObjectHLine(kuChartCore* core, const QJsonObject& json);
    ~kuChartObjectHLine() override;

    void repaint() override;
    QGraphicsItem* graphicsItem() override;
    void setOpacity(double opacity) override;
    void setVisible(bool visible) override;
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    // NaN until the line is placed.
    double price() const { return m_price; }
    void setPrice(double price);

    kuChartObjectHLineEventFilter* eventFilter() const { return m_eventFilter; }
    QGraphicsLineItem* lineItem() const { return m_lineItem; }

private:
    void setupItems();

    QGraphicsLineItem* m_lineItem;
    kuChartObjectHLineEventFilter* m_eventFilter;
    QString m_labelTemplate;
    double m_price;
    int m_priceDecimals = 2;
};
