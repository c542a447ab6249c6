#pragma once

#include "kuobjectview.h"

#include <QDialog>

#include <memory>

class QHeaderView;
class kuObjectColumnSettingModel;
class kuObjectColumnSettingProxyModel;

namespace Ui {
class kuObjectColumnSetting;
}

// Lets the user tick the columns of a view on and off. Edits the view's
// descriptors directly; the view applies or re-reads them afterwards.
class kuObjectColumnSetting : public QDialog
{
    Q_OBJECT
public:
    explicit kuObjectColumnSetting(kuObjectView::ColumnMap* columns, QWidget* parent = nullptr);
    ~kuObjectColumnSetting() override;

    // Sections hidden exactly when their descriptor is always hidden or not visible.
    static void applyToHeader(const kuObjectView::ColumnMap& columns, QHeaderView* header);
    // Visible flags from the header; always-hidden descriptors stay invisible.
    static void readFromHeader(kuObjectView::ColumnMap& columns, const QHeaderView* header);

private:
    std::unique_ptr<Ui::kuObjectColumnSetting> ui;
    kuObjectView::ColumnMap* m_columns;
    kuObjectColumnSettingModel* m_model;
    kuObjectColumnSettingProxyModel* m_proxy;
};
