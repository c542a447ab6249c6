#include "kuordersproxymodel.h"

kuOrdersProxyModel::kuOrdersProxyModel(QObject* parent) : kuTreeViewProxyModel(parent)
{}
