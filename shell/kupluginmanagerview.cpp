#include "kupluginmanagerview.h"

#include "kupluginmanagerdelegate.h"
#include "kupluginmanagermodel.h"

kuPluginManagerView::kuPluginManagerView(QWidget* parent)
    : QTreeView(parent), m_delegate(new kuPluginManagerDelegate(this))
{
    setItemDelegate(m_delegate);
    setIndentation(0);
}

kuPluginManagerDelegate* kuPluginManagerView::delegate() const
{
    return m_delegate;
}

void kuPluginManagerView::setModel(QAbstractItemModel* model)
{
    if (model == this->model())
        return;
    QTreeView::setModel(model);
    auto* catalogue = qobject_cast<kuPluginManagerModel*>(model);
    if (!catalogue || !m_delegate)
        return;
    connect(m_delegate, &kuPluginManagerDelegate::install, catalogue, &kuPluginManagerModel::install);
    connect(m_delegate, &kuPluginManagerDelegate::remove, catalogue, &kuPluginManagerModel::remove);
    connect(m_delegate, &kuPluginManagerDelegate::update, catalogue, &kuPluginManagerModel::update);
    connect(m_delegate, &kuPluginManagerDelegate::enable, catalogue, &kuPluginManagerModel::enable);
    connect(m_delegate, &kuPluginManagerDelegate::disable, catalogue, &kuPluginManagerModel::disable);
    connect(m_delegate, &kuPluginManagerDelegate::cancel, catalogue, &kuPluginManagerModel::cancel);
    connect(catalogue, &kuPluginManagerModel::needUpdate, m_delegate, &QAbstractItemDelegate::sizeHintChanged);
}
