#pragma once

#include <QGraphicsEllipseItem>
#include <QGraphicsPathItem>
#include <QGraphicsRectItem>
#include <QPen>

class QGraphicsScene;

// A candle's body and shadows in scene pixels.
struct kuCandleGeometry
{
    double x = 0; // left of the body
    double y = 0; // top of the body
    double width = 0;
    double height = 0;
    double upperShadow = 0; // pixels above the body's top
    double lowerShadow = 0; // pixels below the body's bottom
    double close = 0;
    bool isDown = false; // open >= close
};

// A bar: its high-low line and the open and close ticks.
struct kuBarGeometry
{
    double x = 0;
    double y = 0; // of the high
    double penWidth = 0;
    double height = 0; // high to low
    double openY = 0;
    double closeY = 0;
};

struct kuLineGeometry
{
    double x0 = 0;
    double y0 = 0;
    double x1 = 0;
    double y1 = 0;
};

// A pane's clip: its children are drawn and hit only inside its rectangle. It
// takes no mouse button; a search for what lies under the pointer skips it
// (topItemAt), so that it hides no candle from a click, whatever its stacking.
class kuChartClipItem : public QGraphicsRectItem
{
public:
    enum
    {
        Type = UserType + 105
    };

    kuChartClipItem(QGraphicsScene* scene, double z);

    int type() const override { return Type; }
};

// The topmost item at a scene point that is not a clip.
QGraphicsItem* topItemAt(const QGraphicsScene* scene, const QPointF& point);

// The plain interface of every item a chart pools: the core and the indicators
// move these instead of making new ones on each redraw. Not a QObject.
class kuChartGraphicsItem
{
public:
    kuChartGraphicsItem() = default;
    virtual ~kuChartGraphicsItem() = default;
    kuChartGraphicsItem(const kuChartGraphicsItem&) = delete;
    kuChartGraphicsItem& operator=(const kuChartGraphicsItem&) = delete;

    // Once only: a later call (another scene included) changes nothing.
    virtual void addToScene(QGraphicsScene* scene);
    // Geometry (0, 0, 0, 0) collapses the item to nothing.
    virtual void setGeometry(double a, double b, double c, double d) = 0;
    virtual void setOpacity(double opacity);

    QGraphicsItem* graphicsItem() const { return m_item; }
    QGraphicsScene* scene() const { return m_scene; }
    bool isAdded() const { return m_added; }

protected:
    // Each class names its own Qt item part once that part is built.
    void bindItem(QGraphicsItem* item) { m_item = item; }

private:
    QGraphicsItem* m_item = nullptr;
    QGraphicsScene* m_scene = nullptr;
    bool m_added = false;
};

// Candle: the rectangle is the body; the shadows are painted above and below it.
class kuChartGraphicsCandleItem : public kuChartGraphicsItem, public QGraphicsRectItem
{
public:
    enum
    {
        Type = UserType + 100
    };

    explicit kuChartGraphicsCandleItem(QGraphicsItem* parent = nullptr);
    int type() const override { return Type; }
    // Rectangle (a, b, width c, height d); shadows 1 above and -1 below.
    void setGeometry(double a, double b, double c, double d) override;
    void setCandle(const kuCandleGeometry& candle);
    const kuCandleGeometry& candle() const { return m_candle; }
    double closePrice() const { return m_candle.close; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;

private:
    void setShadows(double upper, double lower);

    kuCandleGeometry m_candle;
};

// Bar: a vertical high-low line, the open tick to the left and the close tick to the right.
class kuChartGraphicsBarItem : public kuChartGraphicsItem, public QGraphicsPathItem
{
public:
    enum
    {
        Type = UserType + 101
    };

    explicit kuChartGraphicsBarItem(QGraphicsItem* parent = nullptr);
    int type() const override { return Type; }
    // One straight line from (a, b) to (c, d).
    void setGeometry(double a, double b, double c, double d) override;
    void setBar(const kuBarGeometry& bar);

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;
};

// A straight segment: line style, axes and indicator series.
class kuChartGraphicsLineItem : public kuChartGraphicsItem, public QGraphicsPathItem
{
public:
    enum
    {
        Type = UserType + 102
    };

    explicit kuChartGraphicsLineItem(QGraphicsItem* parent = nullptr);
    int type() const override { return Type; }
    void setGeometry(double a, double b, double c, double d) override;
    void setLine(double x0, double y0, double x1, double y1);
    void setLine(const QLineF& line);
    void setLine(const kuLineGeometry& line) { setLine(line.x0, line.y0, line.x1, line.y1); }
    QLineF line() const { return m_line; }

    // A path item's answers, worked out from the segment and the pen: a pane moves thousands
    // of these on every scroll, so no path is made or stroked for them (path() stays empty).
    QRectF boundingRect() const override;
    QPainterPath shape() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QLineF m_line;
    bool m_placed = false; // no segment set yet: nothing to show
    mutable bool m_boundsKnown = false;
    mutable QRectF m_bounds;
    mutable QPen m_boundsPen; // the pen m_bounds was worked out for
};

// Histogram bars and the like.
class kuChartGraphicsRectItem : public kuChartGraphicsItem, public QGraphicsRectItem
{
public:
    enum
    {
        Type = UserType + 103
    };

    explicit kuChartGraphicsRectItem(QGraphicsItem* parent = nullptr);
    int type() const override { return Type; }
    void setGeometry(double a, double b, double c, double d) override;

protected:
    void hoverEnterEvent(QGraphicsSceneHoverEvent* event) override;
    void hoverLeaveEvent(QGraphicsSceneHoverEvent* event) override;
};

// Dots: the ellipse inside the rectangle (a, b, width c, height d).
class kuChartGraphicsEllipseItem : public kuChartGraphicsItem, public QGraphicsEllipseItem
{
public:
    enum
    {
        Type = UserType + 104
    };

    explicit kuChartGraphicsEllipseItem(QGraphicsItem* parent = nullptr);
    int type() const override { return Type; }
    void setGeometry(double a, double b, double c, double d) override;
};
