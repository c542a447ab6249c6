#include "kuactionsmodel.h"

#include <QAction>
#include <QDir>
#include <QFont>
#include <QMenu>

namespace {

// Mnemonic markers are noise in lists and messages; an escaped "&&" stays.
QString withoutMnemonics(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) != QLatin1Char('&')) {
            result.append(text.at(i));
        } else if (i + 1 < text.size() && text.at(i + 1) == QLatin1Char('&')) {
            result.append(QLatin1String("&&"));
            ++i;
        }
    }
    return result;
}

const char* const defaultShortcutProperty = "Default Shortcut";

} // namespace

kuActionsModel::kuActionsModel(QObject* parent) : QAbstractItemModel(parent)
{}

kuActionsModel::~kuActionsModel()
{
    clear();
}

QString kuActionsModel::cleanPath(const QString& path)
{
    // Backslashes first, so that they are cleaned like any other separator.
    QString result = QDir::cleanPath(QString(path).replace(QLatin1Char('\\'), QLatin1Char('/')));
    result = result.trimmed();
    while (result.startsWith(QLatin1Char('/')))
        result.remove(0, 1);
    while (result.endsWith(QLatin1Char('/')))
        result.chop(1);
    return result;
}

QAction* kuActionsModel::addMenu(const QString& path, const QString& text, const QIcon& icon)
{
    QAction* action = menuAction(path);
    if (action) {
        action->setIcon(icon);
        if (!text.isEmpty())
            action->setText(text);
    }
    return action;
}

QAction* kuActionsModel::addAction(const QString& path, const QString& text, const QIcon& icon)
{
    auto* action = new QAction(icon, text, this);
    if (!addAction(path, action)) {
        delete action;
        return nullptr;
    }
    return action;
}

bool kuActionsModel::addAction(const QString& path, QAction* action)
{
    if (!action || !this->path(action).isEmpty())
        return false;
    const QString clean = cleanPath(path);
    if (clean.isEmpty() || m_paths.contains(clean))
        return false;

    QAction* parent = nullptr;
    const int slash = clean.lastIndexOf(QLatin1Char('/'));
    if (slash >= 0) {
        parent = menuAction(clean.left(slash));
        if (!parent)
            return false;
    }
    insertAction(clean, action, parent, m_children.value(parent).size());
    return true;
}

QAction* kuActionsModel::addSeparator(const QString& path, const QString& text)
{
    auto* action = new QAction(text, this);
    action->setSeparator(true);
    if (!addAction(path, action)) {
        delete action;
        return nullptr;
    }
    return action;
}

QAction* kuActionsModel::action(const QString& path) const
{
    return m_paths.value(cleanPath(path));
}

QString kuActionsModel::path(QAction* action) const
{
    if (!action)
        return QString();
    return m_paths.key(action);
}

QAction* kuActionsModel::parentAction(QAction* action) const
{
    const QString own = path(action);
    const int slash = own.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return nullptr;
    return m_paths.value(own.left(slash));
}

QList<QAction*> kuActionsModel::children(QAction* action) const
{
    return m_children.value(action);
}

bool kuActionsModel::removeAction(QAction* action, bool removeEmptyParents)
{
    // An action we do not hold is not removed, so it must not count as removed.
    if (!action || path(action).isEmpty())
        return false;

    QAction* parent = parentAction(action);
    removeRegistered(action, false);

    while (removeEmptyParents && parent && m_children.value(parent).isEmpty()) {
        QAction* next = parentAction(parent);
        removeRegistered(parent, false);
        parent = next;
    }
    return true;
}

bool kuActionsModel::removeAction(const QString& path, bool removeEmptyParents)
{
    return removeAction(action(path), removeEmptyParents);
}

void kuActionsModel::clear()
{
    const QList<QAction*> top = m_children.value(nullptr);
    if (top.isEmpty())
        return;

    beginRemoveRows(QModelIndex(), 0, top.size() - 1);
    // Emptied first: the deletions below report back through actionDestroyed.
    m_children.clear();
    m_paths.clear();
    for (QAction* action : top)
        delete action;
    endRemoveRows();
    emit actionsCleared();
}

