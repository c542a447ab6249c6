#pragma once

#include "sectioncontent.h"

namespace ads {

class SectionTitleWidget;
class SectionContentWidget;

// A content travelling with its two frames between sections, floating
// windows and hidden records. The frames are owned by their Qt parent.
struct InternalContentData
{
    SectionContent::RefPtr content;
    SectionTitleWidget* titleWidget = nullptr;
    SectionContentWidget* contentWidget = nullptr;
};

} // namespace ads
