#pragma once

#include <QMimeData>
#include <QString>

// One instrument id dragged within the process. The id travels in the object,
// not in the bytes: a drop target casts the event's mime data to this class.
class kuPaperInfoMimeData : public QMimeData
{
    Q_OBJECT
public:
    kuPaperInfoMimeData();

    // "application/paperID": the format every drop target tests for.
    static QString mimeType();

    int paperID() const;
    // Stores the id and registers the format with empty bytes.
    void setPaperID(int paperID);

private:
    int m_paperID = 0;
};
