#pragma once

#include "kuchartlinepen.h"
#include "kuchartobjectbase.h"
#include "kuchartobjectdrag.h"

class QGraphicsLineItem;

// A tool drawn as one line with its own pen (horizontal, vertical and trend
// lines): the line is the item that takes the mouse for the tool, and it
// shows, fades and goes with the tool.
class kuChartLineTool : public kuChartObjectBase, public kuChartLinePen
{
    Q_OBJECT

public:
    QGraphicsItem* graphicsItem() override;
    void setOpacity(double opacity) override;
    // A hidden tool also gives back the cursor its filter holds.
    void setVisible(bool visible) override;

    QGraphicsLineItem* lineItem() const { return m_lineItem; }

protected:
    kuChartLineTool(kuChartCore* core, const QString& labelTemplate);
    // Deletes the filter, then takes the line out of the scene and deletes it;
    // the tool deletes its other items first.
    ~kuChartLineTool() override;

    // The tool's pen starts afresh; the line goes into the scene collapsed and
    // shown, with that pen, the hover cursor and the filter, which the line
    // tool deletes with the line.
    void setUpLine(Qt::CursorShape cursor, QGraphicsItem* filter);
    // The caption, once in a scene, takes the mouse as the line does.
    void setUpCaption(Qt::CursorShape cursor, QGraphicsItem* filter);
    virtual kuHeldCursor& heldCursor() = 0;

    QGraphicsLineItem* const m_lineItem;
    const QString m_labelTemplate;

private:
    QGraphicsItem* m_filter = nullptr;
};
