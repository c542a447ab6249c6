#include "kuchartobjectdrag.h"

#include "kuchartobject.h"
#include "kugraphicsscene.h"

#include <QCursor>
#include <QGuiApplication>
#include <QJsonObject>
#include <QStyleHints>

void kuChartDrag::start(kuChartObject* owner, const QPointF& press, const QPointF& anchor)
{
    m_active = true;
    m_press = press;
    m_anchor = anchor;
    m_before = owner->params();
    m_started.start();
}

void kuChartDrag::forget()
{
    m_before = QJsonArray();
}

kuChartAnchorMove kuChartDrag::move(const QPointF& pointer) const
{
    kuChartAnchorMove move;
    move.at = m_anchor + (pointer - m_press);
    move.x = pointer.x() != m_press.x();
    move.y = pointer.y() != m_press.y();
    return move;
}

void kuChartDrag::rewind(kuChartObject* owner, const kuChartAnchorMove& move) const
{
    if (!m_active || m_before.isEmpty() || (move.x && move.y))
        return;
    owner->fromJson(QJsonObject{{QStringLiteral("params"), m_before}});
}

void kuChartDrag::undoClick(kuChartObject* owner)
{
    m_active = false;
    // Only the drag of this double click's first click: one begun a
    // double-click interval ago or less.
    if (m_before.isEmpty() || !m_started.isValid() ||
        m_started.elapsed() > QGuiApplication::styleHints()->mouseDoubleClickInterval())
        return;
    owner->fromJson(QJsonObject{{QStringLiteral("params"), m_before}});
    m_before = QJsonArray();
    owner->repaint();
}

void kuHeldCursor::push(Qt::CursorShape shape)
{
    if (m_held)
        return;
    QGuiApplication::setOverrideCursor(QCursor(shape));
    m_held = true;
}

void kuHeldCursor::release()
{
    if (!m_held)
        return;
    m_held = false;
    QGuiApplication::restoreOverrideCursor();
}

void grabSceneMouse(kuChartObject* owner)
{
    if (kuGraphicsScene* s = owner->scene())
        s->setActiveObject(owner);
}

void releaseSceneMouse(kuChartObject* owner, kuHeldCursor& cursor)
{
    if (kuGraphicsScene* s = owner->scene())
        s->releaseActiveObject(owner);
    cursor.release();
}
