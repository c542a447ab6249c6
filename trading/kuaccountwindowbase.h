#pragma once

#include "kuwindowbase.h"

#include <QModelIndex>
#include <QStringList>
#include <QVariantMap>

class QLineEdit;
class kuCheckComboBox;
class kuTreeView;
class kuTreeViewProxyModel;

// What the orders and trades windows share over their tree: the account checks,
// the search line, the column layout and the accounts to open.
class kuAccountWindowBase : public kuWindowBase
{
    Q_OBJECT

public:
    using kuWindowBase::kuWindowBase;

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
    // The window's widgets from its form, before anything reads them.
    void setAccountWidgets(kuTreeView* view, kuTreeViewProxyModel* proxy, kuCheckComboBox* box, QLineEdit* search);
    // Changed checks and typed text filter the tree from now on.
    void connectAccountWidgets();

    kuCheckComboBox* m_accountBox = nullptr;
    QLineEdit* m_searchLine = nullptr;
    kuTreeView* m_tree = nullptr;

private:
    kuTreeViewProxyModel* m_treeProxy = nullptr;
};
