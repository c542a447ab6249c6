#include "floatingwidget.h"

#include <QBoxLayout>
#include <QStyle>
#include <QToolButton>

#include "containerwidget.h"
#include "sectioncontentwidget.h"
#include "sectiontitlewidget.h"

namespace ads {

FloatingWidget::FloatingWidget(ContainerWidget* container, const SectionContent::RefPtr& sc,
                               SectionTitleWidget* titleWidget, SectionContentWidget* contentWidget, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint), _container(container), _content(sc),
      _titleWidget(titleWidget), _contentWidget(contentWidget)
{
    auto* layout = new QBoxLayout(QBoxLayout::TopToBottom);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setLayout(layout);

    _titleLayout = new QBoxLayout(QBoxLayout::LeftToRight);
    _titleLayout->addWidget(_titleWidget, 1);
    layout->addLayout(_titleLayout, 0);
    _titleWidget->setActiveTab(false);

    auto* closeButton = new QToolButton();
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    closeButton->setToolTip(tr("Закрыть"));
    _titleLayout->addWidget(closeButton);
    connect(closeButton, &QToolButton::clicked, this, &FloatingWidget::onCloseButtonClicked);

    layout->addWidget(_contentWidget, 1);
    _contentWidget->show();
}

FloatingWidget::~FloatingWidget()
{
    if (_container)
        _container->unregisterFloating(this);
}

bool FloatingWidget::takeContent(InternalContentData& data)
{
    data.content = _content;
    data.titleWidget = _titleWidget;
    data.contentWidget = _contentWidget;

    // A floating window without content is on its way out: drop it from the
    // list now so that nothing saves or searches an empty record.
    if (_container)
        _container->unregisterFloating(this);
    QWidget* newParent = _container.data();
    if (_titleWidget) {
        _titleLayout->removeWidget(_titleWidget);
        _titleWidget->setParent(newParent);
        _titleWidget = nullptr;
    }
    if (_contentWidget) {
        layout()->removeWidget(_contentWidget);
        _contentWidget->setParent(newParent);
        _contentWidget = nullptr;
    }
    _content.clear();
    return true;
}

void FloatingWidget::onCloseButtonClicked()
{
    if (_container && _content)
        _container->hideSectionContent(_content);
}

} // namespace ads
