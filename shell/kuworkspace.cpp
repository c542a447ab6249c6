#include "kuworkspace.h"

#include "containerwidget.h"
#include "kuiconmanager.h"
#include "kuicontitlewidget.h"
#include "kuqueuedmessagetoolbar.h"
#include "kuwindowbase.h"
#include "kuwindowplacement.h"
#include "sectionwidget.h"

#include <QDebug>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

// Quotes, orders and trades are single windows: hiding them keeps them.
bool keptWhenHidden(WinType type)
{
    return type == wtQuotes || type == wtOrders || type == wtTrades;
}

// Of the windows kept when hidden, only the quotes end their streams then: the account
// windows keep their data, which the order books mark their levels from.
bool endsStreamsWhenHidden(WinType type)
{
    return type == wtQuotes;
}

// The least a trading window needs to show a few rows and its columns' heads, with its tab.
const QSize leastWindowSize(240, 180);

kuWindowBase* tradingWindow(const ads::SectionContent::RefPtr& sc)
{
    return sc ? qobject_cast<kuWindowBase*>(sc->contentWidget()) : nullptr;
}

} // namespace

kuWorkSpace::kuWorkSpace(QWidget* parent) : QMainWindow(parent)
{
    m_container = new ads::ContainerWidget(this);
    m_messageBar = new kuQueuedMessageToolBar(this);
    setCentralWidget(m_container);
    addToolBar(Qt::TopToolBarArea, m_messageBar);
    m_messageBar->hide();

    connect(m_container, &ads::ContainerWidget::activeTabChanged, this, &kuWorkSpace::slot_activeTabChanged);
    connect(m_container, &ads::ContainerWidget::sectionContentClosed, this, &kuWorkSpace::slot_sectionContentClosed);
    connect(m_container, &ads::ContainerWidget::sectionContentVisibilityChanged, this,
            &kuWorkSpace::slot_sectionContentVisibilityChanged);
}

ads::ContainerWidget* kuWorkSpace::container() const
{
    return m_container;
}

kuQueuedMessageToolBar* kuWorkSpace::messageBar() const
{
    return m_messageBar;
}

ads::SectionWidget* kuWorkSpace::addWindow(kuWindowBase* window, const QString& uniqueName, const QString& title)
{
    if (!m_container)
        return nullptr;
    if (!window || uniqueName.isEmpty()) {
        qWarning() << "Not docked: no window or no unique name";
        return nullptr;
    }
    if (const ads::SectionContent::RefPtr existing = m_container->sectionContent(uniqueName)) {
        if (!(existing->flags() & ads::SectionContent::ClosesOnHide) && !m_container->isSectionContentVisible(existing))
            m_container->showSectionContent(existing);
        return nullptr;
    }
    // A closed content keeps its name until it goes; a second one would abort.
    if (m_container->hasSectionContent(uniqueName))
        return nullptr;

    const QIcon icon = kuIconManager::icon(QStringLiteral("ku_logo_small.png"));
    const QPointer<kuIconTitleWidget> titleWidget = new kuIconTitleWidget(icon, title);

    const ads::SectionContent::RefPtr sc =
            ads::SectionContent::newSectionContent(uniqueName, m_container, titleWidget, window);
    // Beside or as a tab of the roomiest section, never squeezing one below what it can show.
    const kuWindowPlacement place =
            kuPlaceWindow(m_container, layoutSize(), window->minimumSizeHint().expandedTo(leastWindowSize));
    kuSplitShare share;
    for (const auto& rect : kuSectionRects(m_container, layoutSize())) {
        if (rect.first == place.section && place.area != ads::CenterDropArea)
            share = kuShareBeforeSplit(place.section, rect.second.size());
    }
    ads::SectionWidget* section = m_container->addSectionContent(sc, place.section, ads::DropArea(place.area));
    kuShareSplit(share, section);
    // A window opened as a tab is the one shown.
    if (section && section->contentCount() > 1)
        section->setCurrentIndex(section->indexOfContent(sc));
    sc->setTitle(title);
    if (keptWhenHidden(window->winType()))
        sc->setFlags(ads::SectionContent::KeptWhenHidden);

    // Weak: the window lives inside the content; a strong copy here would keep both forever.
    const ads::SectionContent::WeakPtr weak = sc;
    const QPointer<ads::ContainerWidget> container = m_container;
    connect(
            window, &kuWindowBase::on_closeWindow, window,
            [weak, container] {
                if (const ads::SectionContent::RefPtr content = weak.toStrongRef()) {
                    if (container)
                        container->hideSectionContent(content);
                }
            },
            Qt::DirectConnection);
    connect(window, &QWidget::windowIconChanged, titleWidget.data(), &kuIconTitleWidget::setIcon);
    connect(
            window, &QWidget::windowTitleChanged, window,
            [weak, titleWidget](const QString& newTitle) {
                if (titleWidget)
                    titleWidget->setTitle(newTitle);
                if (const ads::SectionContent::RefPtr content = weak.toStrongRef())
                    content->setTitle(newTitle);
            },
            Qt::DirectConnection);
    return section;
}

