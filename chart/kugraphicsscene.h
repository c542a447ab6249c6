#pragma once

#include <QGraphicsScene>
#include <QPointF>
#include <QPointer>

class QAction;
class QCursor;
class QMenu;
class kuChart;
class kuChartCore;
class kuChartObject;

// The chart's scene; it belongs to its chart core. It turns the mouse, wheel
// and keys into scrolling, zoom and the chart's commands, and hands the mouse
// to the chart object being placed or dragged.
class kuGraphicsScene : public QGraphicsScene
{
    Q_OBJECT

public:
    explicit kuGraphicsScene(kuChartCore* core);
    ~kuGraphicsScene() override;

    kuChartCore* chartCore() const { return m_core; }

    // The object takes the mouse until it lets go (or Esc drops it); null is ignored.
    void setActiveObject(kuChartObject* object);
    void releaseActiveObject(kuChartObject* object);
    // The object that has the mouse; null when none has or it is gone.
    kuChartObject* grabbedObject();
    // The object last made active, while it lives (it keeps it after letting go).
    kuChartObject* activeObject() const;
    bool isGrabbed() const;
    bool isPanning() const { return m_panning; }
    QPointF lastPanPos() const { return m_lastPanPos; }

    // Chart objects that change the cursor while dragged push it here: the next
    // release (or Esc) pops it with the scene's own, and never a cursor of others.
    void pushCursor(const QCursor& cursor);

    // The chart window that shows the scene, or null.
    kuChart* chartWindow() const;
    // The pointer's scene x over the view that has it now; `last` when no shown view has it.
    int pointerX(int last) const;
    void fillTimeFrameMenu(QMenu* menu);
    QAction* toolBarAction() const { return m_toolBarAction; }
    // The chart's context menu with its connections made; the caller runs and deletes it.
    QMenu* buildContextMenu();

signals:
    void on_reloadPaperID(int paperID);

protected:
    void contextMenuEvent(QGraphicsSceneContextMenuEvent* event) override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void wheelEvent(QGraphicsSceneWheelEvent* event) override;

private:
    void createToolBarAction();
    void forward(QEvent* event);
    void restoreCursor();

    kuChartCore* m_core;
    // Chart objects die with reloads, the settings dialog and the window: a guarded pointer.
    QPointer<kuChartObject> m_activeObject;
    QAction* m_toolBarAction = nullptr;
    bool m_panning = false;
    bool m_objectGrabbed = false;
    QPointF m_lastPanPos;
    // Override cursors pushed by the scene and not yet popped; others' cursors are not ours to pop.
    int m_cursorsPushed = 0;
};
