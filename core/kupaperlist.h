#pragma once

#include "kuabstractpaperlist.h"
#include "kupaperinfo.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QSharedPointer>

// The process-wide instrument registry. Written and read on the GUI thread
// only: the converter builds records on its decoding thread and hands them
// over here in one queued call.
class kuPaperList : public QObject, public kuAbstractPaperList
{
    Q_OBJECT
public:
    static QSharedPointer<kuPaperList> instance();

    void addPaper(int paperID, const QSharedPointer<kuPaperInfo>& paper);
    QSharedPointer<kuPaperInfo> paper(int paperID) const;
    // Every instrument but the options, in the table's order.
    QList<QSharedPointer<kuPaperInfo>> papersList() const { return m_papers.values(); }
    // The two tables the list rows are made from: every instrument but the options, and the options.
    const QHash<int, QSharedPointer<kuPaperInfo>>& papersTable() const { return m_papers; }
    const QHash<int, QSharedPointer<kuPaperInfo>>& optionsTable() const { return m_options; }
    // Grows with every record stored. Rows hold records weakly, so a list filled
    // at another count may show replaced records as blank rows: fill it again.
    quint64 changeCount() const { return m_changes; }

    QString ticker(int paperID) const override;
    QString issuer(int paperID) const override;
    QString exchangeName(int paperID) const override;

    bool optionsEmpty() const { return m_options.isEmpty(); }
    QMap<int, QString> exchanges() const { return m_exchangeNames; }

private:
    kuPaperList() = default;

    QHash<int, QSharedPointer<kuPaperInfo>> m_papers;
    QHash<int, QSharedPointer<kuPaperInfo>> m_options;
    QMap<int, QString> m_exchangeNames;
    quint64 m_changes = 0;
};
