#include "kuchartanchorpairfilter.h"

#include <QGraphicsLineItem>

kuChartAnchorPairEventFilter::kuChartAnchorPairEventFilter(kuChartObject* tool, QGraphicsItem* parent,
                                                           double hoverOpacity, double normalOpacity,
                                                           const States& states, QGraphicsLineItem* line,
                                                           QGraphicsItem* firstMarker, QGraphicsItem* secondMarker)
    : kuChartToolEventFilter(tool, parent, hoverOpacity, normalOpacity, states.awaitingFirst, states.idle),
      m_states(states), m_line(line)
{
    addGrip(firstMarker, states.draggingFirst);
    addGrip(secondMarker, states.draggingSecond);
}

void kuChartAnchorPairEventFilter::released(const kuChartAnchorMove& move)
{
    const bool taken = takesAnchorAt(move.at);
    if (m_dragState == m_states.awaitingFirst) {
        if (!taken)
            return;
        placeFirst(move);
        m_line->setLine(QLineF(move.at, move.at));
        m_dragState = m_states.placingSecond;
    } else if (m_dragState == m_states.placingSecond || m_dragState == m_states.draggingSecond) {
        if (taken) {
            rewind(move);
            takeAnchor(false, move);
        }
        if (hasSecondAnchor())
            settle();
    } else if (m_dragState == m_states.draggingFirst) {
        if (taken) {
            rewind(move);
            takeAnchor(true, move);
        }
        settle();
    }
}
