#include "kuworkspacesettingitem.h"

#include "kuapplication.h"
#include "kuiconmanager.h"

#include <QFileInfo>

kuWorkspaceSettingItem::kuWorkspaceSettingItem(const QString& path, const QString& description, bool active)
    : m_shortName(QFileInfo(path).baseName()), m_path(path), m_description(description), m_active(active),
      m_exists(QFileInfo::exists(path))
{}

QString kuWorkspaceSettingItem::displayText(int column) const
{
    switch (column) {
    case 2:
        return m_shortName;
    case 3:
        return m_path;
    case 4:
        return m_description;
    default:
        return QString();
    }
}

QVariant kuWorkspaceSettingItem::decoration(int column) const
{
    if (column != 1 || !m_active)
        return QVariant();
    const QPointer<kuApplication> app = kuApplication::instance();
    return kuIconManager::icon(QStringLiteral("check.png"), app ? app->themePath() : QString());
}

int kuWorkspaceSettingItem::alignment(int column) const
{
    return column == 1 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
}

QColor kuWorkspaceSettingItem::color(int) const
{
    return m_exists ? QColor(Qt::black) : QColor(Qt::darkRed);
}

QString kuWorkspaceSettingItem::toolTip(int column) const
{
    return column == 3 || column == 4 ? displayText(column) : QString();
}

QVariant kuWorkspaceSettingItem::sortValue(int column) const
{
    return displayText(column);
}

int kuWorkspaceSettingItem::itemType() const
{
    return itWorkspaceSetting;
}
