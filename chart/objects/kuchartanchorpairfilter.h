#pragma once

#include "kuchartobjectfilters.h"

class QGraphicsLineItem;

// Mouse handling of a tool with two anchors on one line (retracement, arcs,
// trend line): a first click places the first anchor, the pointer stretches
// the line to the second until a click fixes it, and the markers drag either.
// Each tool keeps its own numbers for the five states.
class kuChartAnchorPairEventFilter : public kuChartToolEventFilter
{
public:
    struct States
    {
        quint8 awaitingFirst;
        quint8 placingSecond;
        quint8 draggingFirst;
        quint8 draggingSecond;
        quint8 idle;
    };

protected:
    // The tool makes its line and markers before its filter.
    kuChartAnchorPairEventFilter(kuChartObject* tool, QGraphicsItem* parent, double hoverOpacity, double normalOpacity,
                                 const States& states, QGraphicsLineItem* line, QGraphicsItem* firstMarker,
                                 QGraphicsItem* secondMarker);

    // An anchor comes only from a release where the tool takes one; elsewhere
    // it keeps what the moves gave it.
    void released(const kuChartAnchorMove& move) final;
    virtual bool takesAnchorAt(const QPointF& point) const = 0;
    // A released anchor takes what the pointer's travel gives it.
    virtual void takeAnchor(bool first, const kuChartAnchorMove& move) = 0;
    // The first click places the first anchor; no drag yet, so both axes are the pointer's.
    virtual void placeFirst(const kuChartAnchorMove& move) { takeAnchor(true, move); }
    virtual bool hasSecondAnchor() const = 0;

    const States m_states;

private:
    QGraphicsLineItem* m_line;
};
