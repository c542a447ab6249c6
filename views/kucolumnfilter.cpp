#include "kucolumnfilter.h"

#include "kufunctions.h"

#include <QAbstractItemModel>

void kuColumnFilter::setText(int column, const QString& text)
{
    m_texts.insert(column, text);
    m_lowered.insert(column, text.toLower());
}

const QMap<int, QString>& kuColumnFilter::texts() const
{
    return m_texts;
}

bool kuColumnFilter::accepts(const QAbstractItemModel* model, int row, const QModelIndex& parent) const
{
    if (m_lowered.isEmpty())
        return true;
    if (!model)
        return false;
    for (auto it = m_lowered.constBegin(); it != m_lowered.constEnd(); ++it) {
        if (it.value().isEmpty())
            return true;
        const QString cell = model->index(row, it.key(), parent).data(Qt::DisplayRole).toString().toLower();
        if (findSubstring(cell, 0, it.value()) >= 0)
            return true;
    }
    return false;
}
