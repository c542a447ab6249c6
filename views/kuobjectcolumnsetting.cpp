#include "kuobjectcolumnsetting.h"

#include "kuobjectcolumnsettingmodel.h"
#include "kuobjectcolumnsettingproxymodel.h"
#include "ui_kuobjectcolumnsetting.h"

#include <QHeaderView>

kuObjectColumnSetting::kuObjectColumnSetting(kuObjectView::ColumnMap* columns, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::kuObjectColumnSetting>()), m_columns(columns)
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("kuObjectColumnSetting"));
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    m_model = new kuObjectColumnSettingModel(columns, this);
    m_proxy = new kuObjectColumnSettingProxyModel(this);
    m_proxy->setSourceModel(m_model);
    ui->columnView->setModel(m_proxy);
}

kuObjectColumnSetting::~kuObjectColumnSetting() = default;

void kuObjectColumnSetting::applyToHeader(const kuObjectView::ColumnMap& columns, QHeaderView* header)
{
    if (!header)
        return;
    for (auto it = columns.constBegin(); it != columns.constEnd(); ++it) {
        if (it.key() < 0 || it.key() >= header->count() || !it.value())
            continue;
        header->setSectionHidden(it.key(), it.value()->isAlwaysHidden() || !it.value()->isVisible());
    }
}

void kuObjectColumnSetting::readFromHeader(kuObjectView::ColumnMap& columns, const QHeaderView* header)
{
    if (!header)
        return;
    for (auto it = columns.begin(); it != columns.end(); ++it) {
        kuObjectHeaderItem* column = it.value().data();
        if (!column)
            continue;
        if (column->isAlwaysHidden())
            column->setVisible(false);
        else if (it.key() >= 0 && it.key() < header->count())
            column->setVisible(!header->isSectionHidden(it.key()));
    }
}
