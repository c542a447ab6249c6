#include "sectionwidget.h"

#include <QAction>
#include <QBoxLayout>
#include <QDebug>
#include <QMenu>
#include <QSplitter>
#include <QStackedLayout>
#include <QStyle>
#include <QToolButton>

#include "adsglobals.h"
#include "containerwidget.h"
#include "sectioncontentwidget.h"
#include "sectiontitlewidget.h"
#include "sectionwidgettabsscrollarea.h"

namespace ads {

SectionWidget::SectionWidget(ContainerWidget* parent) : QFrame(parent), _uid(nextUid()), _container(parent)
{
    auto* mainLayout = new QBoxLayout(QBoxLayout::TopToBottom);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(0);
    setLayout(mainLayout);

    _topLayout = new QBoxLayout(QBoxLayout::LeftToRight);
    _topLayout->setContentsMargins(0, 0, 0, 0);
    _topLayout->setSpacing(0);
    mainLayout->addLayout(_topLayout, 0);

    _tabsScrollArea = new SectionWidgetTabsScrollArea(this);
    _topLayout->addWidget(_tabsScrollArea, 1);

    _tabsContainerWidget = new QWidget();
    _tabsContainerWidget->setObjectName(QStringLiteral("tabsContainerWidget"));
    _tabsScrollArea->setWidget(_tabsContainerWidget);

    _tabsLayout = new QBoxLayout(QBoxLayout::LeftToRight);
    _tabsLayout->setContentsMargins(0, 0, 0, 0);
    _tabsLayout->setSpacing(0);
    _tabsLayout->addStretch(1);
    _tabsContainerWidget->setLayout(_tabsLayout);

    _tabsMenuButton = new QToolButton();
    _tabsMenuButton->setObjectName(QStringLiteral("tabsMenuButton"));
    _tabsMenuButton->setMaximumWidth(_tabsMenuButton->iconSize().width());
    _tabsMenuButton->setPopupMode(QToolButton::MenuButtonPopup);
    _tabsMenuButton->setMenu(new QMenu(_tabsMenuButton));
    _topLayout->addWidget(_tabsMenuButton, 0);
    connect(_tabsMenuButton->menu(), &QMenu::aboutToShow, this, &SectionWidget::updateTabsMenu);

    _closeButton = new QToolButton();
    _closeButton->setObjectName(QStringLiteral("closeButton"));
    // The theme's style sheet replaces this image.
    _closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    _closeButton->setToolTip(tr("Закрыть"));
    _topLayout->addWidget(_closeButton, 0);
    connect(_closeButton, &QToolButton::clicked, this, &SectionWidget::onCloseButtonClicked);

    _tabsLayoutInitCount = _tabsLayout->count();

    _contentsLayout = new QStackedLayout();
    _contentsLayout->setContentsMargins(0, 0, 0, 0);
    _contentsLayout->setSpacing(0);
    mainLayout->addLayout(_contentsLayout, 1);

    if (_container)
        _container->registerSection(this);
}

SectionWidget::~SectionWidget()
{
    if (ContainerWidget* container = _container.data())
        container->unregisterSection(this);
    auto* splitter = findParent<QSplitter>(this);
    if (splitter && splitter->property("ads-splitter").toBool()) {
        bool othersLeft = false;
        for (int i = 0; i < splitter->count(); ++i)
            othersLeft = othersLeft || splitter->widget(i) != this;
        if (!othersLeft)
            splitter->deleteLater();
    }
}

ContainerWidget* SectionWidget::containerWidget() const
{
    return _container.data();
}

QMenu* SectionWidget::tabsMenu() const
{
    return _tabsMenuButton->menu();
}

void SectionWidget::insertTitle(SectionTitleWidget* title)
{
    _tabsLayout->insertWidget(_tabsLayout->count() - _tabsLayoutInitCount, title);
    connect(title, &SectionTitleWidget::clicked, this, &SectionWidget::onSectionTitleClicked);
}

void SectionWidget::addContent(const SectionContent::RefPtr& c)
{
    if (!c)
        return;
    _contents.append(c);
    auto* title = new SectionTitleWidget(c, nullptr);
    _sectionTitles.append(title);
    insertTitle(title);
    auto* frame = new SectionContentWidget(c, nullptr);
    _sectionContents.append(frame);
    _contentsLayout->addWidget(frame);
    if (_contents.size() == 1)
        setCurrentIndex(0);
    updateTabsMenu();
}

void SectionWidget::addInternalContent(const InternalContentData& data, bool autoActivate)
{
    if (!data.content || !data.titleWidget || !data.contentWidget)
        return;
    _contents.append(data.content);
    _sectionTitles.append(data.titleWidget);
    insertTitle(data.titleWidget);
    data.titleWidget->setVisible(true);
    _sectionContents.append(data.contentWidget);
    _contentsLayout->addWidget(data.contentWidget);
    _contentsLayout->update();

    if (_contents.size() == 1)
        setCurrentIndex(0);
    else if (autoActivate)
        setCurrentIndex(_contents.size() - 1);
    else
        data.titleWidget->setActiveTab(false);
    updateTabsMenu();
}

bool SectionWidget::takeContent(int uid, InternalContentData& data)
{
    const int index = indexOfContentByUid(uid);
    if (index < 0)
        return false;
    SectionContent::RefPtr content = _contents.takeAt(index);
    if (!content)
        return false;

    QWidget* newParent = _container.data();
    SectionTitleWidget* title = _sectionTitles.takeAt(index);
    _tabsLayout->removeWidget(title);
    title->disconnect(this);
    title->setParent(newParent);

    SectionContentWidget* frame = _sectionContents.takeAt(index);
    _contentsLayout->removeWidget(frame);
    frame->disconnect(this);
    frame->setParent(newParent);

    if (!_contents.isEmpty() && title->isActiveTab())
        setCurrentIndex(index > 0 ? index - 1 : 0);

    updateTabsMenu();
    data.content = content;
    data.titleWidget = title;
    data.contentWidget = frame;
    return true;
}

void SectionWidget::moveContent(int from, int to)
{
    const int count = _contents.size();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) {
        qDebug() << "Invalid index for tab movement" << from << to;
        _tabsLayout->update();
        return;
    }
    QWidget* current = _contentsLayout->currentWidget();
    _contents.move(from, to);
    _sectionTitles.move(from, to);
    _sectionContents.move(from, to);

