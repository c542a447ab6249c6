#pragma once

#include <QFrame>
#include <QList>
#include <QPointer>

#include "internalcontentdata.h"
#include "sectioncontent.h"

class QBoxLayout;
class QMenu;
class QStackedLayout;
class QToolButton;

namespace ads {

class ContainerWidget;
class SectionTitleWidget;
class SectionContentWidget;
class SectionWidgetTabsScrollArea;

// One docked pane: a scrolling row of tab titles with a tabs menu and a
// close button, over a stack that shows the current content.
class SectionWidget : public QFrame
{
    Q_OBJECT
    friend class ContainerWidget;

public:
    explicit SectionWidget(ContainerWidget* parent);
    ~SectionWidget() override;

    int uid() const { return _uid; }
    ContainerWidget* containerWidget() const;

    void addContent(const SectionContent::RefPtr& c);
    void addInternalContent(const InternalContentData& data, bool autoActivate);
    bool takeContent(int uid, InternalContentData& data);
    void moveContent(int from, int to);

    int indexOfContent(const SectionContent::RefPtr& c) const;
    int indexOfContentByUid(int uid) const;
    int indexOfContentByTitlePos(const QPoint& pos, QWidget* exclude) const;
    int currentIndex() const;
    int contentCount() const { return _contents.size(); }
    QList<SectionContent::RefPtr> contents() const { return _contents; }
    SectionTitleWidget* titleAt(int index) const { return _sectionTitles.value(index); }
    QMenu* tabsMenu() const;

    QRect titleAreaGeometry() const;
    QRect contentAreaGeometry() const;

public slots:
    void setCurrentIndex(int index);

private slots:
    void onSectionTitleClicked();
    void onCloseButtonClicked();
    void onTabsMenuActionTriggered(bool);
    void updateTabsMenu();

protected:
    void showEvent(QShowEvent*) override;

private:
    void insertTitle(SectionTitleWidget* title);

    int _uid;
    QPointer<ContainerWidget> _container;
    QList<SectionContent::RefPtr> _contents;
    QList<SectionTitleWidget*> _sectionTitles;
    QList<SectionContentWidget*> _sectionContents;
    QBoxLayout* _topLayout = nullptr;
    SectionWidgetTabsScrollArea* _tabsScrollArea = nullptr;
    QWidget* _tabsContainerWidget = nullptr;
    QBoxLayout* _tabsLayout = nullptr;
    QToolButton* _tabsMenuButton = nullptr;
    QToolButton* _closeButton = nullptr;
    int _tabsLayoutInitCount = 0;
    QStackedLayout* _contentsLayout = nullptr;
};

} // namespace ads