QSize kuWorkSpace::layoutSize() const
{
    if (m_container && m_container->isVisible())
        return m_container->size();
    // Not shown yet (a layout being restored): the main window's first size, 60 % of the
    // screen, less its menu, tabs and status bar.
    QSize size(960, 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = screen->availableGeometry().size() * 0.6;
    if (const QWidget* top = window(); top && top != this && top->isVisible())
        size = top->size();
    return size - QSize(0, 80);
}

ads::SectionContent::RefPtr kuWorkSpace::sectionContent(const QString& uniqueName) const
{
    return m_container ? m_container->sectionContent(uniqueName) : ads::SectionContent::RefPtr();
}

bool kuWorkSpace::containsWindow(const QString& uniqueName) const
{
    return m_container && m_container->hasSectionContent(uniqueName);
}

QList<ads::SectionContent::RefPtr> kuWorkSpace::orderedContents() const
{
    if (!m_container)
        return {};
    QList<ads::SectionContent::RefPtr> list = m_container->contents();
    std::sort(list.begin(), list.end(), [](const ads::SectionContent::RefPtr& a, const ads::SectionContent::RefPtr& b) {
        return a->uid() < b->uid();
    });
    return list;
}

QList<QJsonObject> kuWorkSpace::windowStates() const
{
    QList<QJsonObject> states;
    for (const ads::SectionContent::RefPtr& sc : orderedContents()) {
        kuWindowBase* window = tradingWindow(sc);
        if (!window || !m_container->isSectionContentVisible(sc))
            continue;
        QJsonObject state = window->saveSettings();
        state.insert(QStringLiteral("objectName"), sc->uniqueName());
        states.append(state);
    }
    return states;
}

void kuWorkSpace::subscribeWindows(const QString& uniqueName)
{
    for (const ads::SectionContent::RefPtr& sc : orderedContents()) {
        if (!uniqueName.isEmpty() && sc->uniqueName() != uniqueName)
            continue;
        // A closed window gave its stream back; it must not come alive again.
        if (sc->visibilityState() == ads::SectionContent::Closed)
            continue;
        kuWindowBase* window = tradingWindow(sc);
        if (!window)
            continue;
        // A hidden one takes its streams again when it is shown.
        if ((sc->visibilityState() & ads::SectionContent::Hidden) && endsStreamsWhenHidden(window->winType()))
            continue;
        window->subscribe();
    }
}

QByteArray kuWorkSpace::saveDockState() const
{
    if (!m_container || m_container->visibleContentCount() <= 0)
        return QByteArray();
    return m_container->saveState();
}

bool kuWorkSpace::restoreDockState(const QByteArray& state)
{
    if (!m_container || m_container->contents().isEmpty())
        return false;
    return m_container->restoreState(state);
}

void kuWorkSpace::postMessage(const QString& text, const QPixmap& pixmap, int timeout)
{
    if (text.isEmpty())
        return;
    kuQueuedMessage message;
    message.text = text;
    message.pixmap = pixmap;
    message.timeout = timeout;
    message.buttons.insert(QDialogButtonBox::Ok, QString());
    appendMessage(message);
}

void kuWorkSpace::appendMessage(const kuQueuedMessage& message)
{
    if (m_messageBar)
        m_messageBar->appendMessage(message);
}

void kuWorkSpace::closeWindows()
{
    for (const ads::SectionContent::RefPtr& sc : orderedContents()) {
        // A closed content was unsubscribed when it closed.
        if (sc->visibilityState() == ads::SectionContent::Closed || !tradingWindow(sc))
            continue;
        sc->setFlags(sc->flags() | ads::SectionContent::ClosesOnHide);
        if (m_container->isSectionContentVisible(sc)) {
            m_container->hideSectionContent(sc);
        } else {
            // Hiding an already hidden content reports nothing.
            sc->setVisibilityState(ads::SectionContent::Closed);
            slot_sectionContentClosed(sc);
        }
    }
}

void kuWorkSpace::hideWindows()
{
    if (!m_container)
        return;
    for (const ads::SectionContent::RefPtr& sc : orderedContents())
        m_container->hideSectionContent(sc);
}

void kuWorkSpace::slot_activeTabChanged(const ads::SectionContent::RefPtr& sc, bool active)
{
    Q_UNUSED(active)
    if (!sc)
        return;
    if (auto* title = qobject_cast<kuIconTitleWidget*>(sc->titleWidget()))
        title->polishUpdate();
}

void kuWorkSpace::slot_sectionContentVisibilityChanged(const ads::SectionContent::RefPtr& sc, bool visible)
{
    kuWindowBase* window = tradingWindow(sc);
    if (!window || !endsStreamsWhenHidden(window->winType()))
        return;
    if (visible)
        window->subscribe();
    else
        window->unsubscribe();
}

void kuWorkSpace::slot_sectionContentClosed(const ads::SectionContent::RefPtr& sc)
{
    kuWindowBase* window = tradingWindow(sc);
    if (!window)
        return;
    window->disconnectAll();
    window->unsubscribe();
    // Only the single windows are kept for showing again. The rest goes, later:
    // the window may be the sender of the signal that closed it.
    if (keptWhenHidden(window->winType()))
        return;
    const ads::SectionContent::WeakPtr weak = sc;
    QMetaObject::invokeMethod(
            this,
            [this, weak] {
                const ads::SectionContent::RefPtr content = weak.toStrongRef();
                if (content && content->visibilityState() == ads::SectionContent::Closed && m_container)
                    m_container->removeSectionContent(content);
            },
            Qt::QueuedConnection);
}
