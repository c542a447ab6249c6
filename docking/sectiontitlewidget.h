#pragma once

#include <QFrame>
#include <QPoint>
#include <QPointer>

#include "floatingwidget.h"
#include "sectioncontent.h"

namespace ads {

// A tab: the frame around a caller's title widget. Does all the mouse work
// of the docking layer: select, reorder, tear off and dock again.
class SectionTitleWidget : public QFrame
{
    Q_OBJECT
    Q_PROPERTY(bool activeTab READ isActiveTab WRITE setActiveTab NOTIFY activeTabChanged)
    friend class ContainerWidget;

public:
    SectionTitleWidget(const SectionContent::RefPtr& content, QWidget* parent = nullptr);
    ~SectionTitleWidget() override;

    SectionContent::RefPtr content() const { return _content; }
    bool isActiveTab() const { return _activeTab; }
    void setActiveTab(bool active);
    FloatingWidget* floatingWidget() const { return _floatingWidget.data(); }

signals:
    void activeTabChanged();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* ev) override;
    void mouseReleaseEvent(QMouseEvent* ev) override;
    void mouseMoveEvent(QMouseEvent* ev) override;

private:
    SectionContent::RefPtr _content;
    QPointer<FloatingWidget> _floatingWidget;
    QPoint _dragStartPosition;
    bool _tabMoving = false;
    bool _activeTab = false;
};

} // namespace ads
