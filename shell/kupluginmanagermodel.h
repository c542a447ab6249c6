#pragma once

#include <QAbstractItemModel>
#include <QList>
#include <QSharedPointer>
#include <QStringList>
#include <QVector>

class kuPluginManagerItem;

// The plug-in catalogue as a two-level tree: group rows, each with its
// plug-in rows. The items are owned by the model's shared pointers only.
class kuPluginManagerModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    enum Role
    {
        DescriptionRole = Qt::UserRole + 1,
        SummaryRole = Qt::UserRole + 2,
        VersionRole = Qt::UserRole + 3,
        InstalledRole = Qt::UserRole + 4,
        EnabledRole = Qt::UserRole + 5,
        ReservedRole = Qt::UserRole + 6,
        GuidRole = Qt::UserRole + 8,
        ProgressRole = Qt::UserRole + 9,
        PriceRole = Qt::UserRole + 11
    };

    explicit kuPluginManagerModel(QObject* parent = nullptr);
    ~kuPluginManagerModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    virtual int addGroup(const QString& title);
    virtual void removeGroup(int group);
    virtual void appendItems(int group, const QList<QSharedPointer<kuPluginManagerItem>>& items);
    virtual bool appendItem(int group, const QSharedPointer<kuPluginManagerItem>& item);
    virtual void clearGroup(int group);
    virtual void clear();

    kuPluginManagerItem* itemAt(const QModelIndex& index) const;

signals:
    void needUpdate(QModelIndex index);

public slots:
    void install(const QModelIndex& index);
    void update(const QModelIndex& index);
    void enable(const QModelIndex& index);
    void disable(const QModelIndex& index);
    void remove(const QModelIndex& index);
    void cancel(const QModelIndex& index);
    void cancelAll();
    void slot_itemNeedUpdate();

private:
    void invokeOnItem(const QModelIndex& index, const char* slot);
    int groupBits() const;
    static int groupBits(int groups);
    QString summary(int group) const;

    QVector<QList<QSharedPointer<kuPluginManagerItem>>> m_groups;
    QStringList m_titles;
};
