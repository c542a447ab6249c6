#pragma once

#include <QFrame>

#include "sectioncontent.h"

namespace ads {

// The frame around a caller's content widget inside a section or floating window.
class SectionContentWidget : public QFrame
{
    Q_OBJECT

public:
    SectionContentWidget(const SectionContent::RefPtr& c, QWidget* parent = nullptr);
    ~SectionContentWidget() override;

    SectionContent::RefPtr content() const { return _content; }

private:
    SectionContent::RefPtr _content;
};

} // namespace ads