    QLayoutItem* item = _tabsLayout->takeAt(from);
    _tabsLayout->insertItem(to, item);

    QLayoutItem* page = _contentsLayout->takeAt(from);
    QWidget* pageWidget = page->widget();
    delete page;
    _contentsLayout->insertWidget(to, pageWidget);
    // Taking the page out made the stack pick another; keep the one shown.
    if (current)
        _contentsLayout->setCurrentWidget(current);
    updateTabsMenu();
}

int SectionWidget::indexOfContent(const SectionContent::RefPtr& c) const
{
    return _contents.indexOf(c);
}

int SectionWidget::indexOfContentByUid(int uid) const
{
    for (int i = 0; i < _contents.size(); ++i) {
        if (_contents.at(i) && _contents.at(i)->uid() == uid)
            return i;
    }
    return -1;
}

int SectionWidget::indexOfContentByTitlePos(const QPoint& pos, QWidget* exclude) const
{
    // Titles are laid out in the tabs container, which scrolls inside the section.
    const QPoint p = _tabsContainerWidget->mapFrom(this, pos);
    for (int i = 0; i < _sectionTitles.size(); ++i) {
        SectionTitleWidget* title = _sectionTitles.at(i);
        if (title == exclude)
            continue;
        if (title->geometry().contains(p))
            return i;
    }
    return -1;
}

int SectionWidget::currentIndex() const
{
    return _contentsLayout->currentIndex();
}

QRect SectionWidget::titleAreaGeometry() const
{
    return _topLayout->geometry();
}

QRect SectionWidget::contentAreaGeometry() const
{
    return _contentsLayout->geometry();
}

void SectionWidget::setCurrentIndex(int index)
{
    if (index < 0 || index >= _contents.size()) {
        qWarning().noquote() << "void ads::SectionWidget::setCurrentIndex(qint32)"
                             << "Invalid index" << index;
        return;
    }
    int position = 0;
    for (int i = 0; i < _tabsLayout->count(); ++i) {
        auto* title = qobject_cast<SectionTitleWidget*>(_tabsLayout->itemAt(i)->widget());
        if (!title)
            continue;
        if (position == index) {
            title->setActiveTab(true);
            _tabsScrollArea->ensureWidgetVisible(title, 50, 50);
        } else {
            title->setActiveTab(false);
        }
        ++position;
    }
    _contentsLayout->setCurrentIndex(index);
}

void SectionWidget::onSectionTitleClicked()
{
    auto* title = qobject_cast<SectionTitleWidget*>(sender());
    if (!title)
        return;
    const int index = _tabsLayout->indexOf(title);
    if (index >= 0)
        setCurrentIndex(index);
}

void SectionWidget::onCloseButtonClicked()
{
    const int index = currentIndex();
    if (index < 0 || index >= _contents.size())
        return;
    SectionContent::RefPtr sc = _contents.at(index);
    if (sc && _container)
        _container->hideSectionContent(sc);
}

void SectionWidget::onTabsMenuActionTriggered(bool)
{
    auto* action = qobject_cast<QAction*>(sender());
    if (!action)
        return;
    const int index = indexOfContentByUid(action->data().toInt());
    if (index >= 0)
        setCurrentIndex(index);
}

void SectionWidget::updateTabsMenu()
{
    QMenu* menu = _tabsMenuButton->menu();
    qDeleteAll(menu->actions());
    menu->clear();
    for (const SectionContent::RefPtr& c : qAsConst(_contents)) {
        QAction* action = menu->addAction(c->visibleTitle());
        action->setData(static_cast<uint>(c->uid()));
        connect(action, &QAction::triggered, this, &SectionWidget::onTabsMenuActionTriggered);
    }
}

void SectionWidget::showEvent(QShowEvent* event)
{
    QFrame::showEvent(event);
    if (SectionTitleWidget* title = _sectionTitles.value(currentIndex()))
        _tabsScrollArea->ensureWidgetVisible(title, 50, 50);
}

} // namespace ads
