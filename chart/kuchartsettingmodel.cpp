#include "kuchartsettingmodel.h"

#include "kuchartdialogs.h"
#include "kufunctions.h"

#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QJsonValue>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>

namespace {

const QString keyValue = QStringLiteral("value");
const QString keyName = QStringLiteral("name");
const QString keyLabel = QStringLiteral("label");
const QString keyParams = QStringLiteral("params");
const QString keyChildren = QStringLiteral("childrenObject");
const QString keyAvailable = QStringLiteral("availableValue");
const QString keyHidden = QStringLiteral("hidden");

QJsonValue jsonOf(const QVariant& value)
{
    if (value.userType() == QMetaType::QJsonValue)
        return value.value<QJsonValue>();
    return QJsonValue::fromVariant(value);
}

bool isColorText(const QString& text)
{
    return !text.isEmpty() && QColor::isValidColor(text);
}

// A cell holding a number without a list of values to choose from.
bool isNumberCell(const QModelIndex& index)
{
    const int type = index.data(Qt::EditRole).userType();
    return (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Int) &&
           index.data(kuChartSettingModel::AvailableValueRole).toJsonObject().isEmpty();
}

} // namespace

kuChartSettingItem::kuChartSettingItem(const QJsonObject& object, kuChartSettingItem* parent, const QString& ownerName)
    : m_parent(parent), m_object(object), m_ownerName(ownerName)
{}

kuChartSettingItem::~kuChartSettingItem()
{
    qDeleteAll(m_children);
}

kuChartSettingItem* kuChartSettingItem::appendChild(const QJsonObject& object, const QString& ownerName)
{
    auto* item = new kuChartSettingItem(object, this, ownerName);
    m_children.append(item);
    return item;
}

int kuChartSettingItem::row() const
{
    return m_parent ? m_parent->m_children.indexOf(const_cast<kuChartSettingItem*>(this)) : 0;
}

void kuChartSettingItem::removeChildren(int row, int count)
{
    for (int i = 0; i < count; ++i)
        delete m_children.takeAt(row);
}

kuChartSettingModel::kuChartSettingModel(const QJsonArray& entries, QObject* parent)
    : QAbstractItemModel(parent),
      m_root(new kuChartSettingItem(QJsonObject(), nullptr)), m_titles{tr("Параметр"), tr("Значение")}
{
    for (const QJsonValue& value : entries) {
        const QJsonObject entry = value.toObject();
        kuChartSettingItem* node = m_root->appendChild(entry);
        const QString owner = entry.value(keyName).toString();
        for (const QJsonValue& param : entry.value(keyParams).toArray())
            node->appendChild(param.toObject(), owner);
        for (const QJsonValue& child : entry.value(keyChildren).toArray()) {
            const QJsonObject childObject = child.toObject();
            const QString childName = childObject.value(keyName).toString();
            for (const QJsonValue& param : childObject.value(keyParams).toArray())
                node->appendChild(param.toObject(), childName);
        }
    }
}

kuChartSettingModel::~kuChartSettingModel()
{
    delete m_root;
}

kuChartSettingItem* kuChartSettingModel::itemOf(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<kuChartSettingItem*>(index.internalPointer()) : m_root;
}

QJsonArray kuChartSettingModel::paramsOf(const kuChartSettingItem* entry, const QString& owner)
{
    QJsonArray params;
    for (int i = 0; i < entry->childCount(); ++i) {
        const kuChartSettingItem* param = entry->child(i);
        if (param->ownerName() == owner)
            params.append(param->object());
    }
    return params;
}

QJsonArray kuChartSettingModel::toJson() const
{
    QJsonArray entries;
    for (int i = 0; i < m_root->childCount(); ++i) {
        const kuChartSettingItem* node = m_root->child(i);
        QJsonObject entry = node->object();
        if (entry.contains(keyParams))
            entry.insert(keyParams, paramsOf(node, entry.value(keyName).toString()));
        if (entry.contains(keyChildren)) {
            QJsonArray children = entry.value(keyChildren).toArray();
            for (int c = 0; c < children.size(); ++c) {
                QJsonObject child = children.at(c).toObject();
                child.insert(keyParams, paramsOf(node, child.value(keyName).toString()));
                children.replace(c, child);
            }
            entry.insert(keyChildren, children);
        }
        entries.append(entry);
    }
    return entries;
}

QModelIndex kuChartSettingModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!hasIndex(row, column, parent))
        return {};
    kuChartSettingItem* child = itemOf(parent)->child(row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex kuChartSettingModel::parent(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    kuChartSettingItem* parent = itemOf(index)->parent();
    if (!parent || parent == m_root)
        return {};
    return createIndex(parent->row(), 0, parent);
}

int kuChartSettingModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    return itemOf(parent)->childCount();
}

int kuChartSettingModel::columnCount(const QModelIndex&) const
{
    return 2;
}

