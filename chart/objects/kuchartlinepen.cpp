#include "kuchartlinepen.h"

#include "kuchartcore.h"

#include <QCoreApplication>
#include <QJsonObject>

namespace {

QString tr(const char* text)
{
    return QCoreApplication::translate("kuChartObject", text);
}

// The pen styles offered for a line: label -> Qt::PenStyle.
QJsonObject penStyleChoices()
{
    return QJsonObject{{tr("Сплошная линия"), int(Qt::SolidLine)},
                       {tr("Пунктирная линия"), int(Qt::DashLine)},
                       {tr("Пунктирная линия (вар. 2)"), int(Qt::DotLine)},
                       {tr("Пунктирная линия (вар. 3)"), int(Qt::DashDotLine)},
                       {tr("Пунктирная линия (вар. 4)"), int(Qt::DashDotDotLine)}};
}

} // namespace

void kuChartLinePen::setLineColor(const QColor& color)
{
    if (color != linePen.color())
        linePen.setColor(color);
}

void kuChartLinePen::setLineWidth(int width)
{
    linePen.setWidth(unsigned(width) < 6u ? width : 1);
}

void kuChartLinePen::setPenStyle(int style)
{
    if (unsigned(style) < 6u)
        linePen.setStyle(Qt::PenStyle(style));
}

void kuChartLinePen::resetPen(const kuChartCore* core)
{
    linePen = QPen(core ? core->contrastColor() : QColor(Qt::black), 1, Qt::SolidLine);
}

std::optional<kuChartPropertyInfo> kuChartLinePen::penPropertyInfo(const QString& name, bool severalLines)
{
    if (name == QLatin1String("lineColor"))
        return kuChartPropertyInfo{severalLines ? tr("Цвет линий") : tr("Цвет линии"), false, QVariant(QJsonObject())};
    if (name == QLatin1String("lineWidth"))
        return kuChartPropertyInfo{severalLines ? tr("Толщина линий") : tr("Толщина линии"), false,
                                   QVariant(QJsonObject())};
    if (name == QLatin1String("penStyle"))
        return kuChartPropertyInfo{severalLines ? tr("Стиль линий") : tr("Стиль линии"), false,
                                   QVariant(penStyleChoices())};
    return std::nullopt;
}
