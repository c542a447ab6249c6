#include "kupaperlist.h"

QSharedPointer<kuPaperList> kuPaperList::instance()
{
    static const QSharedPointer<kuPaperList> registry(new kuPaperList);
    return registry;
}

void kuPaperList::addPaper(int paperID, const QSharedPointer<kuPaperInfo>& paper)
{
    if (paper.isNull() || paper->type() == -1)
        return;
    if (paper->type() == 5)
        m_options.insert(paperID, paper);
    else
        m_papers.insert(paperID, paper);
    ++m_changes;
    if (!m_exchangeNames.contains(paper->exchangeID()))
        m_exchangeNames.insert(paper->exchangeID(), paper->exchangeName());
}

QSharedPointer<kuPaperInfo> kuPaperList::paper(int paperID) const
{
    auto it = m_papers.constFind(paperID);
    if (it != m_papers.constEnd())
        return it.value();
    return m_options.value(paperID);
}

QString kuPaperList::ticker(int paperID) const
{
    const auto p = paper(paperID);
    return p ? p->ticker() : QString();
}

QString kuPaperList::issuer(int paperID) const
{
    const auto p = paper(paperID);
    return p ? p->issuer() : QString();
}

QString kuPaperList::exchangeName(int paperID) const
{
    const auto p = paper(paperID);
    return p ? p->exchangeName() : QString();
}
