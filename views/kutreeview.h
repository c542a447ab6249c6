#pragma once

#include "kuobjectview.h"

#include <QMap>
#include <QStringList>
#include <QTreeView>
#include <QVariantMap>

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

    // Each account's row open or closed as the user left it, by account code: a new
    // snapshot or an account shown again after a filter change comes back so.
    // An account nobody opened or closed yet is opened here unless it is known.
    void openAccountByDefault(const QString& account);
    // Saved states replace what is known; their rows are opened and closed at once.
    void setAccountStates(const QVariantMap& accounts);
    // The accounts known open, in account order.
    QStringList openAccountList() const;
    // Opens and closes the model's account rows as known; rows of unknown accounts stay as they are.
    void applyAccountStates();
    // Where an account row with rows shows its arrow, in viewport coordinates (empty when it has none).
    QRect accountArrowRect(const QModelIndex& account) const;

public slots:
    void columnSetting() override;

protected:
    QVector<QModelIndex> shownRows() const override;
    int cellWidth(const QModelIndex& index) const override;
    bool viewportEvent(QEvent* event) override;
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QVector<int>& roles = QVector<int>()) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    void toggleTopRow(const QModelIndex& index);
    void noteAccount(const QModelIndex& index, bool open);
    // The logical index of the first shown column, or -1.
    int firstShownColumn() const;

    kuTreeViewDelegate* m_delegate;
    QMap<QString, bool> m_accountOpen;
};
