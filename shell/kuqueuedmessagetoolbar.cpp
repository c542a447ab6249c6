#include "kuqueuedmessagetoolbar.h"

#include "kuqueuedmessagewidget.h"

#include <QAction>
#include <QEvent>
#include <QLayout>
#include <QPainter>

kuQueuedMessageToolBar::kuQueuedMessageToolBar(QWidget* parent)
    : QToolBar(parent), m_messageWidget(new kuQueuedMessageWidget(this))
{
    setObjectName(QStringLiteral("kuQueuedMessageToolBar"));
    setMovable(false);
    setFloatable(false);
    setAllowedAreas(Qt::TopToolBarArea);
    toggleViewAction()->setEnabled(false);
    toggleViewAction()->setVisible(false);
    layout()->setContentsMargins(3, 3, 3, 3);
    addWidget(m_messageWidget);

    connect(m_messageWidget, &kuQueuedMessageWidget::shown, this, &kuQueuedMessageToolBar::messageShown);
    connect(m_messageWidget, &kuQueuedMessageWidget::finished, this, &kuQueuedMessageToolBar::messageFinished);
}

void kuQueuedMessageToolBar::appendMessage(const QString& message, int milliSeconds)
{
    m_messageWidget->append(message, milliSeconds);
}

void kuQueuedMessageToolBar::appendMessage(const QString& message)
{
    m_messageWidget->append(message, -1);
}

void kuQueuedMessageToolBar::appendMessage(const kuQueuedMessage& message)
{
    m_messageWidget->append(message);
}

void kuQueuedMessageToolBar::removeMessage(const kuQueuedMessage& message)
{
    m_messageWidget->remove(message);
}

void kuQueuedMessageToolBar::messageShown(const kuQueuedMessage&)
{
    if (isHidden())
        show();
}

void kuQueuedMessageToolBar::messageFinished()
{
    if (!isHidden())
        hide();
}

void kuQueuedMessageToolBar::paintEvent(QPaintEvent* event)
{
    if (m_messageWidget->count() == 0) {
        QToolBar::paintEvent(event);
        return;
    }
    const QBrush background = m_messageWidget->currentBackground();
    QPainter painter(this);
    painter.setBrush(background);
    painter.setPen(background.color().darker(150));
    painter.drawRect(contentsRect().adjusted(0, 0, -1, -1));
}

void kuQueuedMessageToolBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        m_messageWidget->setFont(font());
    QToolBar::changeEvent(event);
}
