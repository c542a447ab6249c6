#include "kuwindowplacement.h"

#include "containerwidget.h"
#include "sectionwidget.h"

#include <QSplitter>

#include <numeric>

namespace {

void collect(QWidget* node, const QRect& rect, QList<QPair<ads::SectionWidget*, QRect>>& out)
{
    if (auto* section = qobject_cast<ads::SectionWidget*>(node)) {
        out.append({section, rect});
        return;
    }
    auto* splitter = qobject_cast<QSplitter*>(node);
    if (!splitter)
        return;
    QList<QWidget*> children;
    for (int i = 0; i < splitter->count(); ++i) {
        if (!splitter->widget(i)->isHidden())
            children.append(splitter->widget(i));
    }
    if (children.isEmpty())
        return;
    const bool horizontal = splitter->orientation() == Qt::Horizontal;
    const int handles = splitter->handleWidth() * (children.size() - 1);
    const int length = qMax(0, (horizontal ? rect.width() : rect.height()) - handles);
    QList<int> shares;
    for (QWidget* child : children)
        shares.append(qMax(0, splitter->sizes().value(splitter->indexOf(child))));
    const qint64 total = std::accumulate(shares.begin(), shares.end(), qint64(0));
    int at = horizontal ? rect.left() : rect.top();
    for (int i = 0; i < children.size(); ++i) {
        // A child the splitter gave no size yet (not laid out) counts as an equal share.
        const int part = total > 0 && shares[i] > 0 ? int(length * shares[i] / total) : length / children.size();
        const QRect childRect =
                horizontal ? QRect(at, rect.top(), part, rect.height()) : QRect(rect.left(), at, rect.width(), part);
        collect(children[i], childRect, out);
        at += part + splitter->handleWidth();
    }
}

} // namespace

QList<QPair<ads::SectionWidget*, QRect>> kuSectionRects(const ads::ContainerWidget* container, const QSize& size)
{
    QList<QPair<ads::SectionWidget*, QRect>> rects;
    if (container && container->rootSplitter())
        collect(container->rootSplitter(), QRect(QPoint(0, 0), size), rects);
    return rects;
}

kuWindowPlacement kuPlaceWindow(const ads::ContainerWidget* container, const QSize& size, const QSize& newMinimum)
{
    kuWindowPlacement placement;
    placement.area = ads::CenterDropArea;
    const QList<QPair<ads::SectionWidget*, QRect>> rects = kuSectionRects(container, size);
    if (rects.isEmpty())
        return placement;
    // Room per window: tabs share their section, so full sections come last.
    const auto room = [](const QPair<ads::SectionWidget*, QRect>& slot) {
        return qint64(slot.second.width()) * slot.second.height() / qMax(1, slot.first->contents().size());
    };
    auto roomiest = rects.front();
    for (const auto& candidate : rects) {
        if (room(candidate) > room(roomiest))
            roomiest = candidate;
    }
    placement.section = roomiest.first;
    const QSize space = roomiest.second.size();
    const QSize held = roomiest.first->minimumSizeHint().expandedTo(QSize(0, 0));
    const int handle = container->rootSplitter() ? container->rootSplitter()->handleWidth() : 0;
    const bool sideBySide = space.width() - handle >= held.width() + newMinimum.width() &&
                            space.width() / 2 >= qMax(held.width(), newMinimum.width());
    const bool stacked = space.height() - handle >= held.height() + newMinimum.height() &&
                         space.height() / 2 >= qMax(held.height(), newMinimum.height());
    // Halving the longer side keeps both halves closest to the shape they had.
    if (sideBySide && (!stacked || space.width() >= space.height()))
        placement.area = ads::RightDropArea;
    else if (stacked)
        placement.area = ads::BottomDropArea;
    return placement;
}

kuSplitShare kuShareBeforeSplit(ads::SectionWidget* section, const QSize& size)
{
    kuSplitShare share;
    share.parent = qobject_cast<QSplitter*>(section ? section->parentWidget() : nullptr);
    if (!share.parent)
        return share;
    share.sizes = share.parent->sizes();
    share.index = share.parent->indexOf(section);
    share.size = size;
    return share;
}

void kuShareSplit(const kuSplitShare& before, ads::SectionWidget* added)
{
    auto* splitter = qobject_cast<QSplitter*>(added ? added->parentWidget() : nullptr);
    if (!splitter || !before.parent || before.index < 0)
        return;
    // Splitters not laid out yet share equally, as the estimate takes them.
    if (std::accumulate(before.sizes.begin(), before.sizes.end(), 0) <= 0)
        return;
    QList<int> sizes = before.sizes;
    if (splitter == before.parent) {
        // Beside the section in its own splitter: it gives half of its length.
        const int whole = sizes.value(before.index);
        sizes[before.index] = whole - whole / 2;
        sizes.insert(before.index + 1, whole / 2);
        splitter->setSizes(sizes);
        return;
    }
    if (splitter->parentWidget() != before.parent)
        return;
    // A new splitter took the section's place: the others keep their lengths.
    before.parent->setSizes(sizes);
    const int whole = splitter->orientation() == Qt::Horizontal ? before.size.width() : before.size.height();
    splitter->setSizes({whole - whole / 2, whole / 2});
}
