#include "kuportfoliomargin.h"

#include "kufunctions.h"

#include <QFont>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

kuGraphicsProgressRectItem::kuGraphicsProgressRectItem(QGraphicsItem* parent) : QGraphicsRectItem(parent)
{
    init();
}

kuGraphicsProgressRectItem::kuGraphicsProgressRectItem(const QRectF& rect, QGraphicsItem* parent)
    : QGraphicsRectItem(rect, parent)
{
    init();
}

kuGraphicsProgressRectItem::kuGraphicsProgressRectItem(qreal x, qreal y, qreal width, qreal height,
                                                       QGraphicsItem* parent)
    : QGraphicsRectItem(x, y, width, height, parent)
{
    init();
}

void kuGraphicsProgressRectItem::init()
{
    m_progress = 1.0;
    // No fill style: nothing is filled until the panel sets a brush.
    m_progressBrush.setColor(Qt::magenta);
}

void kuGraphicsProgressRectItem::setProgress(double progress)
{
    m_progress = qIsNaN(progress) ? 0.0 : qBound(0.0, progress, 1.0);
    update();
}

void kuGraphicsProgressRectItem::setProgressBrush(const QBrush& brush)
{
    m_progressBrush = brush;
    update();
}

void kuGraphicsProgressRectItem::setMarkers(double ratioInitial, double ratioMinimum)
{
    m_ratioInitial = ratioInitial;
    m_ratioMinimum = ratioMinimum;
    update();
}

void kuGraphicsProgressRectItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    QGraphicsRectItem::paint(painter, option, widget);
    // The whole bar, not the exposed part: a partial repaint must not move the marks.
    const QRectF area = rect();
    const double left = area.left();
    const double top = area.top();
    const double bottom = area.bottom();
    const double r = area.right() - 1;

    const int fillEnd = int(r - (1 - m_progress) * r);
    // The end is measured from the scene's edge: one short of the bar's start fills nothing,
    // rather than a block beside the bar.
    if (fillEnd > left) {
        painter->save();
        painter->setBrush(m_progressBrush);
        painter->drawRect(QRectF(QPointF(left, top), QPointF(fillEnd, bottom - 1)));
        painter->restore();
    }

    const double minimumX = r * m_ratioMinimum;
    const double initialX = r * m_ratioInitial;
    painter->save();
    painter->setPen(QPen(QBrush(Qt::darkGray), 1, Qt::DashLine, Qt::SquareCap, Qt::BevelJoin));
    for (double x : {minimumX, initialX})
        painter->drawLine(QLineF(int(x), top, int(x), bottom - 1));

    painter->setPen(QPen(QBrush(Qt::darkGray), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->setBrush(QBrush(Qt::darkGray));
    for (double x : {minimumX, initialX}) {
        QPainterPath up;
        up.moveTo(x, bottom + 1);
        up.lineTo(x - 5, bottom + 6);
        up.lineTo(x + 5, bottom + 6);
        up.closeSubpath();
        painter->drawPath(up);
    }
    QPainterPath down;
    down.moveTo(fillEnd, top - 2);
    down.lineTo(fillEnd - 5, top - 7);
    down.lineTo(fillEnd + 5, top - 7);
    down.closeSubpath();
    painter->drawPath(down);
    painter->restore();
}

kuPortfolioMarginChart::kuPortfolioMarginChart(QObject* parent)
    : QObject(parent), m_scene(new QGraphicsScene(this)), m_portfolioText(new QGraphicsTextItem),
      m_initialText(new QGraphicsTextItem), m_minimumText(new QGraphicsTextItem), m_bar(new kuGraphicsProgressRectItem)
{
    setupScene();
}

kuPortfolioMarginChart::~kuPortfolioMarginChart()
{
    delete m_portfolioText;
    delete m_initialText;
    delete m_minimumText;
    delete m_bar;
    delete m_scene;
}

void kuPortfolioMarginChart::setupScene()
{
    m_bar->setPen(QPen(Qt::darkGray));
    auto style = [](QGraphicsTextItem* item, int pixelSize, const QColor& color, const QString& tip) {
        item->setPlainText(QStringLiteral("0.0"));
        QFont font = item->font();
        font.setWeight(75);
        font.setStyle(QFont::StyleNormal);
        font.setPixelSize(pixelSize);
        item->setFont(font);
        item->setDefaultTextColor(color);
        item->setToolTip(tip);
    };
    style(m_portfolioText, 16, QColor(QStringLiteral("#4d4d4d")), tr("Маржинальный портфель"));
    style(m_minimumText, 14, QColor(Qt::red), tr("Минимальная маржа"));
    style(m_initialText, 14, QColor(QStringLiteral("#b36258")), tr("Начальная маржа"));
    m_scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    m_scene->setBackgroundBrush(QBrush(Qt::white));
    m_scene->addItem(m_bar);
    m_scene->addItem(m_portfolioText);
    m_scene->addItem(m_minimumText);
    m_scene->addItem(m_initialText);
}

bool kuPortfolioMarginChart::setValues(double portfolio, double initialMargin, double minimumMargin)
{
    if (!qIsFinite(portfolio) || !qIsFinite(initialMargin) || !qIsFinite(minimumMargin))
        return false;
    if (initialMargin < 0)
        return false;
    // The figures shown already (a cleared panel has no fill): every poll brings them,
    // and a redraw would change nothing.
    if (portfolio == m_portfolio && initialMargin == m_initialMargin && minimumMargin == m_minimumMargin &&
        m_bar->progressBrush().style() != Qt::NoBrush)
        return true;
    m_portfolio = portfolio;
    m_initialMargin = initialMargin;
    m_minimumMargin = minimumMargin;

    QColor fill(QStringLiteral("#00702C"));
    if (initialMargin >= portfolio && portfolio > minimumMargin)
        fill = QColor(QStringLiteral("#b36258"));
    else if (minimumMargin > portfolio)
        fill = QColor(Qt::red);

    m_bar->setProgress(progressRatio());
    m_bar->setProgressBrush(QBrush(fill, Qt::SolidPattern));
    m_bar->setMarkers(m_ratioInitial, m_ratioMinimum);
    const QChar blank(' ');
    m_portfolioText->setPlainText(formatNumber(portfolio, 2, blank));
    m_initialText->setPlainText(formatNumber(initialMargin, 2, blank));
    m_minimumText->setPlainText(formatNumber(minimumMargin, 2, blank));
    relayout();
    return true;
}

void kuPortfolioMarginChart::clearValues()
{
    m_portfolio = 0;
    m_initialMargin = 0;
    m_minimumMargin = 0;
    m_bar->setProgress(0);
    m_bar->setProgressBrush(QBrush());
    for (QGraphicsTextItem* text : {m_portfolioText, m_initialText, m_minimumText})
        text->setPlainText(QString());
    relayout();
}

double kuPortfolioMarginChart::progressRatio()
{
    const double sum = m_initialMargin + m_minimumMargin;
    if (sum / 2 <= 0)
        return 0;
    m_ratioInitial = m_initialMargin / sum;
    m_ratioMinimum = m_minimumMargin / sum;
    return m_portfolio / sum;
}

void kuPortfolioMarginChart::relayout()
{
    const QRectF area = m_scene->sceneRect();
    const int w = int(area.width());
    const int h = int(area.height());
    QLinearGradient gradient(0, 0, w, 0);
    gradient.setColorAt(0, QColor(150, 150, 150, 125));
    gradient.setColorAt(1, QColor(225, 225, 225, 125));
    m_scene->setBackgroundBrush(gradient);

    const int top = int(h * 0.2);
    const int left = int(w * 0.05);
    const int textRight = int(m_portfolioText->boundingRect().right());
    const int right = int(w - textRight - w * 0.08) + left;
    // A view narrower than the texts gets an empty bar, never a negative one.
    m_bar->setRect(left, top, qMax(0, right - left), 10);
    m_portfolioText->setPos(right + 19, h * 0.1 - 4);
    m_minimumText->setPos(int((right - 1) * m_ratioMinimum), top + 15);
    m_initialText->setPos(int((right - 1) * m_ratioInitial), top + 15);
}
