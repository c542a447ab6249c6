#include "kutradesproxymodel.h"

kuTradesProxyModel::kuTradesProxyModel(QObject* parent) : kuTreeViewProxyModel(parent)
{}
