#include "kutabwidget.h"

#include "kufunctions.h"
#include "kuiconmanager.h"
#include "kutabbar.h"
#include "kuworkspace.h"
#include "serverclock.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QScreen>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpacerItem>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimerEvent>
#include <QToolButton>

namespace {

// A tab shows a name of this many characters whole; a longer one is elided.
constexpr int tabTextChars = 30;
constexpr int statusIconSize = 20;

} // namespace

kuTabWidget::kuTabWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("kuTabWidget"));

    m_stack = new QStackedWidget(this);
    m_tabBar = new kuTabBar(this);
    m_addButton = new QToolButton(this);
    m_restoreLabel = new QLabel(this);
    m_restoreLabel->setObjectName(QStringLiteral("restoreLabel"));
    m_restoreLabel->setContentsMargins(0, 0, 6, 0);
    m_restoreLabel->hide();
    m_statusLabel = new QLabel(this);
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_clockLabel = new QLabel(this);
    m_clockLabel->setObjectName(QStringLiteral("clockLabel"));

    m_addButton->setObjectName(QStringLiteral("addWorkSpaceButton"));
    m_addButton->setAutoRaise(true);
    m_addButton->setCursor(Qt::ArrowCursor);
    m_addButton->setIcon(kuIconManager::icon(QStringLiteral("add_new_tab.png")));
    m_addButton->setToolTip(tr("Добавить новую рабочую область"));
    m_tabBar->setContextMenuPolicy(Qt::CustomContextMenu);

    auto* left = new QWidget(this);
    left->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    auto* leftLayout = new QHBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    leftLayout->addWidget(m_addButton);
    leftLayout->addWidget(m_tabBar);
    leftLayout->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));

    auto* right = new QWidget(this);
    auto* rightLayout = new QHBoxLayout(right);
    rightLayout->setContentsMargins(30, 0, 30, 0);
    rightLayout->setSpacing(0);
    rightLayout->addWidget(m_restoreLabel);
    rightLayout->addWidget(m_statusLabel);
    rightLayout->addWidget(m_clockLabel);

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(left);
    splitter->addWidget(right);
    auto* rowLayout = new QHBoxLayout();
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->setSpacing(0);
    rowLayout->addWidget(splitter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_stack, 1);
    layout->addLayout(rowLayout);

    setStatus(true);
    setCurrentTime();

    connect(m_tabBar, &QTabBar::currentChanged, this, &kuTabWidget::setCurrentIndex);
    connect(m_tabBar, &QTabBar::tabCloseRequested, this, &kuTabWidget::removeWorkSpace);
    connect(m_tabBar, &QTabBar::tabMoved, this, &kuTabWidget::slot_tabMoved);
    connect(m_tabBar, &QWidget::customContextMenuRequested, this, &kuTabWidget::slot_showContextMenu);
    connect(m_addButton, &QToolButton::clicked, this, [this] { newWorkSpace(); });
    m_clockTimer = startTimer(1000, Qt::CoarseTimer);
}

kuTabWidget::~kuTabWidget() = default;

kuTabBar* kuTabWidget::tabBar() const
{
    return m_tabBar;
}

bool kuTabWidget::isValidIndex(int index) const
{
    return m_stack && m_tabBar && index >= 0 && index < m_stack->count() && index < m_tabBar->count();
}

int kuTabWidget::count() const
{
    return m_tabBar ? m_tabBar->count() : 0;
}

int kuTabWidget::currentIndex() const
{
    return m_tabBar ? m_tabBar->currentIndex() : -1;
}

kuWorkSpace* kuTabWidget::workSpace(int index) const
{
    return isValidIndex(index) ? qobject_cast<kuWorkSpace*>(m_stack->widget(index)) : nullptr;
}

kuWorkSpace* kuTabWidget::currentWorkSpace() const
{
    return m_stack ? qobject_cast<kuWorkSpace*>(m_stack->currentWidget()) : nullptr;
}

