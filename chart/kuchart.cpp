#include "kuchart.h"

#include "kuclient.h"
#include "kupaperlist.h"

#include <QLabel>

kuChart::kuChart(QWidget* parent) : kuWindowBase(parent)
{
    m_label = new QLabel(this);
    m_label->setAlignment(Qt::AlignCenter);
    setCentralWidget(m_label);
}

void kuChart::registerWithClient()
{
    kuClient::setWindowMaker(wtChart, [](QWidget* parent, int paperID) -> kuWindowBase* {
        auto* chart = new kuChart(parent);
        chart->setPaper(paperID);
        return chart;
    });
}

void kuChart::setPaper(int paperID)
{
    setPaperID(paperID);
    const QString issuer = kuPaperList::instance()->issuer(paperID);
    setWindowTitle(tr("График %1").arg(issuer));
    m_label->setText(windowTitle());
    subscribe();
}

void kuChart::subscribe()
{
    // No candles to wait for.
    hideLightBox();
}

QJsonObject kuChart::saveSettings()
{
    QJsonObject settings = kuWindowBase::saveSettings();
    if (!m_chartState.isEmpty())
        settings.insert(QStringLiteral("settings"), m_chartState);
    return settings;
}

void kuChart::restoreSettings(QJsonObject settings)
{
    const QJsonArray state = settings.value(QStringLiteral("settings")).toArray();
    if (!state.isEmpty())
        m_chartState = state;
}
