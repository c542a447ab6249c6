#pragma once

#include "kuobjectview.h"

#include <QTableView>

// Table of every flat list window over a kuTableViewProxyModel. Starts
// instrument drags from rows its subclass recorded and accepts instrument drops.
class kuTableView : public QTableView, public kuObjectView
{
    Q_OBJECT
public:
    explicit kuTableView(QWidget* parent = nullptr);

    // Takes a kuTableViewProxyModel and hands it the column map; another model gets no columns.
    void setModel(QAbstractItemModel* model) override;
    void readColumnState() override;
    void applyColumnState() override;
    void fitColumns();

    // The header layout of a window's "columnState" property.
    QString columnState() const;
    void setColumnState(const QString& state);

public slots:
    void columnSetting() override;

signals:
    void on_dropPaperID(int paperID);

protected:
    QVector<QModelIndex> shownRows() const override;
    int cellWidth(const QModelIndex& index) const override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QVector<int>& roles = QVector<int>()) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};
