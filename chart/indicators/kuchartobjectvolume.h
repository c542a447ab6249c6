#pragma once

#include "kuchartabstractta.h"

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QRectF>
#include <QVector>

// One volume bar in scene coordinates; a down bar's volume fell.
struct kuVolumeBar
{
    QRectF rect;
    bool down = false;
};

// The volume bars: the candles' volumes, newest first, drawn as filled bars
// as wide as a candle, in the parent's pane.
class kuChartObjectVolume_p : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(QColor volumeUpColor READ volumeUpColor WRITE setVolumeUpColor)
    Q_PROPERTY(QColor volumeDownColor READ volumeDownColor WRITE setVolumeDownColor)

public:
    explicit kuChartObjectVolume_p(kuChartCore* core);

    void recalculate() override;
    void repaint() override;
    // "Объем: 1 234 567"; empty outside the values.
    QString valueText(int index) override;
    QPair<double, double> valueRange() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    int indicatorKind() const override { return -1010; }

    QColor volumeUpColor() const { return m_upColor; }
    void setVolumeUpColor(const QColor& color) { m_upColor = color; }
    QColor volumeDownColor() const { return m_downColor; }
    void setVolumeDownColor(const QColor& color) { m_downColor = color; }

    // One pooled rect item per bar; the rest of the pool is collapsed.
    void drawBars(const QVector<kuVolumeBar>& bars);

private:
    QColor m_upColor;
    QColor m_downColor;
    // Kept from one drawing to the next, so that the bars share them and compare at once.
    QPen m_outline;
    QBrush m_upBrush;
    QBrush m_downBrush;
};

// The volume pane every chart has, below every indicator pane. The chart core
// makes it, keeps it out of its object list and shows it through isVisible.
class kuChartObjectVolume : public kuChartAbstractTA
{
    Q_OBJECT
    Q_PROPERTY(bool isVisible READ isVisible WRITE setVisible)

public:
    kuChartObjectVolume(kuChartCore* core, const QJsonObject& json);

    void recalculate() override;
    void repaint() override;
    // Only the settings button: the pane is switched off through isVisible.
    void createHeaderButtons() override;
    QPair<double, double> valueRange() override;
    // A blank and each series' text: " Объем: 1 234 567", " " outside the data.
    QString valueText(int index) override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;
    int indicatorKind() const override { return -10; }

public slots:
    // Opens the volume page of the chart settings.
    void slot_onSettings(bool checked = false);

private:
    void createSeries();
};
