#pragma once

#include <QColor>
#include <QFont>

class kuAppSetting;

// The one way models, items and delegates read the look values: from the main
// window's look settings at every call, so a changed setting shows at the
// next repaint; the defaults once the main window is gone (late paints).
class kuLook
{
public:
    static QColor upColor();
    static QColor downColor();
    static QFont masterFont();
    // Up colour above 0, down colour below 0, an invalid colour for 0 and NaN.
    static QColor signColor(double value);

private:
    static const kuAppSetting* settings();
};
