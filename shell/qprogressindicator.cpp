#include "qprogressindicator.h"

#include <QPainter>

QProgressIndicator::QProgressIndicator(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("QProgressIndicator"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setFocusPolicy(Qt::NoFocus);
}

QSize QProgressIndicator::sizeHint() const
{
    // Always made inside the widget it covers.
    return parentWidget() ? parentWidget()->size() : QWidget::sizeHint();
}

int QProgressIndicator::heightForWidth(int w) const
{
    return w;
}

void QProgressIndicator::startAnimation()
{
    m_angle = 0;
    if (m_timerId == -1)
        m_timerId = startTimer(m_delay, Qt::CoarseTimer);
}

void QProgressIndicator::stopAnimation()
{
    if (m_timerId != -1)
        killTimer(m_timerId);
    m_timerId = -1;
    update();
}

void QProgressIndicator::setAnimationDelay(int delay)
{
    if (m_timerId != -1) {
        killTimer(m_timerId);
        m_delay = delay;
        m_timerId = startTimer(m_delay, Qt::CoarseTimer);
    } else {
        m_delay = delay;
    }
}

void QProgressIndicator::setDisplayedWhenStopped(bool state)
{
    m_displayedWhenStopped = state;
    update();
}

void QProgressIndicator::setColor(const QColor& color)
{
    m_color = color;
    update();
}

void QProgressIndicator::timerEvent(QTimerEvent*)
{
    m_angle = (m_angle + 30) % 360;
    update();
}

void QProgressIndicator::paintEvent(QPaintEvent*)
{
    if (!m_displayedWhenStopped && !animating())
        return;

    const int side = qMin(width(), height());
    const int outerRadius = static_cast<int>((side - 1) * 0.5);
    const int innerRadius = static_cast<int>((side - 1) * 0.5 * 0.38);
    const int spokeLength = outerRadius - innerRadius;
    // Wide spokes look heavy on a large indicator.
    const int spokeWidth = static_cast<int>(spokeLength * (side <= 32 ? 0.35 : 0.23));
    const int corner = spokeWidth / 2;

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 12; ++i) {
        QColor color = m_color;
        color.setAlphaF(1.0 - (i / 12.0));
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.save();
        p.translate((width() - 1) / 2, (height() - 1) / 2);
        p.rotate(m_angle - i * 30.0);
        p.drawRoundedRect(QRect(static_cast<int>(-spokeWidth * 0.5), -outerRadius, spokeWidth, spokeLength), corner,
                          corner, Qt::AbsoluteSize);
        p.restore();
    }
}
