#pragma once

#include "internalcontentdata.h"

namespace ads {

// A hidden docked content and the section it should go back to.
struct HiddenSectionItem
{
    int preferredSectionId = -1;
    InternalContentData data;
};

} // namespace ads
