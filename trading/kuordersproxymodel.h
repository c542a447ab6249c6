#pragma once

#include "kutreeviewproxymodel.h"

// Account checks, search and sorting of the orders window, as every account window has them.
class kuOrdersProxyModel : public kuTreeViewProxyModel
{
    Q_OBJECT
public:
    explicit kuOrdersProxyModel(QObject* parent = nullptr);
};
