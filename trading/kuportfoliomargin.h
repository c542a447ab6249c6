#pragma once

#include <QBrush>
#include <QGraphicsRectItem>
#include <QObject>

class QGraphicsScene;
class QGraphicsTextItem;

// The margin bar: filled to the portfolio's share of the two margins, with
// dashed markers at both margin levels. The markers' places are the panel's.
class kuGraphicsProgressRectItem : public QGraphicsRectItem
{
public:
    explicit kuGraphicsProgressRectItem(QGraphicsItem* parent = nullptr);
    explicit kuGraphicsProgressRectItem(const QRectF& rect, QGraphicsItem* parent = nullptr);
    kuGraphicsProgressRectItem(qreal x, qreal y, qreal width, qreal height, QGraphicsItem* parent = nullptr);

    // Clamped to 0..1.
    void setProgress(double progress);
    double progress() const { return m_progress; }
    void setProgressBrush(const QBrush& brush);
    QBrush progressBrush() const { return m_progressBrush; }
    // Fractions of the bar's length where the markers stand.
    void setMarkers(double ratioInitial, double ratioMinimum);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget = nullptr) override;

private:
    void init();

    double m_progress = 1.0;
    QBrush m_progressBrush;
    double m_ratioInitial = 0.8;
    double m_ratioMinimum = 0.32;
};

// The margin panel of one account-state window: the bar and the amounts of
// the margin portfolio and of the initial and minimum margins.
class kuPortfolioMarginChart : public QObject
{
    Q_OBJECT
public:
    explicit kuPortfolioMarginChart(QObject* parent = nullptr);
    ~kuPortfolioMarginChart() override;

    QGraphicsScene* scene() const { return m_scene; }
    // A negative initial margin or a non-finite value leaves the panel as it is; whether it took them.
    bool setValues(double portfolio, double initialMargin, double minimumMargin);
    // No figures at all: empty texts and no fill, for when no account is selected.
    void clearValues();
    void relayout();

    double ratioInitial() const { return m_ratioInitial; }
    double ratioMinimum() const { return m_ratioMinimum; }
    kuGraphicsProgressRectItem* bar() const { return m_bar; }
    QGraphicsTextItem* portfolioText() const { return m_portfolioText; }
    QGraphicsTextItem* initialText() const { return m_initialText; }
    QGraphicsTextItem* minimumText() const { return m_minimumText; }

private:
    void setupScene();
    // The filled fraction of the bar; moves the markers when the margins are positive.
    double progressRatio();

    QGraphicsScene* m_scene;
    QGraphicsTextItem* m_portfolioText;
    QGraphicsTextItem* m_initialText;
    QGraphicsTextItem* m_minimumText;
    kuGraphicsProgressRectItem* m_bar;
    double m_portfolio = 0;
    double m_initialMargin = 0;
    double m_minimumMargin = 0;
    // Each panel keeps its own, so one window never moves another's markers.
    double m_ratioInitial = 0.8;
    double m_ratioMinimum = 0.32;
};