QVariant kuChartSettingModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const QJsonObject& object = itemOf(index)->object();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (index.column() == 0)
            return object.value(keyLabel).toString();
        const QJsonValue value = QJsonValue::fromVariant(object.value(keyValue).toVariant());
        const QJsonObject available = object.value(keyAvailable).toObject();
        for (auto it = available.begin(); it != available.end(); ++it) {
            if (it.value() == value)
                return it.key();
        }
        return object.value(keyValue).toVariant();
    }
    case Qt::DecorationRole: {
        if (index.column() != 1)
            return {};
        const QString text = object.value(keyValue).toVariant().toString();
        if (!isColorText(text))
            return {};
        QPixmap swatch(23, 16);
        swatch.fill(QColor(text));
        QPainter painter(&swatch);
        painter.setPen(Qt::black);
        painter.drawRect(swatch.rect());
        return swatch;
    }
    case AvailableValueRole:
        return object.value(keyAvailable).toObject();
    case HiddenRole:
        return object.value(keyHidden).toBool(false);
    case NameRole:
        return object.value(keyName).toString();
    default:
        return {};
    }
}

bool kuChartSettingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 1)
        return false;
    if (data(index, Qt::EditRole) == value)
        return false;
    QJsonObject& object = itemOf(index)->object();
    if (!object.contains(keyValue))
        return false;
    QJsonValue stored = jsonOf(value);
    // Whole numbers come to the editor as 64-bit integers, which Qt edits as text:
    // a number goes back as a number, or the cell keeps its value.
    if (object.value(keyValue).isDouble() && stored.isString()) {
        double number = 0;
        if (!readTypedNumber(stored.toString(), -1, &number))
            return false;
        stored = number;
    }
    if (stored == object.value(keyValue))
        return false;
    // A colour cell takes only colours: the chart would drop anything else without a word.
    if (isColorText(object.value(keyValue).toString()) && !isColorText(stored.toString()))
        return false;
    object.insert(keyValue, stored);
    emit dataChanged(index, index, {Qt::EditRole});
    return true;
}

QVariant kuChartSettingModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return m_titles.value(section);
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    return {};
}

Qt::ItemFlags kuChartSettingModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags base = QAbstractItemModel::flags(index);
    return index.column() == 1 ? base | Qt::ItemIsEditable : base;
}

bool kuChartSettingModel::removeRows(int row, int count, const QModelIndex& parent)
{
    kuChartSettingItem* node = itemOf(parent);
    if (row < 0 || row + count > node->childCount())
        return false;
    if (count < 1)
        return true;
    beginRemoveRows(parent, row, row + count - 1);
    node->removeChildren(row, count);
    endRemoveRows();
    return true;
}

kuChartSettingProxyModel::kuChartSettingProxyModel(QObject* parent) : QSortFilterProxyModel(parent)
{}

bool kuChartSettingProxyModel::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const
{
    const QVariant hidden = sourceModel()->index(sourceRow, 0, sourceParent).data(kuChartSettingModel::HiddenRole);
    if (hidden.canConvert<bool>())
        return !hidden.toBool();
    return QSortFilterProxyModel::filterAcceptsRow(sourceRow, sourceParent);
}

kuChartSettingDelegate::kuChartSettingDelegate(QObject* parent) : QStyledItemDelegate(parent)
{}

QWidget* kuChartSettingDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                              const QModelIndex& index) const
{
    const QVariant data = index.data(kuChartSettingModel::AvailableValueRole);
    const QJsonObject available =
            data.userType() == QMetaType::QJsonObject ? data.toJsonObject() : QJsonObject::fromVariantMap(data.toMap());
    if (available.isEmpty() && isNumberCell(index)) {
        // Qt's own number editors read the decimal mark of the locale only, and the C locale's "," as groups.
        auto* edit = new QLineEdit(parent);
        edit->setFrame(false);
        return edit;
    }
    if (available.isEmpty())
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* combo = new QComboBox(parent);
    combo->setEditable(false);
    for (auto it = available.begin(); it != available.end(); ++it)
        combo->addItem(it.key(), QVariant::fromValue(it.value()));
    return combo;
}

void kuChartSettingDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit && isNumberCell(index)) {
        edit->setText(QString::number(index.data(Qt::EditRole).toDouble(), 'f', QLocale::FloatingPointShortest));
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void kuChartSettingDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit && isNumberCell(index)) {
        // What does not read as a number leaves the cell as it was.
        double number = 0;
        if (readTypedNumber(edit->text(), -1, &number))
            model->setData(index, number, Qt::EditRole);
        return;
    }
    if (auto* combo = qobject_cast<QComboBox*>(editor)) {
        model->setData(index, QVariant::fromValue(jsonOf(combo->currentData(Qt::UserRole))), Qt::EditRole);
        return;
    }
    QStyledItemDelegate::setModelData(editor, model, index);
}

bool kuChartSettingDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem&,
                                         const QModelIndex& index)
{
    if (event->type() != QEvent::MouseButtonDblClick || !model)
        return false;
    const QVariant display = index.data(Qt::DisplayRole);
    if (!isColorText(display.toString()))
        return false;
    const QColor initial = display.canConvert<QColor>() ? display.value<QColor>() : QColor();
    const QColor chosen = kuChartDialogs::color(initial, tr("Выбор цвета"), QColorDialog::ShowAlphaChannel);
    if (!chosen.isValid())
        return false;
    model->setData(index, chosen.name(), Qt::EditRole);
    return true;
}
