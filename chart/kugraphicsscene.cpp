#include "kugraphicsscene.h"

#include "kuchart.h"
#include "kuchartcore.h"
#include "kuchartdialogs.h"
#include "kuchartgraphicsitem.h"
#include "kuchartobject.h"
#include "kuclient.h"
#include "kuiconmanager.h"
#include "kuordermanager.h"
#include "kupaperinfomimedata.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCursor>
#include <QGraphicsSceneContextMenuEvent>
#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsSceneWheelEvent>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QMenu>
#include <QTransform>

#include <cmath>
#include <memory>

namespace {

// A drag scrolls only past this many pixels, and then by whole candles.
constexpr double panThreshold = 4.0;

} // namespace

kuGraphicsScene::kuGraphicsScene(kuChartCore* core) : QGraphicsScene(core), m_core(core)
{
    setObjectName(QStringLiteral("graphicsScene"));
    createToolBarAction();
}

kuGraphicsScene::~kuGraphicsScene()
{
    restoreCursor();
    delete m_toolBarAction;
}

void kuGraphicsScene::createToolBarAction()
{
    m_toolBarAction = new QAction(tr("Панель управления"), this);
    m_toolBarAction->setCheckable(true);
    m_toolBarAction->setChecked(true);
}

void kuGraphicsScene::setActiveObject(kuChartObject* object)
{
    if (!object)
        return;
    m_activeObject = object;
    m_objectGrabbed = true;
    m_panning = false;
}

void kuGraphicsScene::releaseActiveObject(kuChartObject* object)
{
    if (object && object == m_activeObject)
        m_objectGrabbed = false;
}

kuChartObject* kuGraphicsScene::grabbedObject()
{
    if (m_objectGrabbed && !m_activeObject)
        m_objectGrabbed = false;
    return m_objectGrabbed ? m_activeObject.data() : nullptr;
}

kuChartObject* kuGraphicsScene::activeObject() const
{
    return m_activeObject.data();
}

bool kuGraphicsScene::isGrabbed() const
{
    return m_objectGrabbed && m_activeObject;
}

kuChart* kuGraphicsScene::chartWindow() const
{
    const QList<QGraphicsView*> list = views();
    if (list.isEmpty())
        return nullptr;
    QWidget* central = list.last()->parentWidget();
    return qobject_cast<kuChart*>(central ? central->parentWidget() : nullptr);
}

int kuGraphicsScene::pointerX(int last) const
{
    // The scene sees no moves while a menu over it is open: when it closes the
    // pointer stands where the entry was chosen.
    const QList<QGraphicsView*> list = views();
    QWidget* viewport = list.isEmpty() ? nullptr : list.last()->viewport();
    if (!viewport || !viewport->isVisible() || !viewport->underMouse())
        return last;
    return int(list.last()->mapToScene(viewport->mapFromGlobal(QCursor::pos())).x());
}

void kuGraphicsScene::forward(QEvent* event)
{
    if (kuChartObject* object = grabbedObject()) {
        if (QGraphicsItem* item = object->graphicsItem())
            sendEvent(item, event);
    }
}

void kuGraphicsScene::pushCursor(const QCursor& cursor)
{
    QApplication::setOverrideCursor(cursor);
    ++m_cursorsPushed;
}

void kuGraphicsScene::restoreCursor()
{
    for (; m_cursorsPushed > 0; --m_cursorsPushed)
        QApplication::restoreOverrideCursor();
}

void kuGraphicsScene::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    const QPointF pos = event->scenePos();
    if (event->button() == Qt::LeftButton) {
        if (grabbedObject()) {
            // The object being placed takes the press alone: were an item under the pointer
            // to become the mouse grabber too, the release would reach the object twice.
            forward(event);
            return;
        }
        if (!m_panning && pos.y() > m_core->marginGap() && pos.x() < m_core->viewWidth()) {
            m_panning = true;
            m_lastPanPos = pos;
            pushCursor(Qt::DragMoveCursor);
        }
    }
    QGraphicsScene::mousePressEvent(event);
}

void kuGraphicsScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    const QPointF pos = event->scenePos();
    m_core->showCursorInfo(int(pos.x()));
    m_core->followPointer(pos);
    if (grabbedObject()) {
        forward(event);
    } else if (m_panning) {
        const double d = m_lastPanPos.x() - pos.x();
        if (std::abs(d) > panThreshold && m_core->candleWidth() > 0) {
            const int n = int(std::abs(d) / m_core->candleWidth());
            if (n >= 1) {
                if (d < 0)
                    m_core->scrollBack(n);
                else
                    m_core->scrollForward(n);
                m_lastPanPos = pos;
            }
        }
    }
    QGraphicsScene::mouseMoveEvent(event);
}

void kuGraphicsScene::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    if (grabbedObject())
        forward(event);
    else if (m_panning)
        m_panning = false;
    restoreCursor();
    QGraphicsScene::mouseReleaseEvent(event);
}

void kuGraphicsScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        QGraphicsItem* item = topItemAt(this, event->scenePos());
        kuChart* chart = chartWindow();
        if (item && chart && item->type() == kuChartGraphicsCandleItem::Type) {
            const double close = static_cast<kuChartGraphicsCandleItem*>(item)->closePrice();
            const QPointer<kuClient> client = kuClient::instance();
            if (kuOrderManager* dialog = client ? client->orderManager() : nullptr) {
                dialog->setInstrument(chart->paperID());
                dialog->setLotAmount(1.0);
                dialog->setPrice(close);
                kuChartDialogs::exec(dialog);
            }
        }
    }
    QGraphicsScene::mouseDoubleClickEvent(event);
}

void kuGraphicsScene::wheelEvent(QGraphicsSceneWheelEvent* event)
{
    if (event->delta() >= 1)
        m_core->zoomIn();
    else
        m_core->zoomOut();
    QGraphicsScene::wheelEvent(event);
}

void kuGraphicsScene::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Plus:
        m_core->zoomIn();
        break;
    case Qt::Key_Minus:
        m_core->zoomOut();
        break;
    case Qt::Key_Escape:
        if (kuChartObject* object = grabbedObject()) {
            m_objectGrabbed = false;
            object->setVisible(false);
            object->setDeleted(true);
            restoreCursor();
        }
        break;
    case Qt::Key_Home:
        m_core->scrollToOldest();
        break;
    case Qt::Key_End:
        m_core->scrollToNewest();
        break;
    case Qt::Key_Left:
        m_core->scrollBack(m_core->scrollStep(kuChartCore::leftKeySteps, 10));
        break;
    case Qt::Key_Right:
        m_core->scrollForward(m_core->scrollStep(kuChartCore::rightKeySteps, 10));
        break;
    case Qt::Key_PageUp:
        m_core->pageBack();
        break;
    case Qt::Key_PageDown:
        m_core->pageForward();
        break;
    default:
        break;
    }
    QGraphicsScene::keyPressEvent(event);
}

void kuGraphicsScene::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    if (event->mimeData() && event->mimeData()->hasFormat(kuPaperInfoMimeData::mimeType()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void kuGraphicsScene::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    dragEnterEvent(event);
}

void kuGraphicsScene::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (!data || !data->hasFormat(kuPaperInfoMimeData::mimeType())) {
        event->ignore();
        return;
    }
    if (const auto* paper = qobject_cast<const kuPaperInfoMimeData*>(data)) {
        emit on_reloadPaperID(paper->paperID());
        event->acceptProposedAction();
    }
}

void kuGraphicsScene::fillTimeFrameMenu(QMenu* menu)
{
    struct Frame
    {
        const char* text;
        const char* icon;
        int minutes;
    };
    static const Frame frames[] = {
            {QT_TR_NOOP("1 минута"), "chart.tick.1m.png", 1},   {QT_TR_NOOP("5 минут"), "chart.tick.5m.png", 5},
            {QT_TR_NOOP("10 минут"), "chart.tick.10m.png", 10}, {QT_TR_NOOP("15 минут"), "chart.tick.15m.png", 15},
            {QT_TR_NOOP("30 минут"), "chart.tick.30m.png", 30}, {QT_TR_NOOP("час"), "chart.tick.1h.png", 60},
            {QT_TR_NOOP("день"), "chart.tick.1d.png", 1440}};
    auto* group = new QActionGroup(menu);
    group->setExclusive(true);
    for (const Frame& frame : frames) {
        QAction* action = menu->addAction(kuIconManager::icon(QString::fromLatin1(frame.icon)), tr(frame.text));
        action->setCheckable(true);
        group->addAction(action);
        const int minutes = frame.minutes;
        connect(action, &QAction::triggered, m_core, [this, minutes] { m_core->setTimeFrame(minutes); });
    }
}

QMenu* kuGraphicsScene::buildContextMenu()
{
    auto* menu = new QMenu;
    fillTimeFrameMenu(menu->addMenu(tr("Таймфрейм")));
    menu->addSeparator();
    menu->addAction(m_toolBarAction);
    disconnect(m_toolBarAction, nullptr, nullptr, nullptr);
    menu->addSeparator();
    QAction* properties = menu->addAction(tr("Свойства графика"));
    QAction* print = menu->addAction(tr("Сохранить график"));
    QAction* indicators = menu->addAction(tr("Тех. анализ"));
    QAction* objects = menu->addAction(tr("Объекты"));
    menu->addSeparator();
    QAction* reload = menu->addAction(tr("Обновить данные"));
    if (kuChart* chart = chartWindow()) {
        connect(m_toolBarAction, &QAction::toggled, chart, &kuChart::setToolBarVisible);
        connect(properties, &QAction::triggered, chart, [chart] { chart->showProperties(1, QString()); });
        connect(print, &QAction::triggered, chart, &kuChart::chartPrint);
        connect(indicators, &QAction::triggered, chart, &kuChart::showIndicators);
        connect(objects, &QAction::triggered, chart, [chart] { chart->showProperties(0, QString()); });
        const int paperID = chart->paperID();
        connect(reload, &QAction::triggered, this, [this, paperID] { emit on_reloadPaperID(paperID); });
    }
    return menu;
}

void kuGraphicsScene::contextMenuEvent(QGraphicsSceneContextMenuEvent* event)
{
    std::unique_ptr<QMenu> menu(buildContextMenu());
    menu->exec(event->screenPos());
}
