#include "kucheckcombobox.h"

#include <QListView>
#include <QStandardItemModel>
#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace {
// Text box inside the face: clear of the frame on the left, of the arrow on the right.
const int textLeft = 4;
const int textTop = 1;
const int textRight = -22;
const int textBottom = 0;
} // namespace

kuCheckComboBox::kuCheckComboBox(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("kuCheckComboBox"));
    initialize();
}

void kuCheckComboBox::initialize()
{
    if (auto* list = qobject_cast<QListView*>(view())) {
        list->setSpacing(2);
        list->setAlternatingRowColors(true);
    }
    connect(model(), &QAbstractItemModel::rowsInserted, this, &kuCheckComboBox::handlerRowsInserted);
    connect(model(), &QAbstractItemModel::rowsRemoved, this, &kuCheckComboBox::handlerRowsRemoved);
    if (auto* standard = qobject_cast<QStandardItemModel*>(model()))
        connect(standard, &QStandardItemModel::itemChanged, this, &kuCheckComboBox::handlerItemChanged);
}

void kuCheckComboBox::setCheckedItems(const QStringList& items)
{
    auto* standard = qobject_cast<QStandardItemModel*>(model());
    if (standard && standard->rowCount() > 0) {
        for (int row = 0; row < standard->rowCount(); ++row) {
            if (QStandardItem* item = standard->item(row, 0))
                item->setCheckState(items.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
        }
    }
    collectCheckedItems();
}

void kuCheckComboBox::handlerRowsInserted(const QModelIndex&, int start, int end)
{
    auto* standard = qobject_cast<QStandardItemModel*>(model());
    if (!standard)
        return;
    const bool blocked = standard->blockSignals(true);
    for (int row = start; row <= end; ++row) {
        if (QStandardItem* item = standard->item(row, 0)) {
            // Entries are checked, never selected.
            item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
            item->setCheckState(Qt::Unchecked);
        }
    }
    standard->blockSignals(blocked);
}

void kuCheckComboBox::handlerRowsRemoved(const QModelIndex&, int, int)
{
    collectCheckedItems();
}

void kuCheckComboBox::handlerItemChanged(QStandardItem*)
{
    collectCheckedItems();
}

void kuCheckComboBox::collectCheckedItems()
{
    m_checkedItems.clear();
    for (int row = 0; row < count(); ++row) {
        if (itemData(row, Qt::CheckStateRole).toInt() == Qt::Checked)
            m_checkedItems.append(itemText(row));
    }
    updateDisplayText();
    repaint();
}

void kuCheckComboBox::updateDisplayText()
{
    const QString joined = m_checkedItems.join(QStringLiteral(", "));
    setToolTip(joined);
    m_displayText = fontMetrics().elidedText(joined, Qt::ElideRight, textRect().width());
}

QRect kuCheckComboBox::textRect() const
{
    return rect().adjusted(textLeft, textTop, textRight, textBottom);
}

void kuCheckComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));

    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);

    painter.drawText(textRect(), Qt::AlignLeft | Qt::AlignVCenter, m_displayText);
}

void kuCheckComboBox::resizeEvent(QResizeEvent* event)
{
    QComboBox::resizeEvent(event);
    updateDisplayText();
}
