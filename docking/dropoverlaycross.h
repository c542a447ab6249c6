#pragma once

#include <QMap>
#include <QPair>
#include <QWidget>

#include "adsglobals.h"

class QGridLayout;
class QLabel;

namespace ads {

class DropOverlay;

// The indicator icons of an overlay in a 5 x 5 grid, one per drop area;
// the icon under the cursor names the area.
class DropOverlayCross : public QWidget
{
    Q_OBJECT

public:
    explicit DropOverlayCross(DropOverlay* overlay);

    DropArea cursorLocation() const;
    void setAreaWidgets(const QMap<DropArea, QWidget*>& widgets);
    void updateAreaVisibility();
    void reposition();
    void createDefaultAreaWidgets(int mode);
    QWidget* areaWidget(DropArea area) const { return _widgets.value(area); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    DropOverlay* _overlay;
    QMap<DropArea, QWidget*> _widgets;
    QGridLayout* _grid;
};

QWidget* createDropIndicatorWidget(DropArea area, int mode);
QPair<int, int> dropAreaGridPosition(DropArea area, int mode);

} // namespace ads
