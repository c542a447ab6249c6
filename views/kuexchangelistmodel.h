#pragma once

#include <QAbstractListModel>
#include <QMap>
#include <QPair>
#include <QSet>
#include <QString>

// Exchange choices of the chooser: "Все" under key 0 for every exchange
// given, then one row per exchange in id order. Each row's set of exchange
// ids is its value under ExchangesRole.
class kuExchangeListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        ExchangesRole = Qt::UserRole + 1
    };

    explicit kuExchangeListModel(QObject* parent = nullptr);

    void setExchanges(const QMap<int, QString>& exchanges);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    QMap<int, QPair<QString, QSet<int>>> m_rows;
};
