#pragma once

#include "kutableviewmodel.h"

// Instrument rows of the chooser and the order entry's completer.
class kuPaperListModel : public kuTableViewModel
{
    Q_OBJECT
public:
    enum Role
    {
        PaperIDRole = Qt::UserRole + 3,
        ExchangeIDRole = Qt::UserRole + 4
    };

    explicit kuPaperListModel(QObject* parent = nullptr);

    // The ids answer only for rows whose record is alive.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Replaces every row in one reset.
    void setItems(const QVector<QSharedPointer<kuObjectModelAbstractItem>>& items);
};
