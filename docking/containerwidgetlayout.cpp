// Layout of the container: the splitter tree its sections lie in, where a dropped
// content goes, and the splitters and sections that are left empty.

#include "containerwidget.h"

#include <QDebug>
#include <QGridLayout>
#include <QSplitter>

#include "sectionwidget.h"

namespace ads {

void ContainerWidget::discardSection(SectionWidget* section)
{
    unregisterSection(section);
    section->hide();
    section->setParent(nullptr);
    section->deleteLater();
}

SectionWidget* ContainerWidget::dropContent(const InternalContentData& data, SectionWidget* targetSection,
                                            DropArea area, bool autoActive)
{
    if (!data.content || !data.titleWidget || !data.contentWidget)
        return nullptr;

    if (_sections.isEmpty()) {
        SectionWidget* sw = newSectionWidget();
        addSection(sw);
        sw->addInternalContent(data, autoActive);
        return sw;
    }

    if (targetSection) {
        if (area == CenterDropArea) {
            targetSection->addInternalContent(data, autoActive);
            return targetSection;
        }
        if (area != TopDropArea && area != RightDropArea && area != BottomDropArea && area != LeftDropArea)
            return nullptr;
        auto* parent = findParent<QSplitter>(targetSection);
        if (!parent) {
            qWarning("Drop target section lies in no splitter");
            return nullptr;
        }

        const Qt::Orientation orientation =
                (area == TopDropArea || area == BottomDropArea) ? Qt::Vertical : Qt::Horizontal;
        const bool before = (area == TopDropArea || area == LeftDropArea);
        SectionWidget* sw = newSectionWidget();
        sw->addInternalContent(data, true);
        const int index = parent->indexOf(targetSection);
        if (parent->orientation() == orientation) {
            parent->insertWidget(before ? index : index + 1, sw);
        } else {
            QSplitter* splitter = newSplitter(orientation);
            if (before) {
                splitter->addWidget(sw);
                splitter->addWidget(targetSection);
            } else {
                splitter->addWidget(targetSection);
                splitter->addWidget(sw);
            }
            parent->insertWidget(index, splitter);
        }
        return sw;
    }

    switch (area) {
    case TopDropArea:
        return dropContentOuter(data, Qt::Vertical, false);
    case RightDropArea:
        return dropContentOuter(data, Qt::Horizontal, true);
    case BottomDropArea:
    case CenterDropArea:
        return dropContentOuter(data, Qt::Vertical, true);
    case LeftDropArea:
        return dropContentOuter(data, Qt::Horizontal, false);
    default:
        return nullptr;
    }
}

SectionWidget* ContainerWidget::dropContentOuter(const InternalContentData& data, Qt::Orientation orientation,
                                                 bool append)
{
    SectionWidget* sw = newSectionWidget();
    sw->addInternalContent(data, true);

    QSplitter* root = firstSplitter(this);
    if (root && (root->orientation() == orientation || root->count() == 1)) {
        root->setOrientation(orientation);
        if (append)
            root->addWidget(sw);
        else
            root->insertWidget(0, sw);
    } else if (root) {
        QSplitter* splitter = newSplitter(orientation);
        delete _mainLayout->replaceWidget(root, splitter);
        if (append) {
            splitter->addWidget(root);
            splitter->addWidget(sw);
        } else {
            splitter->addWidget(sw);
            splitter->addWidget(root);
        }
    } else {
        QSplitter* splitter = newSplitter(orientation);
        if (_mainLayout->count() > 0) {
            qWarning("Still items in layout. This should never happen.");
            delete _mainLayout->takeAt(0);
        }
        _mainLayout->addWidget(splitter, 0, 0);
        splitter->addWidget(sw);
        // Without this the next addSection would put a second splitter into the layout.
        if (!_rootSplitter)
            _rootSplitter = splitter;
    }
    return sw;
}

SectionWidget* ContainerWidget::newSectionWidget()
{
    auto* sw = new SectionWidget(this);
    _sections.append(sw);
    return sw;
}

void ContainerWidget::addSection(SectionWidget* section)
{
    if (!_rootSplitter) {
        _rootSplitter = newSplitter(Qt::Horizontal);
        _mainLayout->addWidget(_rootSplitter, 0, 0);
    }
    if (_rootSplitter->indexOf(section) != -1) {
        qWarning().noquote() << "void ads::ContainerWidget::addSection(ads::SectionWidget*)"
                             << "Section has already been added";
        return;
    }
    _rootSplitter->addWidget(section);
}

SectionWidget* ContainerWidget::sectionWidgetAt(const QPoint& pos) const
{
    const QPoint global = mapToGlobal(pos);
    for (SectionWidget* sw : _sections) {
        if (sw->rect().contains(sw->mapFromGlobal(global)))
            return sw;
    }
    return nullptr;
}

void ContainerWidget::deleteEmptySplitters()
{
    bool deleted = true;
    while (deleted) {
        deleted = false;
        const QList<QSplitter*> splitters = findChildren<QSplitter*>();
        for (QSplitter* splitter : splitters) {
            if (!splitter->property("ads-splitter").toBool())
                continue;
            if (splitter->count() == 0 || !splitterHasSection(splitter)) {
                delete splitter;
                deleted = true;
                break;
            }
        }
    }
}

} // namespace ads
