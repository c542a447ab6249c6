#pragma once

#include <QDrag>

// A drag of one instrument id; the drag owns the mime data it makes.
class kuPaperInfoDrag : public QDrag
{
    Q_OBJECT
public:
    explicit kuPaperInfoDrag(QObject* dragSource);

    void setPaperID(int paperID);
};
