#pragma once

#include <QFrame>
#include <QPointer>

#include "adsglobals.h"

namespace ads {

class DropOverlayCross;

// Translucent window laid over a drop target while a floating window is
// dragged; shades the part the hovered area would take. Mode 1 covers the
// whole container, mode 0 one section.
class DropOverlay : public QFrame
{
    Q_OBJECT

public:
    DropOverlay(QWidget* parent, int mode);
    ~DropOverlay() override;

    void setAllowedAreas(DropAreas areas);
    DropAreas allowedAreas() const { return _allowedAreas; }
    int mode() const { return _mode; }

    DropArea showDropOverlay(QWidget* target);
    void hideDropOverlay();
    DropArea cursorLocation() const;
    DropArea lastLocation() const { return _lastLocation; }
    DropOverlayCross* cross() const { return _cross; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    DropAreas _allowedAreas;
    DropOverlayCross* _cross = nullptr;
    QPointer<QWidget> _target;
    DropArea _lastLocation = InvalidDropArea;
    int _mode;
};

// Part of rect that a drop on area takes, as the overlay shades it.
QRect dropAreaShadeRect(DropArea area, const QRect& rect, int mode);

} // namespace ads
