#pragma once

#include "kutableviewproxymodel.h"

#include <QJsonObject>

class kuQuotesModel;

// Sort proxy of the quotes table; hands the window's records on to a kuQuotesModel source.
class kuQuotesProxyModel : public kuTableViewProxyModel
{
    Q_OBJECT
public:
    explicit kuQuotesProxyModel(QObject* parent = nullptr);

    void appendQuote(const QJsonObject& quote);
    void updateQuote(const QJsonObject& quote);
    // The index may be of this proxy or of the model.
    void removeQuote(const QModelIndex& index);
    // Sorts again by the current sort column, unless the rows already stand in its order:
    // a sort reports a new layout, on which the table and its header repaint.
    void sortAgain();

protected:
    // The rows' own values compared directly, in the order of the generic comparison.
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    kuQuotesModel* quotesModel() const;
    bool inOrder() const;
};
