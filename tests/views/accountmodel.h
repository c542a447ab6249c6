#pragma once

#include "kutreeviewmodel.h"

// A tree model that answers its account rows as the windows' models do:
// role 258 the account (also on item rows), 257 a title, 261 a summary.
class AccountModel : public kuTreeViewModel
{
public:
    using kuTreeViewModel::kuTreeViewModel;

    QVariant data(const QModelIndex& index, int role) const override
    {
        const int top = topRowOf(index);
        if (top >= 0 && role == AccountRole)
            return m_topNames.at(top);
        if (top >= 0 && isTopRow(index)) {
            if (role == TitleRole)
                return QStringLiteral("Счёт %1").arg(m_topNames.at(top));
            if (role == SummaryRole)
                return QStringLiteral("%1 поз.").arg(m_children.at(top).size());
        }
        return kuTreeViewModel::data(index, role);
    }
};
