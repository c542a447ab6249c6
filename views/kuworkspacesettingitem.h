#pragma once

#include "kuobjectmodelabstractitem.h"

// One known settings file of table settings, as a row of the saved settings dialog.
class kuWorkspaceSettingItem : public kuObjectModelAbstractItem
{
    Q_OBJECT
public:
    // Whether the file exists is tested once, here.
    kuWorkspaceSettingItem(const QString& path, const QString& description, bool active);

    QString displayText(int column) const override;
    QVariant decoration(int column) const override;
    int alignment(int column) const override;
    QColor color(int column) const override;
    QString toolTip(int column) const override;
    QVariant sortValue(int column) const override;
    int itemType() const override;

    QString shortName() const { return m_shortName; }
    QString path() const { return m_path; }
    QString description() const { return m_description; }
    bool isActive() const { return m_active; }
    bool exists() const { return m_exists; }

private:
    QString m_shortName;
    QString m_path;
    QString m_description;
    bool m_active = false;
    bool m_exists = false;
};
