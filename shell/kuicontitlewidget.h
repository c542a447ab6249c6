#pragma once

#include <QFrame>
#include <QIcon>

class QLabel;

// Tab title of a docked trading window: an icon and an elided title.
class kuIconTitleWidget : public QFrame
{
    Q_OBJECT

public:
    explicit kuIconTitleWidget(const QIcon& icon, const QString& title, QWidget* parent = nullptr);

public slots:
    void setIcon(const QIcon& icon);
    void setTitle(const QString& title);
    // Style-sheet rules depend on the section's active state; they apply only after a re-polish.
    void polishUpdate();

private:
    QLabel* m_iconLabel;
    QLabel* m_titleLabel;
};
