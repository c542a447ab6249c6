#pragma once

#include "kuchartanchor.h"

#include <QElapsedTimer>
#include <QJsonArray>

class kuChartObject;

// An application override cursor that a drawing object pushed (or took over
// from its dialog): popped exactly once, by whoever ends the placing or drag.
class kuHeldCursor
{
public:
    ~kuHeldCursor() { release(); }
    // Pushes the shape unless a cursor is already held.
    void push(Qt::CursorShape shape);
    // Takes over a cursor someone else pushed.
    void adopt() { m_held = true; }
    void release();
    bool isHeld() const { return m_held; }

private:
    bool m_held = false;
};

// A drag of a placed object keeps the offset between the pointer and what it
// drags: the anchor ends at its press position plus the pointer's travel since
// the press, whatever the path. A double click begins with a click that is
// such a drag; the double click puts back the anchors it found, so that a
// shaking hand moves nothing either.
class kuChartDrag
{
public:
    void start(kuChartObject* owner, const QPointF& press, const QPointF& anchor);
    void stop() { m_active = false; }
    // A press that starts no drag: a double click after it has nothing to undo.
    void forget();
    bool isActive() const { return m_active; }
    kuChartAnchorMove move(const QPointF& pointer) const;
    // Before a move is applied: when the pointer is back at its press row or
    // column, the owner takes its press values again, so that the axis it is
    // back on keeps them exactly and not what an earlier move gave it.
    void rewind(kuChartObject* owner, const kuChartAnchorMove& move) const;
    // Called on a double click: undoes the drag of its first click.
    void undoClick(kuChartObject* owner);

private:
    bool m_active = false;
    QPointF m_press;
    QPointF m_anchor;
    QJsonArray m_before;
    QElapsedTimer m_started;
};

// The scene's mouse goes to the object while it is placed or dragged; letting go
// also drops the cursor the object held.
void grabSceneMouse(kuChartObject* owner);
void releaseSceneMouse(kuChartObject* owner, kuHeldCursor& cursor);
