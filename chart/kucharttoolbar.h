#pragma once

#include "kuchartobjecttype.h"

#include <QPointer>
#include <QString>
#include <QToolBar>
#include <QVector>

#include <functional>

class QToolButton;

// The chart window's buttons. It only turns clicks into codes (chart style,
// time frame in minutes, object type) and never calls the chart; the chart
// tells it back what it shows through setChartType and setChartTimeFrame.
class kuChartToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit kuChartToolBar(QWidget* parent = nullptr);
    ~kuChartToolBar() override;

    QToolButton* chartTypeButton() const { return m_chartTypeButton; }
    // Folds the buttons that did not fit back away, when they are shown beside the toolbar.
    void collapseExtension();
    QToolButton* timeFrameButton() const { return m_timeFrameButton; }

signals:
    void signal_onChangeChartStyle(int type);
    void signal_onDrawFibo(kuChartObjectType type);
    void signal_onDrawLines(kuChartObjectType type);
    void signal_onChangeTimeFrame(int type);
    void signal_onClickPropertie(int numPage, QString objectName);
    void signal_onClickIndicators();
    void signal_onClickPrint();
    void signal_createTextObject(kuChartObjectType type);
    void signal_onShowHideDrawing(bool showHide);
    void signal_onDeleteAllObjects();

public slots:
    // Show what the chart shows; neither emits, so the chart and the toolbar cannot loop.
    void setChartType(int type);
    void setChartTimeFrame(int type);

protected:
    // The unfolded buttons hang over the chart: when the chart moves (docked, undocked,
    // dragged), they would stay behind over whatever comes there, so they fold away.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    struct Entry
    {
        const char* text;
        const char* toolTip; // null: the text
        const char* icon;
        int data; // 0: none
        std::function<void()> emitter;
    };

    QToolButton* createToolButton(const QString& name, const QString& icon, const QString& toolTip);
    void fillMenu(QToolButton* button, const QVector<Entry>& entries);
    static void selectMenuAction(QToolButton* button, int value);

    void watchWindow();

    QPointer<QWidget> m_watchedWindow;
    QToolButton* m_chartTypeButton = nullptr;
    QToolButton* m_timeFrameButton = nullptr;
};
