#pragma once

// What a list window's view shows cut: each shown column whose header or
// whose value in a shown row is wider than the column, as "title: text".

#include <QAbstractItemView>
#include <QHeaderView>
#include <QStringList>
#include <QStyleOptionViewItem>
#include <QTreeView>

// The view's cell options as its delegate gets them (viewOptions is protected).
class ColumnFitView : public QAbstractItemView
{
public:
    static QStyleOptionViewItem options(const QAbstractItemView* view)
    {
        const auto viewOptions = &ColumnFitView::viewOptions;
        return (view->*viewOptions)();
    }
};

inline QStringList cutColumns(const QAbstractItemView* view, const QHeaderView* header)
{
    QStringList cut;
    const QAbstractItemModel* model = view->model();
    const auto* tree = qobject_cast<const QTreeView*>(view);
    // Rows in view order: a tree's item rows under their account rows.
    QModelIndexList rows;
    for (int top = 0; top < model->rowCount(); ++top) {
        const QModelIndex row = model->index(top, 0);
        if (tree) {
            for (int child = 0; child < model->rowCount(row); ++child)
                rows << model->index(child, 0, row);
        } else {
            rows << row;
        }
    }
    const QStyleOptionViewItem options = ColumnFitView::options(view);
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        const int size = header->sectionSize(section);
        const QString title = model->headerData(section, Qt::Horizontal).toString().simplified();
        if (header->sectionSizeHint(section) > size)
            cut << title + QStringLiteral(": header");
        for (const QModelIndex& row : rows) {
            const QModelIndex cell = row.sibling(row.row(), section);
            if (view->itemDelegate(cell)->sizeHint(options, cell).width() > size)
                cut << title + QStringLiteral(": ") + cell.data().toString();
        }
    }
    return cut;
}
