#include "sectioncontent.h"

#include <QDebug>

#include "adsglobals.h"
#include "containerwidget.h"

namespace ads {

SectionContent::SectionContent() : _uid(nextUid())
{}

SectionContent::RefPtr SectionContent::newSectionContent(const QString& uniqueName, ContainerWidget* container,
                                                         QWidget* title, QWidget* content)
{
    // Misuse is refused with a warning: the message handler aborts on fatal.
    if (uniqueName.isEmpty()) {
        qWarning("Can not create SectionContent with empty uniqueName");
        return RefPtr();
    }
    if (!container) {
        qWarning("Can not create SectionContent without a ContainerWidget");
        return RefPtr();
    }
    if (container->hasSectionContent(uniqueName)) {
        qWarning("Can not create SectionContent with already used uniqueName");
        return RefPtr();
    }
    if (!title || !content) {
        qWarning("Can not create SectionContent with NULL values");
        return RefPtr();
    }

    RefPtr sc(new SectionContent());
    sc->_uniqueName = uniqueName;
    sc->_containerWidget = container;
    sc->_titleWidget = title;
    sc->_contentWidget = content;

    container->registerContent(sc);
    return sc;
}

SectionContent::~SectionContent()
{
    if (ContainerWidget* container = _containerWidget.data())
        container->unregisterContent(_uid, _uniqueName);
    delete _titleWidget.data();
    delete _contentWidget.data();
}

ContainerWidget* SectionContent::containerWidget() const
{
    return _containerWidget.data();
}

} // namespace ads
