#pragma once

#include <QMap>
#include <QString>

class QAbstractItemModel;
class QModelIndex;

// Texts typed per column, joined by OR: a row passes when there is no filter,
// when any filter text is empty, or when any filtered cell's display text
// contains its filter text, case-insensitively.
class kuColumnFilter
{
public:
    // Inserts or replaces; filters are never removed.
    void setText(int column, const QString& text);
    const QMap<int, QString>& texts() const;
    bool accepts(const QAbstractItemModel* model, int row, const QModelIndex& parent) const;

private:
    QMap<int, QString> m_texts;
    // The same texts lower-cased once, not per row.
    QMap<int, QString> m_lowered;
};
