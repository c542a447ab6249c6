#include "kupaperinfomimedata.h"

kuPaperInfoMimeData::kuPaperInfoMimeData() = default;

QString kuPaperInfoMimeData::mimeType()
{
    return QStringLiteral("application/paperID");
}

int kuPaperInfoMimeData::paperID() const
{
    return m_paperID;
}

void kuPaperInfoMimeData::setPaperID(int paperID)
{
    m_paperID = paperID;
    setData(mimeType(), QByteArray());
}
