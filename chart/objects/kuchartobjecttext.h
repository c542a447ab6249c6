#pragma once

#include "kuchartobjectbase.h"
#include "kuchartobjectfilters.h"

#include <QColor>
#include <QDateTime>

class QLabel;
class QGraphicsSimpleTextItem;
class kuChartObjectText;

class kuChartObjectTextEventFilter : public kuChartObjectEventFilter
{
public:
    kuChartObjectTextEventFilter(kuChartObjectText* owner, QGraphicsItem* parent, double hoverOpacity,
                                 double normalOpacity);

protected:
    bool sceneEventFilter(QGraphicsItem* watched, QEvent* event) override;
    bool followPointer(const kuChartAnchorMove& move) override;
    bool takeAnchor(const kuChartAnchorMove& move) override;
    bool hasAnchor() const override;
    QPointF anchorPoint(const QPointF& press) const override;
    QPointF placingPoint(const QPointF& pointer) const override;
    // Opens the text dialog; "Удалить" there deletes the label.
    void doubleClicked() override;

private:
    // The text's top-left corner kept inside the plot.
    QPointF clampedToPlot(const kuChartAnchorMove& move) const;

    kuChartObjectText* m_text;
};

// A free text on the price pane, its top-left corner at a price and a candle.
class kuChartObjectText : public kuChartObjectBase
{
    Q_OBJECT
    Q_PROPERTY(QString text READ text WRITE setText)
    Q_PROPERTY(QColor textColor READ textColor WRITE setTextColor)
    Q_PROPERTY(QString textFontFamily READ textFontFamily WRITE setTextFontFamily)
    Q_PROPERTY(int textFontSize READ textFontSize WRITE setTextFontSize)
    Q_PROPERTY(QString textFontStyle READ textFontStyle WRITE setTextFontStyle)
    Q_PROPERTY(QString textFontWeight READ textFontWeight WRITE setTextFontWeight)
    Q_PROPERTY(QString textDecoration READ textDecoration WRITE setTextDecoration)
    Q_PROPERTY(double price READ price WRITE setPrice)
    Q_PROPERTY(QString candleDateTime READ candleDateTime WRITE setCandleDateTime)

public:
    // An empty JSON object makes a new text that follows the pointer.
    kuChartObjectText(kuChartCore* core, const QJsonObject& json);
    ~kuChartObjectText() override;

    // The dialog's result: text, font and colour of its preview label.
    void applyLabel(QLabel* label);
    void setupItems();
    // The candle under x; outside the data the anchor keeps its date-time. False then.
    bool setDateTimeFromX(double x);

    void repaint() override;
    QGraphicsItem* graphicsItem() override;
    void setOpacity(double opacity) override;
    void setVisible(bool visible) override;
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    QString text() const;
    void setText(const QString& text);
    QColor textColor() const;
    void setTextColor(const QColor& color);
    QString textFontFamily() const;
    void setTextFontFamily(const QString& family);
    // In points, derived from the pixel size of a font that has none.
    int textFontSize() const;
    // Sizes of 0 and below are ignored.
    void setTextFontSize(int size);
    QString textFontStyle() const;
    void setTextFontStyle(const QString& style);
    QString textFontWeight() const;
    void setTextFontWeight(const QString& weight);
    QString textDecoration() const;
    void setTextDecoration(const QString& decoration);
    // NaN until placed.
    double price() const { return m_anchor.price; }
    void setPrice(double price) { m_anchor.price = price; }
    QString candleDateTime() const { return m_anchor.dateTimeText(); }
    void setCandleDateTime(const QString& text) { m_anchor.setDateTimeText(text); }
    bool hasAnchor() const { return m_anchor.isPlaced(); }
    QDateTime anchorDateTime() const { return m_anchor.dateTime; }

    bool isPlaced() const override;

    kuChartObjectTextEventFilter* eventFilter() const { return m_eventFilter; }
    QGraphicsSimpleTextItem* textItem() const { return m_textItem; }

private:
    QGraphicsSimpleTextItem* m_textItem;
    kuChartObjectTextEventFilter* m_eventFilter;
    kuChartCandleAnchor m_anchor;
};
