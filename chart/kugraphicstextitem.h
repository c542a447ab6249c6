#pragma once

#include <QGraphicsTextItem>

// A label at the price axis with a dashed line of its own: a negative length
// runs the line left from the label.
class kuGraphicsTextItem : public QGraphicsTextItem
{
public:
    explicit kuGraphicsTextItem(QGraphicsItem* parent = nullptr);

    double lineLength() const { return m_lineLength; }
    void setLineLength(double length);

private:
    double m_lineLength = 0.0;
};
