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

private:
    kuQuotesModel* quotesModel() const;
};
