#pragma once

#include "kuqueuedmessage.h"
#include "sectioncontent.h"

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QMainWindow>
#include <QPixmap>
#include <QPointer>

namespace ads {
class ContainerWidget;
class SectionWidget;
} // namespace ads
class kuQueuedMessageToolBar;
class kuWindowBase;

// One workspace tab: the trading windows docked in a container, with the
// workspace's message bar above them.
class kuWorkSpace : public QMainWindow
{
    Q_OBJECT

public:
    explicit kuWorkSpace(QWidget* parent = nullptr);

    // Null when the name is taken (a hidden window of that name is shown again) or the arguments are unusable.
    ads::SectionWidget* addWindow(kuWindowBase* window, const QString& uniqueName, const QString& title);
    ads::SectionContent::RefPtr sectionContent(const QString& uniqueName) const;
    bool containsWindow(const QString& uniqueName) const;
    // Settings of the visible trading windows, each with its "objectName".
    QList<QJsonObject> windowStates() const;
    // An empty name reaches every trading window.
    void subscribeWindows(const QString& uniqueName = QString());
    QByteArray saveDockState() const;
    bool restoreDockState(const QByteArray& state);
    void postMessage(const QString& text, const QPixmap& pixmap, int timeout);
    void appendMessage(const kuQueuedMessage& message);
    // Unsubscribes every trading window that is still subscribed, hidden ones
    // included; for a workspace that is about to go.
    void closeWindows();

    ads::ContainerWidget* container() const;
    kuQueuedMessageToolBar* messageBar() const;

public slots:
    void hideWindows();
    void slot_activeTabChanged(const ads::SectionContent::RefPtr& sc, bool active);
    void slot_sectionContentClosed(const ads::SectionContent::RefPtr& sc);
    // A hidden quotes window gives its streams back and takes them again when shown.
    void slot_sectionContentVisibilityChanged(const ads::SectionContent::RefPtr& sc, bool visible);

private:
    // By creation, so saved layouts and re-subscriptions keep one order.
    QList<ads::SectionContent::RefPtr> orderedContents() const;
    // The container's size, or an estimate of it while it is not shown.
    QSize layoutSize() const;

    QPointer<ads::ContainerWidget> m_container;
    QPointer<kuQueuedMessageToolBar> m_messageBar;
};
