#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QIcon>
#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;

// Menus and commands of the main window as a tree addressed by slash paths
// ("mFile/mRemoveWorkspace"), shown as an item model with three columns.
class kuActionsModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit kuActionsModel(QObject* parent = nullptr);
    ~kuActionsModel() override;

    static QString cleanPath(const QString& path);

    QAction* addMenu(const QString& path, const QString& text = QString(), const QIcon& icon = QIcon());
    QAction* addAction(const QString& path, const QString& text = QString(), const QIcon& icon = QIcon());
    bool addAction(const QString& path, QAction* action);
    QAction* addSeparator(const QString& path, const QString& text = QString());

    QAction* action(const QString& path) const;
    QString path(QAction* action) const;
    QAction* parentAction(QAction* action) const;
    QList<QAction*> children(QAction* action = nullptr) const;

    bool removeAction(QAction* action, bool removeEmptyParents = false);
    bool removeAction(const QString& path, bool removeEmptyParents = false);
    void clear();

    bool setShortcut(QAction* action, const QKeySequence& shortcut, QString* error = nullptr);
    bool setShortcut(const QString& path, const QKeySequence& shortcut, QString* error = nullptr);
    void setDefaultShortcut(QAction* action, const QKeySequence& shortcut);
    void setDefaultShortcut(const QString& path, const QKeySequence& shortcut);
    QKeySequence defaultShortcut(QAction* action) const;
    QKeySequence defaultShortcut(const QString& path) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void actionInserted(QAction* node);
    void actionChanged(QAction* action);
    void actionRemoved(QAction* action);
    void actionsCleared();

public slots:
    void actionChanged();
    void actionDestroyed(QObject* object);

protected:
    QAction* menuAction(const QString& path);
    void insertAction(const QString& path, QAction* action, QAction* parent, int row);

private:
    QModelIndex indexOf(QAction* action, int column = 0) const;
    void removeRegistered(QAction* action, bool destroyed);
    void unregister(QAction* action);

    QHash<QAction*, QList<QAction*>> m_children;
    QHash<QString, QAction*> m_paths;
};
