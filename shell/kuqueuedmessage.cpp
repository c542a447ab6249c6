#include "kuqueuedmessage.h"

bool kuQueuedMessage::operator==(const kuQueuedMessage& other) const
{
    const bool samePixmap = (pixmap.isNull() && other.pixmap.isNull()) || pixmap.cacheKey() == other.pixmap.cacheKey();
    return text == other.text && timeout == other.timeout && samePixmap && background == other.background &&
           foreground == other.foreground && buttons == other.buttons && receiver == other.receiver &&
           member == other.member && data == other.data;
}

void kuQueuedMessage::registerMetaTypes()
{
    qRegisterMetaType<kuQueuedMessage>("kuQueuedMessage");
    qRegisterMetaType<QDialogButtonBox::StandardButton>("QDialogButtonBox::StandardButton");
}
