#include "kupaperinfodrag.h"

#include "kupaperinfomimedata.h"

kuPaperInfoDrag::kuPaperInfoDrag(QObject* dragSource) : QDrag(dragSource)
{}

void kuPaperInfoDrag::setPaperID(int paperID)
{
    auto* data = new kuPaperInfoMimeData;
    data->setPaperID(paperID);
    setMimeData(data);
}
