#include "kuaccountwindowbase.h"

#include "kuaccountwindow.h"
#include "kucheckcombobox.h"
#include "kutreeview.h"
#include "kutreeviewproxymodel.h"

#include <QLineEdit>

void kuAccountWindowBase::setAccountWidgets(kuTreeView* view, kuTreeViewProxyModel* proxy, kuCheckComboBox* box,
                                            QLineEdit* search)
{
    m_tree = view;
    m_treeProxy = proxy;
    m_accountBox = box;
    m_searchLine = search;
}

void kuAccountWindowBase::connectAccountWidgets()
{
    connect(m_accountBox->model(), &QAbstractItemModel::dataChanged, this, &kuAccountWindowBase::slot_showAccounts);
    connect(m_searchLine, &QLineEdit::textEdited, this, &kuAccountWindowBase::slot_filterAccepted);
}

void kuAccountWindowBase::slot_showAccounts(QModelIndex, QModelIndex)
{
    m_treeProxy->setAccounts(kuAccountWindow::checkedAccounts(m_accountBox));
    // An account shown again comes back open or closed as the user left it.
    m_tree->applyAccountStates();
}

void kuAccountWindowBase::slot_filterAccepted(QString text)
{
    // Column 2, "Инструмент", as the search line's tool tip says.
    m_treeProxy->setColumnFilter(2, text.isEmpty() ? QString() : text);
}

QStringList kuAccountWindowBase::expandList() const
{
    return m_tree->openAccountList();
}

QVariantMap kuAccountWindowBase::chekedAccounts() const
{
    return kuAccountWindow::openAccounts(m_tree);
}

void kuAccountWindowBase::setChekedAccounts(const QVariantMap& accounts)
{
    kuAccountWindow::restoreAccounts(m_tree, m_accountBox, accounts);
}

QString kuAccountWindowBase::searchLine() const
{
    return m_searchLine->text();
}

void kuAccountWindowBase::setSearchLine(const QString& text)
{
    m_searchLine->setText(text);
    slot_filterAccepted(text);
}

QString kuAccountWindowBase::columnState() const
{
    return m_tree->columnState();
}

void kuAccountWindowBase::setColumnState(const QString& state)
{
    m_tree->setColumnState(state);
}
