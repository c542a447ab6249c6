#include "sectioncontentwidget.h"

#include <QBoxLayout>

namespace ads {

SectionContentWidget::SectionContentWidget(const SectionContent::RefPtr& c, QWidget* parent)
    : QFrame(parent), _content(c)
{
    auto* layout = new QBoxLayout(QBoxLayout::TopToBottom);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (c && c->contentWidget())
        layout->addWidget(c->contentWidget());
    setLayout(layout);
}

SectionContentWidget::~SectionContentWidget()
{
    if (_content && _content->contentWidget())
        layout()->removeWidget(_content->contentWidget());
}

} // namespace ads
