#pragma once

#include <QObject>
#include <QSharedPointer>
#include <QString>

// One column of a list window: title, tooltip, alignment and visibility.
class kuObjectHeaderItem : public QObject
{
    Q_OBJECT
public:
    explicit kuObjectHeaderItem(QObject* parent = nullptr);
    kuObjectHeaderItem(const QString& title, const QString& toolTip, bool visible, QObject* parent = nullptr);

    static QSharedPointer<kuObjectHeaderItem> create(const QString& title, const QString& toolTip = QString(),
                                                     bool visible = true);
    // A column that is never shown nor offered to the user (placeholder, data for sorting or filtering).
    static QSharedPointer<kuObjectHeaderItem> createHidden(const QString& title);

    QString title() const;
    void setTitle(const QString& title);
    QString toolTip() const;
    void setToolTip(const QString& toolTip);
    int alignment() const;
    void setAlignment(int alignment);
    bool isVisible() const;
    void setVisible(bool visible);
    bool isAlwaysHidden() const;

private:
    QString m_title = QStringLiteral("Column #N");
    QString m_toolTip;
    int m_alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    bool m_visible = true;
    bool m_alwaysHidden = false;
};
