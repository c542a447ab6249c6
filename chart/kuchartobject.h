#pragma once

#include "kuchartobjecttype.h"
#include "kuchartpropertyinfo.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QObject>

class QGraphicsItem;
class QGraphicsSimpleTextItem;
class kuChartCore;
class kuGraphicsScene;

// Base of everything a chart draws over its candles: drawing objects,
// indicators and their series, the volume object. Its object name (a fresh
// QUuid text) is its identity; its settings are the Qt properties for which
// propertyInfo() gives a label. Owned by the chart core's object list.
class kuChartObject : public QObject
{
    Q_OBJECT

public:
    explicit kuChartObject(kuChartCore* core);
    ~kuChartObject() override;

    // Draws or moves the object's items for the current layout; called at every
    // redraw, invisible objects included (they keep their items hidden).
    virtual void repaint() = 0;
    // The item that takes the mouse while the object is placed or dragged.
    virtual QGraphicsItem* graphicsItem();
    virtual void setOpacity(double opacity);
    // {"type", "name", "label", "params"}
    virtual QJsonObject toJson();
    // Applies "params": only the parameters params() lists, each with a value of its kind.
    virtual void fromJson(const QJsonObject& json);
    virtual void setObjectType(int type);
    virtual void setPricePane(int pricePane);
    virtual void setVisible(bool visible);
    // The object's value at a candle (0 = newest, -1 = none); empty when it has none.
    virtual QString valueText(int candleIndex);
    virtual QJsonArray params();
    // Marks the whole-number parameters of the object's JSON form (and of its parts') for the
    // settings dialog.
    virtual void markWholeNumbers(QJsonObject& json) const;
    virtual QString label();
    // Label "unknown" for a property that is no parameter.
    virtual kuChartPropertyInfo propertyInfo(const QString& name);
    // Indicators (and the volume object) are recalculated when the candles change.
    virtual bool isIndicator() const;
    // Recomputes from the core's value vectors; nothing for a drawing object.
    virtual void recalculate();
    // A drawing object is placed once the user has fixed its anchors, or when it was
    // restored with valid ones; one that is not is neither saved nor restored.
    virtual bool isPlaced() const;

    int objectType() const { return m_objectType; }
    int isPricePane() const { return m_pricePane; }
    bool isVisible() const { return m_visible; }
    bool isDeleted() const { return m_deleted; }
    // Marks only: the core's next redraw hides, removes and destroys the object.
    void setDeleted(bool deleted) { m_deleted = deleted; }
    kuChartCore* chartCore() const { return m_core; }
    kuGraphicsScene* scene() const;
    QGraphicsSimpleTextItem* caption() const { return m_caption; }
    // The caption shows the object's value at the candle under a scene x; an empty value leaves it.
    void updateCaption(int x);

protected:
    void createCaption();

    double hoverOpacity = 0.5;
    double normalOpacity = 1.0;

private:
    kuChartCore* m_core;
    QGraphicsSimpleTextItem* m_caption;
    bool m_deleted = false;
    bool m_visible = true;
    int m_objectType = otLineSeries;
    int m_pricePane = 0;
};
