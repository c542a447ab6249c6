#pragma once

#include "kuwindowbase.h"

#include <QJsonArray>

class QLabel;

// The chart window as far as it goes today: it takes its instrument and keeps
// the chart state of a saved layout unchanged, so layouts keep their charts.
// It draws no candles and holds no stream.
class kuChart : public kuWindowBase
{
    Q_OBJECT

public:
    explicit kuChart(QWidget* parent = nullptr);

    // Lets the main window make charts.
    static void registerWithClient();

    WinType winType() const override { return wtChart; }
    void setPaper(int paperID);
    void subscribe() override;
    QJsonObject saveSettings() override;
    // Keeps a non-empty saved chart state as it is.
    void restoreSettings(QJsonObject settings) override;

private:
    QLabel* m_label = nullptr;
    QJsonArray m_chartState;
};
