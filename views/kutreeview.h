#pragma once

#include "kuobjectview.h"

#include <QTreeView>

class kuTreeViewDelegate;

// Tree of the account windows over a kuTreeViewProxyModel: accounts painted
// as one spanning line, item rows beneath; starts instrument drags.
class kuTreeView : public QTreeView, public kuObjectView
{
    Q_OBJECT
public:
    explicit kuTreeView(QWidget* parent = nullptr);

    // Takes a kuTreeViewProxyModel and hands it the column map; another model gets no columns.
    void setModel(QAbstractItemModel* model) override;
    void readColumnState() override;
    void applyColumnState() override;
    void fitColumns();
    void setGridColor(const QColor& color);
    kuTreeViewDelegate* delegate() const;

    // The header layout of a window's "columnState" property.
    QString columnState() const;
    void setColumnState(const QString& state);

public slots:
    void columnSetting() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void toggleTopRow(const QModelIndex& index);

    kuTreeViewDelegate* m_delegate;
};
