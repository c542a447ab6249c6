#pragma once

#include <QFlags>
#include <QWidget>

class QSplitter;

namespace ads {

enum DropArea
{
    InvalidDropArea = 0,
    TopDropArea = 1,
    RightDropArea = 2,
    BottomDropArea = 4,
    LeftDropArea = 8,
    CenterDropArea = 16,
};
Q_DECLARE_FLAGS(DropAreas, DropArea)

constexpr int OuterDropAreas = TopDropArea | RightDropArea | BottomDropArea | LeftDropArea;
constexpr int AllDropAreas = OuterDropAreas | CenterDropArea;

QSplitter* newSplitter(Qt::Orientation orientation);
bool splitterHasSection(QSplitter* splitter);
QSplitter* firstSplitter(QWidget* widget);

// Identity of contents and sections while they live; addresses are reused
// and do not fit 32 bits, so a counter keeps every object apart.
int nextUid();

template <class T>
T* findParent(const QWidget* widget)
{
    QWidget* parent = widget ? widget->parentWidget() : nullptr;
    while (parent) {
        if (T* found = dynamic_cast<T*>(parent))
            return found;
        parent = parent->parentWidget();
    }
    return nullptr;
}

} // namespace ads

Q_DECLARE_OPERATORS_FOR_FLAGS(ads::DropAreas)
