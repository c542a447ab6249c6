#pragma once

#include <QIcon>
#include <QPoint>
#include <QPointer>
#include <QWidget>

class QLabel;
class QStackedWidget;
class QToolButton;
class kuTabBar;
class kuWorkSpace;

// The main window's central widget: workspace pages over a row with the
// new-workspace button, the tabs, the connection status and the server clock.
class kuTabWidget : public QWidget
{
    Q_OBJECT

public:
    explicit kuTabWidget(QWidget* parent = nullptr);
    ~kuTabWidget() override;

    int count() const;
    int currentIndex() const;
    kuWorkSpace* workSpace(int index) const;
    kuWorkSpace* currentWorkSpace() const;
    int addWorkSpace(kuWorkSpace* page, const QString& name);
    int addWorkSpace(kuWorkSpace* page, const QIcon& icon, const QString& name);
    int insertWorkSpace(int index, kuWorkSpace* page, const QString& name);
    int insertWorkSpace(int index, kuWorkSpace* page, const QIcon& icon, const QString& name);
    // Closes the workspace's windows (they unsubscribe) and destroys the page.
    void removeTab(int index);
    QString tabName(int index) const;
    void setTabName(int index, const QString& name);
    QIcon tabIcon(int index) const;
    void setTabIcon(int index, const QIcon& icon);
    bool status() const { return m_status; }

    kuTabBar* tabBar() const;
    // However many windows a layout holds, the main window still fits its screen.
    QSize minimumSizeHint() const override;

public slots:
    // A new workspace named after its position; returns its tab index.
    int newWorkSpace();
    void setCurrentIndex(int index);
    void setCurrentTime();
    void setStatus(bool status);
    // Restoring a lost connection: the next re-login in nextTryMs (on the clock
    // shown beside it), -1 while one is under way; restoring false clears the text.
    void setRestoring(bool restoring, int nextTryMs);
    void removeWorkSpace(int index);
    void renameWorkspace(int index);
    void removeAllWorkSpace();
    void slot_showContextMenu(const QPoint& pos);
    void slot_tabMoved(int indexFrom, int indexTo);

signals:
    void currentChanged(int index);
    // After a workspace was added or removed, however that came about.
    void countChanged(int count);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    bool isValidIndex(int index) const;

    QPointer<QStackedWidget> m_stack;
    QPointer<kuTabBar> m_tabBar;
    QPointer<QToolButton> m_addButton;
    bool m_status = false;
    QPointer<QLabel> m_restoreLabel;
    QPointer<QLabel> m_statusLabel;
    QPointer<QLabel> m_clockLabel;
    int m_clockTimer = 0;
};
