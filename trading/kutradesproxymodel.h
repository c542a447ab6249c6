#pragma once

#include "kutreeviewproxymodel.h"

// Account checks, search and sorting of the trades window, as every account window has them.
class kuTradesProxyModel : public kuTreeViewProxyModel
{
    Q_OBJECT
public:
    explicit kuTradesProxyModel(QObject* parent = nullptr);
};
