// Draws the icons and logos of the default theme as PNG files.
// The build does not run it; the PNGs are committed. To redraw them:
//   g++ -std=c++17 -fPIC drawicons.cpp $(pkg-config --cflags --libs Qt5Gui) -o /tmp/drawicons
//   QT_QPA_PLATFORM=offscreen /tmp/drawicons ..
// Every icon is drawn on a 24 x 24 grid and scaled to its output size.

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <cstdio>
#include <functional>

namespace {

const QColor ink(0x3d, 0x45, 0x52);  // outlines and text
const QColor blue(0x2f, 0x6f, 0xb3); // main accent
const QColor paleBlue(0xdc, 0xe8, 0xf5);
const QColor green(0x2e, 0x9b, 0x5a);
const QColor red(0xc9, 0x43, 0x3a);
const QColor amber(0xe3, 0xa0, 0x2b);
const QColor grey(0x9a, 0xa3, 0xaf);
const QColor paper(0xfb, 0xfc, 0xfe);

QPen pen(const QColor& c, qreal w = 1.5)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void handle(QPainter& p, QPointF at, const QColor& c = blue)
{
    p.setPen(pen(ink, 1));
    p.setBrush(c);
    p.drawEllipse(at, 2.2, 2.2);
}

// A tab of a tab bar, the base of the three tab icons.
void tab(QPainter& p)
{
    QPainterPath t;
    t.moveTo(2.5, 18.5);
    t.lineTo(4.5, 7.5);
    t.quadTo(4.8, 5.5, 6.8, 5.5);
    t.lineTo(14.2, 5.5);
    t.quadTo(16.2, 5.5, 16.5, 7.5);
    t.lineTo(18.5, 18.5);
    p.setPen(pen(ink, 1));
    p.setBrush(paleBlue);
    p.drawPath(t);
    p.setPen(pen(ink, 1.4));
    p.drawLine(QPointF(1, 18.5), QPointF(23, 18.5));
}

void badge(QPainter& p, const QColor& c, QPointF centre, qreal r)
{
    p.setPen(pen(Qt::white, 1.2));
    p.setBrush(c);
    p.drawEllipse(centre, r, r);
}

void plusSign(QPainter& p, QPointF c, qreal half, qreal w = 2)
{
    p.setPen(pen(Qt::white, w));
    p.drawLine(QPointF(c.x() - half, c.y()), QPointF(c.x() + half, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - half), QPointF(c.x(), c.y() + half));
}

void minusSign(QPainter& p, QPointF c, qreal half, qreal w = 2)
{
    p.setPen(pen(Qt::white, w));
    p.drawLine(QPointF(c.x() - half, c.y()), QPointF(c.x() + half, c.y()));
}

void cross(QPainter& p, QPointF c, qreal half, const QColor& colour, qreal w = 2)
{
    p.setPen(pen(colour, w));
    p.drawLine(c + QPointF(-half, -half), c + QPointF(half, half));
    p.drawLine(c + QPointF(-half, half), c + QPointF(half, -half));
}

void pencil(QPainter& p, QPointF tip, qreal length, qreal angleDeg)
{
    p.save();
    p.translate(tip);
    p.rotate(angleDeg);
    // Drawn pointing left from the origin, then rotated into place.
    QPainterPath body;
    body.moveTo(0, 0);
    body.lineTo(4, -2);
    body.lineTo(length, -2);
    body.lineTo(length, 2);
    body.lineTo(4, 2);
    body.closeSubpath();
    p.setPen(pen(ink, 1));
    p.setBrush(amber);
    p.drawPath(body);
    p.setBrush(ink);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(1.6, -0.8);
    lead.lineTo(1.6, 0.8);
    lead.closeSubpath();
    p.drawPath(lead);
    p.setBrush(red);
    p.drawRect(QRectF(length - 2.5, -2, 2.5, 4));
    p.restore();
}

void candle(QPainter& p, qreal x, qreal wickTop, qreal top, qreal bottom, qreal wickBottom, bool up)
{
    const QColor c = up ? green : red;
    p.setPen(pen(c.darker(120), 1));
    p.drawLine(QPointF(x, wickTop), QPointF(x, wickBottom));
    p.setBrush(up ? c.lighter(130) : c);
    p.drawRect(QRectF(x - 2, top, 4, bottom - top));
}

void frame(QPainter& p, const QRectF& r)
{
    p.setPen(pen(ink, 1));
    p.setBrush(paper);
    p.drawRoundedRect(r, 1.5, 1.5);
}

// A time-frame label such as "15m" in a rounded box.
void timeFrame(QPainter& p, const QString& text)
{
    p.setPen(pen(blue, 1));
    p.setBrush(paleBlue);
    p.drawRoundedRect(QRectF(1.5, 4.5, 21, 15), 3, 3);
    QFont f(QStringLiteral("DejaVu Sans Condensed"));
    f.setBold(true);
    f.setPixelSize(text.size() > 2 ? 10 : 11);
    f.setStretch(text.size() > 2 ? QFont::SemiCondensed : QFont::Unstretched);
    p.setFont(f);
    p.setPen(ink);
    p.drawText(QRectF(1.5, 4.5, 21, 15), Qt::AlignCenter, text);
}

void pane(QPainter& p)
{
    frame(p, QRectF(2.5, 3.5, 19, 17));
    p.setPen(pen(grey, 1));
    p.drawLine(QPointF(2.5, 12.5), QPointF(21.5, 12.5));
    p.setPen(pen(blue, 1.5));
    QPainterPath wave;
    wave.moveTo(4.5, 17.5);
    wave.cubicTo(8, 13.5, 11, 20.5, 14, 16.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

void logo(QPainter& p)
{
    QLinearGradient g(0, 0, 0, 24);
    g.setColorAt(0, blue.lighter(125));
    g.setColorAt(1, blue.darker(115));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(1, 1, 22, 22), 5, 5);
    // A "V" whose right stroke rises like a price line.
    QPainterPath v;
    v.moveTo(5, 6.5);
    v.lineTo(10.5, 18);
    v.lineTo(14.5, 10.5);
    v.lineTo(16.5, 13);
    v.lineTo(19.5, 5.5);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(v);
    p.setPen(Qt::NoPen);
    p.setBrush(amber);
    p.drawEllipse(QPointF(19.5, 5.5), 1.8, 1.8);
}

struct Icon
{
    QString file;
    std::function<void(QPainter&)> draw;
};

QList<Icon> icons()
{
    QList<Icon> list;
    list << Icon{QStringLiteral("icons/add_new_tab.png"), [](QPainter& p) {
                     tab(p);
                     badge(p, green, QPointF(17, 17), 5.5);
                     plusSign(p, QPointF(17, 17), 2.8);
                 }};
    list << Icon{QStringLiteral("icons/delete_tab.png"), [](QPainter& p) {
                     tab(p);
                     badge(p, red, QPointF(17, 17), 5.5);
                     minusSign(p, QPointF(17, 17), 2.8);
                 }};
    list << Icon{QStringLiteral("icons/edit_tab.png"), [](QPainter& p) {
                     tab(p);
                     pencil(p, QPointF(11, 20.5), 12, -45);
                 }};
    list << Icon{QStringLiteral("icons/append.png"), [](QPainter& p) {
                     badge(p, green, QPointF(12, 12), 9.5);
                     plusSign(p, QPointF(12, 12), 5, 2.4);
                 }};
    list << Icon{QStringLiteral("icons/remove.png"), [](QPainter& p) {
                     badge(p, red, QPointF(12, 12), 9.5);
                     minusSign(p, QPointF(12, 12), 5, 2.4);
                 }};
    list << Icon{QStringLiteral("icons/check.png"), [](QPainter& p) {
                     p.setPen(pen(green, 3));
                     p.setBrush(Qt::NoBrush);
                     QPainterPath tick;
                     tick.moveTo(4.5, 12.5);
                     tick.lineTo(9.5, 17.5);
                     tick.lineTo(19.5, 6.5);
                     p.drawPath(tick);
                 }};
    list << Icon{QStringLiteral("icons/close.png"), [](QPainter& p) { cross(p, QPointF(12, 12), 5, ink, 2); }};
    list << Icon{QStringLiteral("icons/info.png"), [](QPainter& p) {
                     badge(p, blue, QPointF(12, 12), 10);
                     p.setPen(Qt::NoPen);
                     p.setBrush(Qt::white);
                     p.drawEllipse(QPointF(12, 7), 1.6, 1.6);
                     p.drawRoundedRect(QRectF(10.6, 10, 2.8, 8.5), 1, 1);
                 }};
    list << Icon{QStringLiteral("icons/error.png"), [](QPainter& p) {
                     badge(p, red, QPointF(12, 12), 10);
                     p.setPen(Qt::NoPen);
                     p.setBrush(Qt::white);
                     p.drawRoundedRect(QRectF(10.6, 5.5, 2.8, 8.5), 1, 1);
                     p.drawEllipse(QPointF(12, 17.2), 1.6, 1.6);
                 }};
    list << Icon{QStringLiteral("icons/online.png"), [](QPainter& p) {
                     p.setPen(pen(green.darker(130), 1));
                     QRadialGradient g(QPointF(10, 9), 9);
                     g.setColorAt(0, green.lighter(160));
                     g.setColorAt(1, green);
                     p.setBrush(g);
                     p.drawEllipse(QPointF(12, 12), 8, 8);
                 }};
    list << Icon{QStringLiteral("icons/offline.png"), [](QPainter& p) {
                     p.setPen(pen(red.darker(130), 1));
                     QRadialGradient g(QPointF(10, 9), 9);
                     g.setColorAt(0, red.lighter(160));
                     g.setColorAt(1, red);
                     p.setBrush(g);
                     p.drawEllipse(QPointF(12, 12), 8, 8);
                     cross(p, QPointF(12, 12), 3.2, Qt::white, 2);
                 }};
    list << Icon{QStringLiteral("icons/quotes.up.arrow.png"), [](QPainter& p) {
                     QPainterPath t;
                     t.moveTo(12, 5);
                     t.lineTo(20, 17);
                     t.lineTo(4, 17);
                     t.closeSubpath();
                     p.setPen(pen(green.darker(120), 1));
                     p.setBrush(green);
                     p.drawPath(t);
                 }};
    list << Icon{QStringLiteral("icons/quotes.down.arrow.png"), [](QPainter& p) {
                     QPainterPath t;
                     t.moveTo(12, 19);
                     t.lineTo(20, 7);
                     t.lineTo(4, 7);
                     t.closeSubpath();
                     p.setPen(pen(red.darker(120), 1));
                     p.setBrush(red);
                     p.drawPath(t);
                 }};
    list << Icon{QStringLiteral("icons/ku_exit.png"), [](QPainter& p) {
                     p.setPen(pen(ink, 1.5));
                     p.setBrush(paleBlue);
                     p.drawRect(QRectF(3.5, 3.5, 10, 17));
                     p.setBrush(ink);
                     p.setPen(Qt::NoPen);
                     p.drawEllipse(QPointF(11, 12), 1, 1);
                     p.setPen(pen(red, 2.2));
                     p.drawLine(QPointF(11.5, 12), QPointF(20.5, 12));
                     p.drawLine(QPointF(17.5, 8.5), QPointF(21, 12));
                     p.drawLine(QPointF(17.5, 15.5), QPointF(21, 12));
                 }};
    list << Icon{QStringLiteral("icons/plug.png"), [](QPainter& p) {
                     p.setPen(pen(ink, 1.8));
                     p.drawLine(QPointF(9, 2.5), QPointF(9, 7.5));
                     p.drawLine(QPointF(15, 2.5), QPointF(15, 7.5));
                     QPainterPath body;
                     body.moveTo(5.5, 7.5);
                     body.lineTo(18.5, 7.5);
                     body.lineTo(18.5, 12);
                     body.quadTo(18.5, 17, 12, 17);
                     body.quadTo(5.5, 17, 5.5, 12);
                     body.closeSubpath();
                     p.setPen(pen(ink, 1));
                     p.setBrush(blue);
                     p.drawPath(body);
                     p.setPen(pen(ink, 2));
                     p.drawLine(QPointF(12, 17), QPointF(12, 21.5));
                 }};
    list << Icon{QStringLiteral("icons/orderbook.png"), [](QPainter& p) {
                     p.setPen(Qt::NoPen);
                     const qreal sell[] = {7, 10, 13};
                     const qreal buy[] = {14, 11, 8};
                     for (int i = 0; i < 3; ++i) {
                         p.setBrush(red);
                         p.drawRect(QRectF(21 - sell[i], 2.5 + i * 3.2, sell[i], 2.4));
                         p.setBrush(green);
                         p.drawRect(QRectF(21 - buy[i], 13 + i * 3.2, buy[i], 2.4));
                     }
                     p.setPen(pen(ink, 1));
                     p.drawLine(QPointF(3, 12), QPointF(21, 12));
                 }};
    list << Icon{QStringLiteral("icons/all.trades.png"), [](QPainter& p) {
                     frame(p, QRectF(2.5, 2.5, 19, 19));
                     for (int i = 0; i < 4; ++i) {
                         const qreal y = 6.5 + i * 4;
                         p.setPen(Qt::NoPen);
                         p.setBrush(i % 3 == 1 ? red : green);
                         p.drawEllipse(QPointF(6.5, y), 1.6, 1.6);
                         p.setPen(pen(grey, 1.4));
                         p.drawLine(QPointF(10, y), QPointF(i % 2 ? 15.5 : 18.5, y));
                     }
                 }};
    list << Icon{QStringLiteral("icons/chart.png"), [](QPainter& p) {
                     frame(p, QRectF(2.5, 2.5, 19, 19));
                     candle(p, 7, 6, 9, 16, 18.5, false);
                     candle(p, 12, 9, 11, 17, 19, true);
                     candle(p, 17, 4.5, 6, 13, 15, true);
                 }};
    list << Icon{QStringLiteral("icons/chart.type.candles.png"), [](QPainter& p) {
                     candle(p, 6, 5, 8, 15, 19, false);
                     candle(p, 12, 8, 10, 17, 20, true);
                     candle(p, 18, 3, 5, 12, 14, true);
                 }};
    list << Icon{QStringLiteral("icons/chart.type.bars.png"), [](QPainter& p) {
                     auto bar = [&](qreal x, qreal hi, qreal open, qreal close, qreal lo, const QColor& c) {
                         p.setPen(pen(c, 1.8));
                         p.drawLine(QPointF(x, hi), QPointF(x, lo));
                         p.drawLine(QPointF(x - 3, open), QPointF(x, open));
                         p.drawLine(QPointF(x, close), QPointF(x + 3, close));
                     };
                     bar(6, 5, 8, 15, 19, red);
                     bar(12, 8, 16, 10, 20, green);
                     bar(18, 3, 12, 5, 14, green);
                 }};
    list << Icon{QStringLiteral("icons/chart.type.line.png"), [](QPainter& p) {
                     p.setPen(pen(blue, 2));
                     p.setBrush(Qt::NoBrush);
                     QPainterPath l;
                     l.moveTo(3, 18);
                     l.lineTo(8, 12);
                     l.lineTo(12, 15);
                     l.lineTo(16, 7);
                     l.lineTo(21, 9);
                     p.drawPath(l);
                     p.setPen(pen(ink, 1));
                     p.drawLine(QPointF(2.5, 21.5), QPointF(21.5, 21.5));
                 }};
    list << Icon{QStringLiteral("icons/chart.ta.png"), [](QPainter& p) {
                     candle(p, 6, 8, 10, 16, 18, false);
                     candle(p, 12, 6, 8, 14, 16, true);
                     candle(p, 18, 3, 5, 11, 13, true);
                     p.setPen(pen(amber, 2));
                     p.setBrush(Qt::NoBrush);
                     QPainterPath avg;
                     avg.moveTo(2.5, 19);
                     avg.cubicTo(9, 17, 14, 15, 21.5, 7);
                     p.drawPath(avg);
                 }};
    list << Icon{QStringLiteral("icons/chart.draw.trendline.png"), [](QPainter& p) {
                     p.setPen(pen(blue, 2));
                     p.drawLine(QPointF(5, 19), QPointF(19, 5));
                     handle(p, QPointF(5, 19));
                     handle(p, QPointF(19, 5));
                 }};
    list << Icon{QStringLiteral("icons/chart.draw.hline.png"), [](QPainter& p) {
                     p.setPen(pen(grey, 1));
                     p.drawLine(QPointF(2.5, 6.5), QPointF(21.5, 6.5));
                     p.drawLine(QPointF(2.5, 17.5), QPointF(21.5, 17.5));
                     p.setPen(pen(blue, 2));
                     p.drawLine(QPointF(2, 12), QPointF(22, 12));
                     handle(p, QPointF(12, 12));
                 }};
    list << Icon{QStringLiteral("icons/chart.draw.vline.png"), [](QPainter& p) {
                     p.setPen(pen(grey, 1));
                     p.drawLine(QPointF(6.5, 2.5), QPointF(6.5, 21.5));
                     p.drawLine(QPointF(17.5, 2.5), QPointF(17.5, 21.5));
                     p.setPen(pen(blue, 2));
                     p.drawLine(QPointF(12, 2), QPointF(12, 22));
                     handle(p, QPointF(12, 12));
                 }};
    list << Icon{QStringLiteral("icons/chart.draw.label.png"), [](QPainter& p) {
                     QPainterPath tag;
                     tag.moveTo(3.5, 5.5);
                     tag.lineTo(20.5, 5.5);
                     tag.lineTo(20.5, 16.5);
                     tag.lineTo(10, 16.5);
                     tag.lineTo(6, 20.5);
                     tag.lineTo(6, 16.5);
                     tag.lineTo(3.5, 16.5);
                     tag.closeSubpath();
                     p.setPen(pen(ink, 1));
                     p.setBrush(paleBlue);
                     p.drawPath(tag);
                     QFont f(QStringLiteral("DejaVu Serif"));
                     f.setBold(true);
                     f.setPixelSize(11);
                     p.setFont(f);
                     p.setPen(ink);
                     p.drawText(QRectF(3.5, 5.5, 17, 11), Qt::AlignCenter, QStringLiteral("T"));
                 }};
    list << Icon{QStringLiteral("icons/chart.fibo.png"), [](QPainter& p) {
                     const qreal levels[] = {3.5, 8.5, 11.5, 14.5, 20.5};
                     for (qreal y : levels) {
                         p.setPen(pen(y == 11.5 ? amber : blue, 1));
                         p.drawLine(QPointF(3, y), QPointF(21, y));
                     }
                     p.setPen(QPen(ink, 1, Qt::DashLine));
                     p.drawLine(QPointF(4, 20.5), QPointF(20, 3.5));
                 }};
    list << Icon{QStringLiteral("icons/chart.fibo.chanel.png"), [](QPainter& p) {
                     p.setPen(pen(blue, 1.6));
                     p.drawLine(QPointF(2, 15), QPointF(15, 2));
                     p.setPen(pen(amber, 1.3));
                     p.drawLine(QPointF(5, 18), QPointF(18, 5));
                     p.setPen(pen(blue, 1.6));
                     p.drawLine(QPointF(9, 22), QPointF(22, 9));
                 }};
    list << Icon{QStringLiteral("icons/chart.fibo.circle.png"), [](QPainter& p) {
                     p.setBrush(Qt::NoBrush);
                     const qreal radii[] = {4, 7.5, 11};
                     for (qreal r : radii) {
                         p.setPen(pen(r == 7.5 ? amber : blue, 1.4));
                         p.drawEllipse(QPointF(12, 12), r, r);
                     }
                     handle(p, QPointF(12, 12));
                 }};
    list << Icon{QStringLiteral("icons/chart.show.drawing.png"), [](QPainter& p) {
                     p.setPen(pen(blue, 2));
                     p.drawLine(QPointF(3, 21), QPointF(11, 13));
                     pencil(p, QPointF(11.5, 12.5), 13, -45);
                 }};
    list << Icon{QStringLiteral("icons/chart.hide.drawing.png"), [](QPainter& p) {
                     p.setOpacity(0.55);
                     p.setPen(pen(blue, 2));
                     p.drawLine(QPointF(3, 21), QPointF(11, 13));
                     pencil(p, QPointF(11.5, 12.5), 13, -45);
                     p.setOpacity(1);
                     p.setPen(pen(red, 2.2));
                     p.drawLine(QPointF(4, 4), QPointF(20, 20));
                 }};
    list << Icon{QStringLiteral("icons/chart.trash.png"), [](QPainter& p) {
                     p.setPen(pen(ink, 1.5));
                     p.drawLine(QPointF(4, 6), QPointF(20, 6));
                     p.drawLine(QPointF(9.5, 6), QPointF(10, 3.5));
                     p.drawLine(QPointF(10, 3.5), QPointF(14, 3.5));
                     p.drawLine(QPointF(14, 3.5), QPointF(14.5, 6));
                     QPainterPath bin;
                     bin.moveTo(6, 7.5);
                     bin.lineTo(18, 7.5);
                     bin.lineTo(16.8, 21);
                     bin.lineTo(7.2, 21);
                     bin.closeSubpath();
                     p.setPen(pen(ink, 1));
                     p.setBrush(paleBlue);
                     p.drawPath(bin);
                     p.setPen(pen(grey, 1.3));
                     p.drawLine(QPointF(10, 10.5), QPointF(10.3, 18.5));
                     p.drawLine(QPointF(14, 10.5), QPointF(13.7, 18.5));
                 }};
    list << Icon{QStringLiteral("icons/chart.print.png"), [](QPainter& p) {
                     p.setPen(pen(ink, 1));
                     p.setBrush(paper);
                     p.drawRect(QRectF(6.5, 2.5, 11, 7));
                     p.setBrush(grey.lighter(120));
                     p.drawRoundedRect(QRectF(2.5, 8.5, 19, 9), 2, 2);
                     p.setBrush(paper);
                     p.drawRect(QRectF(6.5, 14.5, 11, 7));
                     p.setPen(pen(grey, 1));
                     p.drawLine(QPointF(8.5, 17.5), QPointF(15.5, 17.5));
                     p.drawLine(QPointF(8.5, 19.5), QPointF(13.5, 19.5));
                     p.setPen(Qt::NoPen);
                     p.setBrush(green);
                     p.drawEllipse(QPointF(18.5, 11.5), 1, 1);
                 }};
    list << Icon{QStringLiteral("icons/chart.properties.png"), [](QPainter& p) {
                     const qreal knobs[] = {8, 15, 11};
                     for (int i = 0; i < 3; ++i) {
                         const qreal y = 5.5 + i * 6.5;
                         p.setPen(pen(grey, 1.6));
                         p.drawLine(QPointF(3, y), QPointF(21, y));
                         p.setPen(pen(ink, 1));
                         p.setBrush(i == 1 ? amber : blue);
                         p.drawRoundedRect(QRectF(knobs[i] - 2, y - 3, 4, 6), 1, 1);
                     }
                 }};
    list << Icon{QStringLiteral("icons/chart.zoom.in.png"), [](QPainter& p) {
                     p.setPen(pen(ink, 3));
                     p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
                     p.setPen(pen(ink, 1.6));
                     p.setBrush(paper);
                     p.drawEllipse(QPointF(10, 10), 7, 7);
                     p.setPen(pen(blue, 2));
                     p.drawLine(QPointF(6.5, 10), QPointF(13.5, 10));
                     p.drawLine(QPointF(10, 6.5), QPointF(10, 13.5));
                 }};
    list << Icon{QStringLiteral("icons/chart.subchart.close.png"), [](QPainter& p) {
                     pane(p);
                     badge(p, red, QPointF(17.5, 7.5), 5);
                     cross(p, QPointF(17.5, 7.5), 2.2, Qt::white, 1.8);
                 }};
    list << Icon{QStringLiteral("icons/chart.subchart.edit.png"), [](QPainter& p) {
                     pane(p);
                     pencil(p, QPointF(12, 11), 11, -45);
                 }};
    const char* frames[] = {"1m", "5m", "10m", "15m", "30m", "1h", "1d"};
    for (const char* tf : frames) {
        const QString text = QString::fromLatin1(tf);
        list << Icon{QStringLiteral("icons/chart.tick.%1.png").arg(text), [text](QPainter& p) { timeFrame(p, text); }};
    }
    return list;
}

bool render(const QString& path, int size, const std::function<void(QPainter&)>& draw)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(size / 24.0, size / 24.0);
    draw(p);
    p.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QDir theme(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".."));
    theme.mkpath(QStringLiteral("icons"));
    theme.mkpath(QStringLiteral("logo"));
    bool ok = true;
    for (const Icon& icon : icons())
        ok = render(theme.filePath(icon.file), 24, icon.draw) && ok;
    ok = render(theme.filePath(QStringLiteral("logo/ku_logo.png")), 128, logo) && ok;
    ok = render(theme.filePath(QStringLiteral("logo/ku_logo_small.png")), 32, logo) && ok;
    if (!ok)
        std::fprintf(stderr, "some images could not be written\n");
    return ok ? 0 : 1;
}
