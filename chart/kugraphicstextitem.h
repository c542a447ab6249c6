#pragma once

#include <QColor>
#include <QGraphicsTextItem>

// A label at the price axis on a rounded background, with a dashed line of its
// own at mid height: a negative length runs the line left from the label.
class kuGraphicsTextItem : public QGraphicsTextItem
{
public:
    explicit kuGraphicsTextItem(QGraphicsItem* parent = nullptr);

    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);
    int lineLength() const { return m_lineLength; }
    // x in item coordinates where the dashed line starts.
    void setLineLength(int length);

    // The background behind the text, in item coordinates.
    QRectF boxRect() const;
    // The text with its background and its line.
    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QColor m_backgroundColor = Qt::green;
    int m_lineLength = 0;
};
