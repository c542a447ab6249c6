// Contents of the container: adding one, showing, hiding and removing it wherever
// it is (a section, a floating window or the hidden ones), and taking it out.

#include "containerwidget.h"

#include <QDebug>

#include "floatingwidget.h"
#include "sectioncontentwidget.h"
#include "sectiontitlewidget.h"
#include "sectionwidget.h"

namespace ads {

SectionWidget* ContainerWidget::addSectionContent(const SectionContent::RefPtr& sc, SectionWidget* sw, DropArea area)
{
    if (!sc)
        return nullptr;
    InternalContentData data;
    data.content = sc;
    data.titleWidget = new SectionTitleWidget(sc, nullptr);
    data.contentWidget = new SectionContentWidget(sc, nullptr);
    connect(data.titleWidget, &SectionTitleWidget::activeTabChanged, this, &ContainerWidget::onActiveTabChanged);
    return dropContent(data, sw, area, false);
}

void ContainerWidget::reportHidden(const SectionContent::RefPtr& sc)
{
    if (sc->flags() & SectionContent::ClosesOnHide) {
        sc->setVisibilityState(SectionContent::Closed);
        emit sectionContentClosed(sc);
    } else {
        sc->setVisibilityState(SectionContent::Hidden);
        emit sectionContentVisibilityChanged(sc, false);
    }
}

void ContainerWidget::reportShown(const SectionContent::RefPtr& sc)
{
    // A content that was not hidden has nothing to report.
    if (sc->visibilityState() & SectionContent::Hidden) {
        sc->setVisibilityState(SectionContent::Visible);
        emit sectionContentVisibilityChanged(sc, true);
    }
}

bool ContainerWidget::hideSectionContent(const SectionContent::RefPtr& sc)
{
    if (!sc)
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        // Reporting an already hidden window again would loop a handler that
        // removes closed contents (removal hides first).
        if (fw->isHidden())
            return true;
        fw->hide();
        reportHidden(sc);
        return true;
    }

    if (SectionWidget* sw = sectionOf(sc->uid())) {
        HiddenSectionItem hsi;
        hsi.preferredSectionId = sw->uid();
        if (!sw->takeContent(sc->uid(), hsi.data))
            return false;
        hsi.data.titleWidget->hide();
        hsi.data.contentWidget->hide();
        _hiddenSectionContents.insert(sc->uid(), hsi);
        if (sw->contentCount() == 0) {
            discardSection(sw);
            deleteEmptySplitters();
        }
        reportHidden(sc);
        return true;
    }

    if (_hiddenSectionContents.contains(sc->uid()))
        return true;
    qWarning("Unable to hide SectionContent, don't know this one 8-/");
    return false;
}

bool ContainerWidget::showSectionContent(const SectionContent::RefPtr& sc)
{
    if (!sc)
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        fw->show();
        if (fw->titleWidget())
            fw->titleWidget()->show();
        if (fw->contentWidget())
            fw->contentWidget()->show();
        reportShown(sc);
        return true;
    }

    if (!_hiddenSectionContents.contains(sc->uid())) {
        qWarning("Unable to show SectionContent, don't know where 8-/ (already visible?)");
        return false;
    }

    const HiddenSectionItem hsi = _hiddenSectionContents.take(sc->uid());
    hsi.data.titleWidget->show();
    hsi.data.contentWidget->show();
    SectionWidget* sw = _sectionsByUid.value(hsi.preferredSectionId);
    if (!sw && !_sections.isEmpty())
        sw = _sections.first();
    if (!sw) {
        sw = newSectionWidget();
        addSection(sw);
    }
    sw->addInternalContent(hsi.data, true);
    reportShown(sc);
    return true;
}

bool ContainerWidget::removeSectionContent(const SectionContent::RefPtr& sc)
{
    if (!hideSectionContent(sc))
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        InternalContentData data;
        fw->takeContent(data);
        _floatings.removeAll(fw);
        // Its close button may be the one whose click got us here.
        fw->hide();
        fw->deleteLater();
        delete data.titleWidget;
        delete data.contentWidget;
        return true;
    }
    if (!_hiddenSectionContents.contains(sc->uid())) {
        qWarning("Something went wrong... The content should have been there :-/");
        return false;
    }
    const HiddenSectionItem hsi = _hiddenSectionContents.take(sc->uid());
    delete hsi.data.titleWidget;
    delete hsi.data.contentWidget;
    return true;
}

bool ContainerWidget::isSectionContentVisible(const SectionContent::RefPtr& sc)
{
    if (!sc)
        return false;
    if (FloatingWidget* fw = floatingOf(sc->uid())) {
        if (sc->visibilityState() & SectionContent::Hidden)
            return false;
        return fw->isVisible();
    }
    if (sectionOf(sc->uid()))
        return !(sc->visibilityState() & SectionContent::Hidden);
    if (_hiddenSectionContents.contains(sc->uid()))
        return false;
    qWarning().noquote() << "SectionContent is not a part of this ContainerWidget:" << sc->uniqueName();
    return false;
}

int ContainerWidget::visibleContentCount()
{
    int count = 0;
    for (const SectionContent::RefPtr& sc : contents()) {
        if (isSectionContentVisible(sc))
            ++count;
    }
    return count;
}

bool ContainerWidget::takeContent(const SectionContent::RefPtr& sc, InternalContentData& data)
{
    if (!sc)
        return false;
    for (SectionWidget* sw : qAsConst(_sections)) {
        if (sw->takeContent(sc->uid(), data))
            return true;
    }
    if (FloatingWidget* fw = floatingOf(sc->uid()))
        return fw->takeContent(data);
    if (_hiddenSectionContents.contains(sc->uid())) {
        data = _hiddenSectionContents.take(sc->uid()).data;
        return true;
    }
    return false;
}

} // namespace ads
