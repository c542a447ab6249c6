#pragma once

#include <QList>
#include <QPair>
#include <QRect>
#include <QSize>

class QSplitter;
class QWidget;

namespace ads {
class ContainerWidget;
class SectionWidget;
} // namespace ads

// Where a new window goes in a workspace: beside the roomiest section, halving it along
// its longer side, when both halves can still show their windows; else as a tab of it.
struct kuWindowPlacement
{
    ads::SectionWidget* section = nullptr; // null: the container is empty
    // ads::DropArea: right or bottom beside the section, centre for a tab.
    int area = 0;
};

// The sections' rectangles as the splitters will lay them out in the container's
// size: from the splitters' sizes when they have them, in equal shares when they have
// none yet (a layout built before it is shown).
QList<QPair<ads::SectionWidget*, QRect>> kuSectionRects(const ads::ContainerWidget* container, const QSize& size);

// newMinimum: the least size the new window can show itself in.
kuWindowPlacement kuPlaceWindow(const ads::ContainerWidget* container, const QSize& size, const QSize& newMinimum);

// A split section's share of its splitter, taken before the split: after it, the two
// halves share that space equally and the other sections keep theirs.
struct kuSplitShare
{
    QSplitter* parent = nullptr;
    QList<int> sizes;
    int index = -1;
    QSize size; // the section's estimated size
};
kuSplitShare kuShareBeforeSplit(ads::SectionWidget* section, const QSize& size);
void kuShareSplit(const kuSplitShare& before, ads::SectionWidget* added);
