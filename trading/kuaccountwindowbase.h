#pragma once

#include "kuaccountwindow.h"
#include "kuwindowbase.h"

#include <QJsonObject>
#include <QList>
#include <QModelIndex>
#include <QSharedPointer>
#include <QStringList>
#include <QVariantMap>

class QLineEdit;
class kuCheckComboBox;
class kuObjectHeaderItem;
class kuTreeView;
class kuTreeViewModel;
class kuTreeViewProxyModel;

// What the orders and trades windows share over their tree: the account checks,
// the search line, the column layout, the accounts to open, and how a snapshot,
// an update and the settings reach the tree. A window adds its columns, its
// record and its stream.
class kuAccountWindowBase : public kuWindowBase
{
    Q_OBJECT
    Q_PROPERTY(QVariantMap chekedAccounts READ chekedAccounts WRITE setChekedAccounts)
    Q_PROPERTY(QString searchLine READ searchLine WRITE setSearchLine)
    Q_PROPERTY(QString columnState READ columnState WRITE setColumnState)

public:
    // Account code -> QVariant holding a list of shared row pointers.
    using ParsedRows = kuAccountWindow::ParsedRows;

    using kuWindowBase::kuWindowBase;
    ~kuAccountWindowBase() override;

    QVariantMap chekedAccounts() const;
    void setChekedAccounts(const QVariantMap& accounts);
    QString searchLine() const;
    void setSearchLine(const QString& text);
    QString columnState() const;
    void setColumnState(const QString& state);

    kuCheckComboBox* accountBox() const { return m_accountBox; }
    // The accounts whose rows open with the next snapshot.
    QStringList expandList() const;

public slots:
    void slot_showAccounts(QModelIndex topLeft, QModelIndex bottomRight);
    void slot_filterAccepted(QString text);

protected:
    // The window's widgets from its form and its model, before anything reads them:
    // the proxy over the model and the view over the proxy with the columns. The
    // proxy is the window's from now on: it goes before the window's widgets do.
    void setUpAccountTree(kuTreeView* view, kuTreeViewProxyModel* proxy, kuTreeViewModel* model, kuCheckComboBox* box,
                          QLineEdit* search, const QList<QSharedPointer<kuObjectHeaderItem>>& columns);
    // Changed checks and typed text filter the tree from now on.
    void connectAccountWidgets();
    // For subscribe(): every account of the session in the box, checked; the current one opens.
    void loadAccounts();
    // For the snapshot's slot: the rows replace the tree, the accounts open as the user left them
    // and the busy overlay goes.
    void showAccountRows(const ParsedRows& rows);
    // For an update: each account's rows to its account row with the role, in one repaint.
    void applyAccountRows(const ParsedRows& rows, int role);
    // kuWindowBase::saveSettings with the window's one group of the three properties.
    QJsonObject saveAccountSettings(const QString& group, const QString& accountLabel, const QString& searchLabel);

private:
    kuCheckComboBox* m_accountBox = nullptr;
    QLineEdit* m_searchLine = nullptr;
    kuTreeView* m_tree = nullptr;
    kuTreeViewProxyModel* m_treeProxy = nullptr;
    kuTreeViewModel* m_treeModel = nullptr;
};