int kuTabWidget::newWorkSpace()
{
    const QString name = tr("Рабочий стол №%1").arg(count() + 1);
    return addWorkSpace(new kuWorkSpace(this), name);
}

int kuTabWidget::addWorkSpace(kuWorkSpace* page, const QString& name)
{
    return addWorkSpace(page, QIcon(), name);
}

int kuTabWidget::addWorkSpace(kuWorkSpace* page, const QIcon& icon, const QString& name)
{
    return insertWorkSpace(count(), page, icon, name);
}

int kuTabWidget::insertWorkSpace(int index, kuWorkSpace* page, const QString& name)
{
    return insertWorkSpace(index, page, QIcon(), name);
}

int kuTabWidget::insertWorkSpace(int index, kuWorkSpace* page, const QIcon& icon, const QString& name)
{
    if (!page || !m_stack || !m_tabBar || m_stack->indexOf(page) >= 0)
        return -1;
    if (index < 0 || index > count())
        index = count();
    m_stack->insertWidget(index, page);
    const int at = m_tabBar->insertTab(index, icon, QString());
    if (m_tabBar->count() == 1)
        setCurrentIndex(0);
    // The name lives in the tool tip; without it a saved layout would lose it.
    setTabName(at, name);
    emit countChanged(count());
    return at;
}

void kuTabWidget::removeTab(int index)
{
    if (!isValidIndex(index))
        return;
    QWidget* page = m_stack->widget(index);
    QWidget* shown = m_stack->currentWidget();
    // Windows of a dropped workspace would otherwise stay subscribed and keep receiving data.
    if (auto* workspace = qobject_cast<kuWorkSpace*>(page))
        workspace->closeWindows();
    {
        // The stack is put in step below; a switch in between would show the wrong page.
        const QSignalBlocker blocker(m_tabBar);
        m_tabBar->removeTab(index);
    }
    m_stack->removeWidget(page);
    const int current = m_tabBar->currentIndex();
    if (current >= 0 && m_stack->currentIndex() != current)
        m_stack->setCurrentIndex(current);
    delete page;
    if (page == shown && current >= 0)
        emit currentChanged(current);
    emit countChanged(count());
}

QString kuTabWidget::tabName(int index) const
{
    return isValidIndex(index) ? m_tabBar->tabToolTip(index) : QString();
}

void kuTabWidget::setTabName(int index, const QString& name)
{
    if (!isValidIndex(index))
        return;
    const QFontMetrics metrics = m_tabBar->fontMetrics();
    m_tabBar->setTabText(index, metrics.elidedText(name, Qt::ElideRight, metrics.averageCharWidth() * tabTextChars));
    m_tabBar->setTabToolTip(index, name);
}

QIcon kuTabWidget::tabIcon(int index) const
{
    return isValidIndex(index) ? m_tabBar->tabIcon(index) : QIcon();
}

void kuTabWidget::setTabIcon(int index, const QIcon& icon)
{
    if (isValidIndex(index))
        m_tabBar->setTabIcon(index, icon);
}

void kuTabWidget::setCurrentIndex(int index)
{
    if (!isValidIndex(index))
        return;
    if (m_tabBar->currentIndex() == index && m_stack->currentIndex() == index)
        return;
    m_stack->setCurrentIndex(index);
    {
        const QSignalBlocker blocker(m_tabBar);
        m_tabBar->setCurrentIndex(index);
    }
    emit currentChanged(index);
}

void kuTabWidget::setCurrentTime()
{
    if (m_clockLabel)
        m_clockLabel->setText(serverTime().toString(QStringLiteral("HH:mm:ss")));
}

void kuTabWidget::setStatus(bool status)
{
    m_status = status;
    if (!m_statusLabel)
        return;
    const QPixmap pixmap = kuIconManager::pixmap(status ? QStringLiteral("online.png") : QStringLiteral("offline.png"));
    m_statusLabel->setPixmap(pixmap.isNull() ? pixmap
                                             : pixmap.scaled(statusIconSize, statusIconSize, Qt::KeepAspectRatio,
                                                             Qt::FastTransformation));
}