bool kuActionsModel::setShortcut(QAction* action, const QKeySequence& shortcut, QString* error)
{
    if (!action)
        return false;
    if (!shortcut.isEmpty()) {
        for (auto it = m_paths.cbegin(); it != m_paths.cend(); ++it) {
            QAction* other = it.value();
            if (other == action || other->shortcut().isEmpty() || other->shortcut() != shortcut)
                continue;
            if (error)
                *error = tr("Can't set shortcut, it's already used by action '%1'.")
                                 .arg(withoutMnemonics(other->text()));
            return false;
        }
    }
    action->setShortcut(shortcut);
    return true;
}

bool kuActionsModel::setShortcut(const QString& path, const QKeySequence& shortcut, QString* error)
{
    return setShortcut(action(path), shortcut, error);
}

void kuActionsModel::setDefaultShortcut(QAction* action, const QKeySequence& shortcut)
{
    if (!action)
        return;
    action->setProperty(defaultShortcutProperty, QVariant::fromValue(shortcut));
    if (action->shortcut().isEmpty())
        setShortcut(action, shortcut);
}

void kuActionsModel::setDefaultShortcut(const QString& path, const QKeySequence& shortcut)
{
    setDefaultShortcut(action(path), shortcut);
}

QKeySequence kuActionsModel::defaultShortcut(QAction* action) const
{
    if (!action)
        return QKeySequence();
    const QVariant value = action->property(defaultShortcutProperty);
    if (!value.canConvert<QKeySequence>())
        return QKeySequence();
    return value.value<QKeySequence>();
}

QKeySequence kuActionsModel::defaultShortcut(const QString& path) const
{
    return defaultShortcut(action(path));
}

QModelIndex kuActionsModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= columnCount())
        return QModelIndex();
    if (parent.isValid() && parent.column() != 0)
        return QModelIndex();
    QAction* parentAction = parent.isValid() ? static_cast<QAction*>(parent.internalPointer()) : nullptr;
    const QList<QAction*> list = m_children.value(parentAction);
    if (row >= list.size())
        return QModelIndex();
    return createIndex(row, column, list.at(row));
}

QModelIndex kuActionsModel::parent(const QModelIndex& child) const
{
    if (!child.isValid())
        return QModelIndex();
    return indexOf(parentAction(static_cast<QAction*>(child.internalPointer())));
}

int kuActionsModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return m_children.value(nullptr).size();
    if (parent.column() != 0)
        return 0;
    return m_children.value(static_cast<QAction*>(parent.internalPointer())).size();
}

int kuActionsModel::columnCount(const QModelIndex&) const
{
    return 3;
}

bool kuActionsModel::hasChildren(const QModelIndex& parent) const
{
    return rowCount(parent) > 0;
}

QVariant kuActionsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    auto* action = static_cast<QAction*>(index.internalPointer());

    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (index.column()) {
        case 0:
            return withoutMnemonics(action->text());
        case 1:
            return action->shortcut().toString(QKeySequence::NativeText);
        case 2:
            return defaultShortcut(action).toString(QKeySequence::NativeText);
        default:
            return QVariant();
        }
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(action->icon()) : QVariant();
    case Qt::FontRole: {
        QFont font = action->font();
        if (action->menu())
            font.setWeight(QFont::Bold);
        return font;
    }
    case Qt::UserRole:
        return QVariant::fromValue(action->menu());
    case Qt::UserRole + 1: {
        static const int registered = qRegisterMetaType<QAction*>("QAction *");
        Q_UNUSED(registered)
        return QVariant::fromValue(action);
    }
    default:
        return QVariant();
    }
}

QVariant kuActionsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::ToolTipRole)) {
        switch (section) {
        case 0:
            return tr("Action");
        case 1:
            return tr("Shortcut");
        case 2:
            return tr("Default Shortcut");
        default:
            break;
        }
    }
    return QAbstractItemModel::headerData(section, orientation, role);
}

