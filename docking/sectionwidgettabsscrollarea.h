#pragma once

#include <QScrollArea>

namespace ads {

// The row of tab titles: scrolls sideways with the wheel, never shows bars.
class SectionWidgetTabsScrollArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit SectionWidgetTabsScrollArea(QWidget* parent = nullptr);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace ads