void kuTabWidget::setRestoring(bool restoring, int nextTryMs)
{
    if (!m_restoreLabel)
        return;
    if (!restoring) {
        m_restoreLabel->clear();
        m_restoreLabel->hide();
        return;
    }
    if (nextTryMs < 0)
        m_restoreLabel->setText(tr("Идет восстановление соединения с сервером..."));
    else
        m_restoreLabel->setText(tr("Идет восстановление соединения с сервером. Следующая попытка в %1")
                                        .arg(serverTime().addMSecs(nextTryMs).toString(QStringLiteral("HH:mm:ss"))));
    m_restoreLabel->show();
}

void kuTabWidget::removeWorkSpace(int index)
{
    if (!isValidIndex(index))
        return;
    const QPointer<QWidget> page = m_stack->widget(index);
    if (!askQuestion(tr("Вы уверены, что хотите закрыть рабочую область?")))
        return;
    // The question ran an event loop: the tabs may have changed meanwhile.
    if (page)
        removeTab(m_stack->indexOf(page));
}

void kuTabWidget::renameWorkspace(int index)
{
    if (!isValidIndex(index))
        return;
    const QPointer<QWidget> page = m_stack->widget(index);
    bool accepted = false;
    const QString text = QInputDialog::getText(this, tr("Переименовать рабочую область"), tr("Имя рабочей области"),
                                               QLineEdit::Normal, tabName(index), &accepted);
    if (accepted && page)
        setTabName(m_stack->indexOf(page), text);
}

void kuTabWidget::removeAllWorkSpace()
{
    while (m_stack && m_stack->count() > 0 && count() > 0)
        removeTab(0);
}

void kuTabWidget::slot_showContextMenu(const QPoint& pos)
{
    if (pos.isNull() || !m_tabBar)
        return;
    const int index = m_tabBar->tabAt(pos);
    if (!isValidIndex(index))
        return;
    const QPointer<QWidget> page = m_stack->widget(index);

    QMenu menu;
    QAction* close = nullptr;
    if (m_tabBar->count() > 1)
        close = menu.addAction(tr("Закрыть рабочую область"));
    QAction* rename = menu.addAction(tr("Переименовать рабочую область"));
    QAction* chosen = menu.exec(m_tabBar->mapToGlobal(pos));
    if (!chosen || !page)
        return;
    const int at = m_stack->indexOf(page);
    if (chosen == close)
        removeWorkSpace(at);
    else if (chosen == rename)
        renameWorkspace(at);
}

void kuTabWidget::slot_tabMoved(int indexFrom, int indexTo)
{
    if (!isValidIndex(indexFrom) || !isValidIndex(indexTo) || indexFrom == indexTo)
        return;
    QWidget* moving = m_stack->widget(indexFrom);
    QWidget* shown = m_stack->currentWidget();
    if (!moving || !m_stack->widget(indexTo))
        return;
    // The bar moved one tab and shifted those between; the stack does the same,
    // which also holds for moves over more than one place.
    const QSignalBlocker blocker(m_stack);
    m_stack->removeWidget(moving);
    m_stack->insertWidget(indexTo, moving);
    m_stack->setCurrentWidget(shown);
}

void kuTabWidget::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_clockTimer) {
        QWidget::timerEvent(event);
        return;
    }
    advanceServerClock(1);
    setCurrentTime();
}

QSize kuTabWidget::minimumSizeHint() const
{
    const QSize hint = QWidget::minimumSizeHint();
    const QWidget* top = window();
    const QScreen* screen = top ? top->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return hint;
    // What the main window adds around this widget: its frame, menu and status bars.
    QSize chrome(16, 120);
    if (top && top != this && top->isVisible())
        chrome = top->frameGeometry().size() - size();
    return hint.boundedTo((screen->availableGeometry().size() - chrome).expandedTo(QSize(0, 0)));
}