void kuActionsModel::actionChanged()
{
    auto* action = qobject_cast<QAction*>(sender());
    const QModelIndex first = indexOf(action, 0);
    if (!first.isValid())
        return;
    emit dataChanged(first, indexOf(action, 2));
    emit actionChanged(action);
}

void kuActionsModel::actionDestroyed(QObject* object)
{
    // The QAction part is already gone: no cast of the object, only addresses are
    // compared (QObject is QAction's only base, at offset 0).
    for (QAction* action : qAsConst(m_paths)) {
        if (static_cast<const void*>(action) == static_cast<const void*>(object)) {
            removeRegistered(action, true);
            return;
        }
    }
}

QAction* kuActionsModel::menuAction(const QString& path)
{
    const QString clean = cleanPath(path);
    if (clean.isEmpty())
        return nullptr;
    if (QAction* action = m_paths.value(clean))
        return action->menu() ? action : nullptr;

    const QStringList parts = clean.split(QLatin1Char('/'));
    QAction* parent = nullptr;
    for (int i = 0; i < parts.size(); ++i) {
        const QString prefix = parts.mid(0, i + 1).join(QLatin1Char('/'));
        if (QAction* existing = m_paths.value(prefix)) {
            // A plain command cannot hold entries.
            if (!existing->menu())
                return nullptr;
            parent = existing;
            continue;
        }
        auto* menu = new QMenu;
        QAction* action = menu->menuAction();
        action->setText(parts.at(i));
        // The menu has no widget parent; it goes with its action.
        connect(action, &QObject::destroyed, menu, &QObject::deleteLater);
        insertAction(prefix, action, parent, m_children.value(parent).size());
        parent = action;
    }
    return parent;
}

void kuActionsModel::insertAction(const QString& path, QAction* action, QAction* parent, int row)
{
    beginInsertRows(indexOf(parent), row, row);

    action->setObjectName(QString(path).replace(QLatin1Char('/'), QLatin1Char('_')));
    action->setParent(parent ? static_cast<QObject*>(parent) : this);
    if (parent && parent->menu())
        parent->menu()->addAction(action);
    if (action->text().isEmpty() && !action->isSeparator())
        action->setText(path.section(QLatin1Char('/'), -1));

    m_children[parent].append(action);
    m_paths.insert(path, action);

    connect(action, &QAction::changed, this, qOverload<>(&kuActionsModel::actionChanged));
    connect(action, &QObject::destroyed, this, &kuActionsModel::actionDestroyed);

    endInsertRows();
    emit actionInserted(action);
}

QModelIndex kuActionsModel::indexOf(QAction* action, int column) const
{
    if (!action)
        return QModelIndex();
    const int row = m_children.value(parentAction(action)).indexOf(action);
    if (row < 0)
        return QModelIndex();
    return createIndex(row, column, action);
}

void kuActionsModel::removeRegistered(QAction* action, bool destroyed)
{
    QAction* parent = parentAction(action);
    const int row = m_children.value(parent).indexOf(action);
    if (row < 0)
        return;

    beginRemoveRows(indexOf(parent), row, row);
    if (!destroyed && parent && parent->menu())
        parent->menu()->removeAction(action);
    if (!destroyed)
        disconnect(action, nullptr, this, nullptr);
    unregister(action);
    endRemoveRows();

    emit actionRemoved(action);
    if (!destroyed)
        action->deleteLater();
}

void kuActionsModel::unregister(QAction* action)
{
    const QList<QAction*> children = m_children.value(action);
    for (QAction* child : children) {
        disconnect(child, nullptr, this, nullptr);
        unregister(child);
    }
    QAction* parent = parentAction(action);
    auto it = m_children.find(parent);
    if (it != m_children.end())
        it->removeAll(action);
    m_children.remove(action);
    m_paths.remove(path(action));
}
