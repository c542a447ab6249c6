#include "kuchartsettingmodel.h"

#include "kuchartdialogs.h"
#include "kufunctions.h"

#include <QApplication>
#include <QColor>
#include <QComboBox>
#include <QEvent>
#include <QJsonValue>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QValidator>

#include <cmath>

namespace {

const QString keyValue = QStringLiteral("value");
const QString keyName = QStringLiteral("name");
const QString keyLabel = QStringLiteral("label");
const QString keyParams = QStringLiteral("params");
const QString keyChildren = QStringLiteral("childrenObject");
const QString keyAvailable = QStringLiteral("availableValue");
const QString keyHidden = QStringLiteral("hidden");
const QString keyWholeNumber = QStringLiteral("wholeNumber");
const QColor refusedBackground(255, 214, 214);

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

bool readCellNumber(const QString& text, bool wholeNumber, double* number)
{
    return readTypedNumber(text, wholeNumber ? 0 : -1, number);
}

// Keeps Enter and Tab from leaving a number cell with a text that is no number for it.
class NumberTextValidator : public QValidator
{
public:
    NumberTextValidator(bool wholeNumber, QObject* parent) : QValidator(parent), m_wholeNumber(wholeNumber) {}

    State validate(QString& text, int&) const override
    {
        double number = 0;
        return readCellNumber(text, m_wholeNumber, &number) ? Acceptable : Intermediate;
    }

private:
    bool m_wholeNumber;
};

// The editor says, while the text is typed, whether the cell will take it.
void markEditor(QLineEdit* edit, bool wholeNumber)
{
    const bool refused = !edit->hasAcceptableInput();
    // A style sheet, since the theme's own would win over a palette.
    edit->setStyleSheet(refused ? QStringLiteral("QLineEdit { background: %1; }").arg(refusedBackground.name())
                                : QString());
    edit->setToolTip(refused ? kuChartSettingDelegate::refusal(wholeNumber) : QString());
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

QModelIndex kuChartSettingModel::firstRefused() const
{
    for (int i = 0; i < m_root->childCount(); ++i) {
        const kuChartSettingItem* entry = m_root->child(i);
        for (int j = 0; j < entry->childCount(); ++j) {
            if (entry->child(j)->isRefused())
                return index(j, 1, index(i, 0));
        }
    }
    return {};
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
    const kuChartSettingItem* item = itemOf(index);
    const QJsonObject& object = item->object();
    const bool refused = index.column() == 1 && item->isRefused();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole: {
        if (index.column() == 0)
            return object.value(keyLabel).toString();
        if (refused && role == Qt::DisplayRole)
            return item->refusedText();
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
    case WholeNumberRole:
        return object.value(keyWholeNumber).toBool(false);
    case RefusedTextRole:
        return item->isRefused() ? QVariant(item->refusedText()) : QVariant();
    case Qt::ToolTipRole:
        // A name too long for its column is read here in full.
        if (index.column() == 0)
            return object.value(keyLabel).toString();
        if (refused)
            return kuChartSettingDelegate::refusal(object.value(keyWholeNumber).toBool(false));
        return {};
    case Qt::BackgroundRole:
        return refused ? QVariant(QBrush(refusedBackground)) : QVariant();
    default:
        return {};
    }
}

bool kuChartSettingModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if ((role != Qt::EditRole && role != RefusedTextRole) || !index.isValid() || index.column() != 1)
        return false;
    kuChartSettingItem* item = itemOf(index);
    QJsonObject& object = item->object();
    if (!object.contains(keyValue))
        return false;
    if (role == RefusedTextRole) {
        const bool refused = value.isValid();
        const QString text = value.toString();
        if (refused == item->isRefused() && text == item->refusedText())
            return false;
        item->setRefused(refused, text);
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::ToolTipRole, Qt::BackgroundRole});
        return true;
    }
    // A value taken replaces a refused text, even the value the cell had.
    const bool wasRefused = item->isRefused();
    auto settle = [&] {
        if (!wasRefused)
            return false;
        item->setRefused(false);
        emit dataChanged(index, index, {Qt::DisplayRole, Qt::ToolTipRole, Qt::BackgroundRole});
        return true;
    };
    if (data(index, Qt::EditRole) == value)
        return settle();
    QJsonValue stored = jsonOf(value);
    const bool wholeNumber = object.value(keyWholeNumber).toBool(false);
    // Whole numbers come to the editor as 64-bit integers, which Qt edits as text:
    // a number goes back as a number, or the cell keeps its value.
    if (object.value(keyValue).isDouble() && stored.isString()) {
        double number = 0;
        if (!readCellNumber(stored.toString(), wholeNumber, &number))
            return false;
        stored = number;
    }
    // The object would skip a fraction for a whole-number parameter when the settings are saved.
    if (wholeNumber && stored.isDouble() && stored.toDouble() != std::trunc(stored.toDouble()))
        return false;
    if (stored == object.value(keyValue))
        return settle();
    // A colour cell takes only colours: the chart would drop anything else without a word.
    if (isColorText(object.value(keyValue).toString()) && !isColorText(stored.toString()))
        return false;
    object.insert(keyValue, stored);
    item->setRefused(false);
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
        const bool wholeNumber = index.data(kuChartSettingModel::WholeNumberRole).toBool();
        edit->setValidator(new NumberTextValidator(wholeNumber, edit));
        connect(edit, &QLineEdit::textChanged, edit, [edit, wholeNumber] { markEditor(edit, wholeNumber); });
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
        // A refused text comes back to be mended.
        const QVariant refused = index.data(kuChartSettingModel::RefusedTextRole);
        edit->setText(refused.isValid() ? refused.toString()
                                        : QString::number(index.data(Qt::EditRole).toDouble(), 'f',
                                                          QLocale::FloatingPointShortest));
        markEditor(edit, index.data(kuChartSettingModel::WholeNumberRole).toBool());
        return;
    }
    QStyledItemDelegate::setEditorData(editor, index);
}

void kuChartSettingDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    auto* edit = qobject_cast<QLineEdit*>(editor);
    if (edit && isNumberCell(index)) {
        // What is no number for the cell leaves its value as it was, and stays in it as refused.
        double number = 0;
        if (readCellNumber(edit->text(), index.data(kuChartSettingModel::WholeNumberRole).toBool(), &number))
            model->setData(index, number, Qt::EditRole);
        else
            model->setData(index, edit->text(), kuChartSettingModel::RefusedTextRole);
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

QString kuChartSettingDelegate::refusal(bool wholeNumber)
{
    return wholeNumber ? tr("Не принято: введите целое число") : tr("Не принято: введите число");
}

bool kuChartSettingDelegate::eventFilter(QObject* editor, QEvent* event)
{
    // Qt closes an editor whose text its validator does not take without handing the text on.
    auto* edit = qobject_cast<QLineEdit*>(editor);
    const bool leaving = edit && event->type() == QEvent::FocusOut &&
                         (!edit->isActiveWindow() || QApplication::focusWidget() != edit) &&
                         !edit->isAncestorOf(QApplication::focusWidget());
    if (leaving && edit->validator() && !edit->hasAcceptableInput())
        emit commitData(edit);
    return QStyledItemDelegate::eventFilter(editor, event);
}
