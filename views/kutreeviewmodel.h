#pragma once

#include "kuobjectheaderitem.h"
#include "kuobjectmodelabstractitem.h"

#include <QAbstractItemModel>
#include <QList>
#include <QSharedPointer>
#include <QVector>

// The two-level model behind the account windows: one top row per account,
// its item rows beneath. Derived models answer the top rows themselves.
//
// Every index carries a 32-bit id: top row r has id r; child c of top row r
// has ((c + 1) << k) | r with k = ceil(topRows / 2). Ids therefore change
// with the number of top rows; the model re-encodes its persistent indexes
// whenever that happens, so proxies and views keep naming the same rows.
class kuTreeViewModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role
    {
        TitleRole = Qt::UserRole + 1,
        AccountRole = Qt::UserRole + 2,
        SortRole = Qt::UserRole + 3,
        ItemTypeRole = Qt::UserRole + 4,
        SummaryRole = Qt::UserRole + 5
    };
    // The 32-bit encoding holds this many top rows (k up to 31).
    static constexpr int maxTopRows = 62;

    explicit kuTreeViewModel(QObject* parent = nullptr);
    ~kuTreeViewModel() override;

    // The new top row, or -1 when the encoding holds no more.
    virtual int appendTopItem(const QString& name);
    virtual void removeTopRow(int row);
    virtual void appendChildren(int topRow, const QList<QSharedPointer<kuObjectModelAbstractItem>>& items);
    // False for a null item, a top row that does not exist or a row the encoding cannot hold.
    virtual bool appendChild(int topRow, const QSharedPointer<kuObjectModelAbstractItem>& item);
    virtual void clear();
    virtual QVariant itemData(int topRow, int childRow, int column, int role) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void setColumns(const QList<QSharedPointer<kuObjectHeaderItem>>& columns);

    int topRowBits() const;
    quint32 topRowMask() const;

protected:
    // The top row an index of this model belongs to (its own row for a top row), or -1.
    int topRowOf(const QModelIndex& index) const;
    bool isTopRow(const QModelIndex& index) const;
    // How many more rows the encoding holds under the top row (0 for no such row).
    int roomUnder(int topRow) const;

    QVector<QList<QSharedPointer<kuObjectModelAbstractItem>>> m_children;
    QList<QString> m_topNames;
    QList<QSharedPointer<kuObjectHeaderItem>> m_columns;

private:
    static int bitsFor(int topRows);
    static quint32 maskFor(int bits);
    // The id of child c under top row r, or false when the encoding cannot hold it.
    static bool childId(int childRow, int topRow, int bits, quint32* id);
    // Moves the persistent indexes to the encoding with newBits; removedTop >= 0
    // names a top row just removed, whose followers moved up by one.
    void reencode(int newBits, int removedTop);

    int m_bits = 0;
};
