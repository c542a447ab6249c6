#pragma once

#include <QAbstractItemModel>
#include <QStringList>

// An item model as text for one QCOMPARE: a line per row, depth first, children
// indented by two blanks per level, columns joined by " | ", and within a cell
// the values of the asked roles joined by " / ". A value with no text form
// shows its type name; a missing value shows nothing, and empty cells at the
// end of a row are left out.
//   QCOMPARE(modelText(&model), "Акции | 2\n  VLMR | 1\n  BRNH | 1");
//   QCOMPARE(modelText(&model, {Qt::DisplayRole, Qt::CheckStateRole}), "a / 2\nb / 0");
inline QString modelValueText(const QVariant& value)
{
    if (!value.isValid())
        return QString();
    if (value.canConvert<QString>())
        return value.toString();
    return QLatin1String(value.typeName());
}

inline void modelTextLines(const QAbstractItemModel* model, const QList<int>& roles, const QModelIndex& parent,
                           int depth, QStringList& lines)
{
    for (int row = 0; row < model->rowCount(parent); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(parent); ++column) {
            QStringList values;
            for (int role : roles)
                values << modelValueText(model->index(row, column, parent).data(role));
            cells << values.join(QStringLiteral(" / "));
        }
        while (!cells.isEmpty() && cells.last().isEmpty())
            cells.removeLast();
        lines << QString(depth * 2, QLatin1Char(' ')) + cells.join(QStringLiteral(" | "));
        const QModelIndex first = model->index(row, 0, parent);
        if (model->hasChildren(first))
            modelTextLines(model, roles, first, depth + 1, lines);
    }
}

inline QString modelText(const QAbstractItemModel* model, const QList<int>& roles = {Qt::DisplayRole},
                         const QModelIndex& parent = QModelIndex())
{
    QStringList lines;
    modelTextLines(model, roles, parent, 0, lines);
    return lines.join(QLatin1Char('\n'));
}
