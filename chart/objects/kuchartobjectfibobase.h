#pragma once

#include "kuchartlinepen.h"
#include "kuchartobjectbase.h"
#include "kuchartobjectfilters.h"

#include <QList>
#include <QVector>

#include <initializer_list>

class QGraphicsLineItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;

// The items of one Fibonacci level: its line or circle and two labels.
struct kuFiboLevel
{
    QGraphicsItem* item = nullptr;
    // The ratio in percent, fixed when the level is made.
    QGraphicsSimpleTextItem* ratioLabel = nullptr;
    QGraphicsSimpleTextItem* priceLabel = nullptr;
};

// Base of the Fibonacci tools: one level per ratio, and one pen for the
// tool's main line and all its levels.
class kuChartObjectFiboBase : public kuChartObjectBase, public kuChartLinePen
{
    Q_OBJECT

public:
    enum LevelItemKind
    {
        LineLevels = 99,
        CircleLevels = 100
    };

    kuChartObjectFiboBase(kuChartCore* core, int levelItemKind);
    ~kuChartObjectFiboBase() override;

    QGraphicsItem* graphicsItem() override;
    // The main line, the markers and every level fade and hide with the tool;
    // a hidden tool gives back the cursor its filter holds.
    void setOpacity(double opacity) override;
    void setVisible(bool visible) override;
    QString label() override;
    kuChartPropertyInfo propertyInfo(const QString& name) override;

    const QList<double>& ratios() const { return fiboRatios; }
    const QList<kuFiboLevel>& levels() const { return fiboLevels; }
    int levelKind() const { return levelItemKind; }
    QPen pen() const { return linePen; }

protected:
    void createLevels();
    QGraphicsItem* createLevelItem();

    // Every tool has a main line carrying its anchor markers and its mouse
    // filter, all made before this is called (once, by the tool's constructor).
    // Puts them in the scene hidden (nothing shows before the first anchor), with
    // the filter on them and on every level item; the tool shows no caption.
    void setUpToolItems(QGraphicsLineItem* line, std::initializer_list<QGraphicsRectItem*> markers,
                        kuChartToolEventFilter* filter);
    // Hides the line, the markers and every level.
    void hideToolItems();
    // After the levels are placed: the first level's label, then the last one's, then the
    // others in order; a ratio label that would overlap one kept or run out of the plot is
    // not drawn.
    void keepRatioLabelsApart();
    // A repaint starts from a hidden tool; false when there is nothing to draw
    // (no chart, a hidden or deleted tool, another type, not the price pane).
    bool beginRepaint(int type);
    // Anchors are placed with the mouse only: the settings page does not show them.
    kuChartPropertyInfo anchorPropertyInfo(const QString& name, std::initializer_list<const char*> anchors);
    // Moves one end of a line; a non-finite y leaves it where it was.
    static void setLineEndY(QGraphicsLineItem* item, bool first, double y);

    QList<double> fiboRatios;
    QList<kuFiboLevel> fiboLevels;
    QString labelText;
    int levelItemKind;

private:
    QGraphicsLineItem* m_toolLine = nullptr;
    QVector<QGraphicsRectItem*> m_toolMarkers;
    kuChartToolEventFilter* m_toolFilter = nullptr;
};
