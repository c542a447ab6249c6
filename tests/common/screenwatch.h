#pragma once

// What a widget repaints and whether the screen shows what it would draw now.
// The screen is the window's backing store: a part left unpainted after a change
// differs there from a fresh drawing of the widget.

#include <QBackingStore>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QPaintEvent>
#include <QPixmap>
#include <QRegion>
#include <QWidget>

class RepaintWatch : public QObject
{
public:
    explicit RepaintWatch(QWidget* widget) : m_widget(widget) { widget->installEventFilter(this); }

    int count = 0;
    QRegion region;

    void clear()
    {
        count = 0;
        region = QRegion();
    }
    // True once a few passes of events paint nothing more: a show or a change can take
    // several passes, later ones when the machine is busy. Meant for QTRY_VERIFY.
    bool settled()
    {
        for (int pass = 0; pass < 3; ++pass) {
            const int before = count;
            QCoreApplication::processEvents();
            if (count != before)
                return false;
        }
        return true;
    }
    bool wholeRepainted() const { return region.contains(m_widget->rect()) && region == (region | m_widget->rect()); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }

private:
    QWidget* m_widget;
};

// Pixels of widget whose colour on screen is clearly off a fresh drawing (anti-aliased
// edges drawn in parts may differ by a shade).
inline int stalePixels(QWidget* widget)
{
    QWidget* top = widget->window();
    QBackingStore* store = top->backingStore();
    QPaintDevice* device = store ? store->paintDevice() : nullptr;
    QImage all;
    if (device && device->devType() == QInternal::Pixmap)
        all = static_cast<QPixmap*>(device)->toImage();
    else if (device && device->devType() == QInternal::Image)
        all = *static_cast<QImage*>(device);
    if (all.isNull())
        return -1;
    const QPoint at = widget->mapTo(top, QPoint(0, 0));
    const QImage shown = all.copy(QRect(at, widget->size())).convertToFormat(QImage::Format_RGB32);
    const QImage fresh = widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (shown.size() != fresh.size())
        return -1;
    int stale = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb a = shown.pixel(x, y);
            const QRgb b = fresh.pixel(x, y);
            if (qAbs(qRed(a) - qRed(b)) > 24 || qAbs(qGreen(a) - qGreen(b)) > 24 || qAbs(qBlue(a) - qBlue(b)) > 24)
                ++stale;
        }
    }
    return stale;
}
