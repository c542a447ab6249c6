#include "kuaccountwindowbase.h"

#include "kucheckcombobox.h"
#include "kutreeview.h"
#include "kutreeviewmodel.h"
#include "kutreeviewproxymodel.h"

#include <QLineEdit>

kuAccountWindowBase::~kuAccountWindowBase()
{
    // The view goes with the window; it must not outlive its model's proxy in between.
    if (m_tree)
        m_tree->setModel(nullptr);
    delete m_treeProxy;
}

void kuAccountWindowBase::setUpAccountTree(kuTreeView* view, kuTreeViewProxyModel* proxy, kuTreeViewModel* model,
                                           kuCheckComboBox* box, QLineEdit* search,
                                           const QList<QSharedPointer<kuObjectHeaderItem>>& columns)
{
    m_tree = view;
    m_treeProxy = proxy;
    m_treeModel = model;
    m_accountBox = box;
    m_searchLine = search;
    kuAccountWindow::setUpView(view, proxy, model, columns);
}

void kuAccountWindowBase::connectAccountWidgets()
{
    connect(m_accountBox->model(), &QAbstractItemModel::dataChanged, this, &kuAccountWindowBase::slot_showAccounts);
    connect(m_searchLine, &QLineEdit::textEdited, this, &kuAccountWindowBase::slot_filterAccepted);
}

void kuAccountWindowBase::loadAccounts()
{
    kuAccountWindow::loadAccounts(m_accountBox, m_tree);
}

void kuAccountWindowBase::showAccountRows(const ParsedRows& rows)
{
    kuAccountWindow::showSnapshot(m_treeProxy, rows);
    m_tree->applyAccountStates();
    hideLightBox();
}

void kuAccountWindowBase::applyAccountRows(const ParsedRows& rows, int role)
{
    kuAccountWindow::applyRows(m_tree, m_treeModel, rows, role);
}

QJsonObject kuAccountWindowBase::saveAccountSettings(const QString& group, const QString& accountLabel,
                                                     const QString& searchLabel)
{
    return kuAccountWindow::saveSettings(kuWindowBase::saveSettings(), group, windowTitle(), accountLabel,
                                         chekedAccounts(), searchLabel, searchLine(), columnState());
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
