#include "kuinstrumentlistwindow.h"

#include "kuabstractpaperlist.h"
#include "kupaperinfomimedata.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListWidget>
#include <QMimeData>
#include <QVBoxLayout>

kuInstrumentListWindow::kuInstrumentListWindow(kuAbstractPaperList* paperList, kuAbstractAccount* account,
                                               kuAbstractConnectionManager* connectionManager, QWidget* parent)
    : kuAbstractPluginWidget(paperList, account, connectionManager, parent), m_list(new QListWidget(this))
{
    setObjectName(QStringLiteral("kuInstrumentListWindow"));
    // A window of its own over the main window, not a child drawn inside it.
    setWindowFlag(Qt::Window, true);
    setWindowTitle(tr("Список инструментов"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(3, 3, 3, 3);
    layout->addWidget(m_list);
    resize(360, 300);
}

QJsonObject kuInstrumentListWindow::menuEntries()
{
    return QJsonObject{
            {QStringLiteral("mPlugins/mInstrumentList"),
             QJsonObject{{QStringLiteral("callback"), QStringLiteral("showWindow()")},
                         {QStringLiteral("description"), tr("Список инструментов")},
                         {QStringLiteral("icon"), QStringLiteral(":/ku_instrumentlist/ku_instrumentlist.png")}}}};
}

void kuInstrumentListWindow::showWindow()
{
    show();
    raise();
    activateWindow();
}

void kuInstrumentListWindow::addInstrument(int paperID)
{
    kuAbstractPaperList* papers = paperList();
    const QString ticker = papers ? papers->ticker(paperID) : QString();
    if (ticker.isEmpty())
        return;
    m_list->addItem(QStringLiteral("%1 — %2 (%3)").arg(ticker, papers->issuer(paperID), papers->exchangeName(paperID)));
}

QStringList kuInstrumentListWindow::rows() const
{
    QStringList result;
    for (int i = 0; i < m_list->count(); ++i)
        result << m_list->item(i)->text();
    return result;
}

void kuInstrumentListWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(kuPaperInfoMimeData::mimeType()))
        event->acceptProposedAction();
}

void kuInstrumentListWindow::dropEvent(QDropEvent* event)
{
    // The id travels in the object; data of another process carries only the format.
    const auto* paper = qobject_cast<const kuPaperInfoMimeData*>(event->mimeData());
    if (!paper)
        return;
    addInstrument(paper->paperID());
    event->acceptProposedAction();
}
