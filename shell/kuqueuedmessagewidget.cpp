#include "kuqueuedmessagewidget.h"

#include "kuiconmanager.h"

#include <QAbstractButton>
#include <QDebug>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

kuQueuedMessageWidget::kuQueuedMessageWidget(QWidget* parent)
    : QWidget(parent), m_defaultPixmap(kuIconManager::pixmap(QStringLiteral("info.png"))),
      m_defaultBackground(QColor(250, 230, 147, 255), Qt::SolidPattern),
      m_defaultForeground(QColor(0, 0, 0, 255), Qt::SolidPattern), m_pixmapLabel(new QLabel(this)),
      m_textLabel(new QLabel(this)), m_buttonBox(new QDialogButtonBox(this)), m_timeoutTimer(new QTimer(this))
{
    kuQueuedMessage::registerMetaTypes();
    setObjectName(QStringLiteral("kuQueuedMessageWidget"));

    m_pixmapLabel->setAlignment(Qt::AlignCenter);
    m_pixmapLabel->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
    m_pixmapLabel->setStyleSheet(QStringLiteral("background: transparent;"));

    // Texts come from the server: never read them as markup or links.
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_textLabel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_textLabel->setWordWrap(true);
    m_textLabel->setOpenExternalLinks(true);
    m_textLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse |
                                         Qt::LinksAccessibleByKeyboard);
    m_textLabel->setStyleSheet(QStringLiteral("background: transparent;"));

    m_buttonBox->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);

    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pixmapLabel, 0, Qt::AlignCenter);
    layout->addWidget(m_textLabel);
    layout->addWidget(m_buttonBox, 0, Qt::AlignCenter);

    QFont small = font();
    small.setPointSize(9);
    setFont(small);

    m_timeoutTimer->setSingleShot(true);
    connect(m_timeoutTimer, &QTimer::timeout, this, &kuQueuedMessageWidget::closeMessage);
    connect(m_buttonBox, &QDialogButtonBox::clicked, this, &kuQueuedMessageWidget::buttonClicked);
    connect(m_textLabel, &QLabel::linkActivated, this, &kuQueuedMessageWidget::linkActivated);
    connect(m_textLabel, &QLabel::linkHovered, this, &kuQueuedMessageWidget::linkHovered);
}

bool kuQueuedMessageWidget::openExternalLinks() const
{
    return m_textLabel->openExternalLinks();
}

kuQueuedMessage kuQueuedMessageWidget::currentMessage() const
{
    return m_queue.isEmpty() ? kuQueuedMessage() : m_queue.first();
}

QPixmap kuQueuedMessageWidget::currentPixmap() const
{
    const QPixmap own = currentMessage().pixmap;
    return own.isNull() ? m_defaultPixmap : own;
}

QBrush kuQueuedMessageWidget::currentBackground() const
{
    const QBrush own = currentMessage().background;
    return own.style() == Qt::NoBrush ? m_defaultBackground : own;
}

QBrush kuQueuedMessageWidget::currentForeground() const
{
    const QBrush own = currentMessage().foreground;
    return own.style() == Qt::NoBrush ? m_defaultForeground : own;
}

kuQueuedMessage kuQueuedMessageWidget::append(const QString& text, int timeout)
{
    kuQueuedMessage message;
    message.text = text;
    message.timeout = timeout != -1 ? timeout : m_defaultTimeout;
    message.pixmap = m_defaultPixmap;
    message.background = m_defaultBackground;
    message.foreground = m_defaultForeground;
    append(message);
    return message;
}

QSize kuQueuedMessageWidget::sizeHint() const
{
    return minimumSizeHint();
}

void kuQueuedMessageWidget::setOpenExternalLinks(bool open)
{
    m_textLabel->setOpenExternalLinks(open);
}

void kuQueuedMessageWidget::setDefaultTimeout(int timeout)
{
    m_defaultTimeout = timeout;
}

void kuQueuedMessageWidget::setDefaultPixmap(const QPixmap& pixmap)
{
    m_defaultPixmap = pixmap;
}

void kuQueuedMessageWidget::setDefaultBackground(const QBrush& brush)
{
    m_defaultBackground = brush;
}

void kuQueuedMessageWidget::setDefaultForeground(const QBrush& brush)
{
    m_defaultForeground = brush;
}

void kuQueuedMessageWidget::append(const kuQueuedMessage& message)
{
    if (m_queue.contains(message))
        return;
    m_queue.append(message);
    if (m_queue.size() == 1)
        QTimer::singleShot(0, this, &kuQueuedMessageWidget::showMessage);
}

void kuQueuedMessageWidget::remove(const kuQueuedMessage& message)
{
    // The message on screen can only be closed.
    if (m_queue.isEmpty() || m_queue.first() == message)
        return;
    m_queue.removeAll(message);
}

void kuQueuedMessageWidget::clear()
{
    m_timeoutTimer->stop();
    m_queue.clear();
    clearMessage();
    update();
    emit cleared();
}

void kuQueuedMessageWidget::buttonClicked(QAbstractButton* button)
{
    const QDialogButtonBox::StandardButton standard = m_buttonBox->standardButton(button);
    const kuQueuedMessage message = currentMessage();
    QPointer<kuQueuedMessageWidget> self(this);

    if (message.receiver && !message.member.isEmpty()) {
        if (!QMetaObject::invokeMethod(message.receiver.data(), message.member.constData(), Qt::AutoConnection,
                                       Q_ARG(QDialogButtonBox::StandardButton, standard),
                                       Q_ARG(kuQueuedMessage, message)))
            qWarning() << "Message receiver has no slot" << message.member;
    }

    // A receiver called directly may have deleted us or closed the message itself.
    if (self && !m_queue.isEmpty() && m_queue.first() == message)
        closeMessage();
}

void kuQueuedMessageWidget::showMessage()
{
    const kuQueuedMessage message = currentMessage();

    QPalette palette = m_textLabel->palette();
    palette.setBrush(QPalette::All, m_textLabel->foregroundRole(), currentForeground());
    m_textLabel->setPalette(palette);
    m_pixmapLabel->setPixmap(currentPixmap());
    m_textLabel->setText(message.text);
    m_textLabel->setToolTip(message.text);
    m_textLabel->setWhatsThis(message.text);

    kuQueuedMessage::Buttons buttons = message.buttons;
    if (buttons.isEmpty())
        buttons.insert(QDialogButtonBox::Ok, QString());
    m_buttonBox->clear();
    for (auto it = buttons.cbegin(); it != buttons.cend(); ++it) {
        QPushButton* button = m_buttonBox->addButton(it.key());
        if (button && !it.value().isEmpty())
            button->setText(it.value());
    }

    const int timeout = message.timeout == -1 ? m_defaultTimeout : message.timeout;
    if (timeout > 0)
        m_timeoutTimer->start(timeout);
    else
        m_timeoutTimer->stop();

    update();
    emit shown(message);
}

void kuQueuedMessageWidget::closeMessage()
{
    m_timeoutTimer->stop();
    const kuQueuedMessage message = currentMessage();
    emit closed(message);
    if (!m_queue.isEmpty())
        m_queue.removeFirst();
    if (!m_queue.isEmpty())
        QTimer::singleShot(0, this, &kuQueuedMessageWidget::showMessage);
    else
        QTimer::singleShot(0, this, &kuQueuedMessageWidget::clearMessage);
    if (m_queue.isEmpty())
        emit finished();
}

void kuQueuedMessageWidget::clearMessage()
{
    m_pixmapLabel->clear();
    m_textLabel->clear();
    m_textLabel->setToolTip(QString());
    m_textLabel->setWhatsThis(QString());
    m_buttonBox->clear();
}

void kuQueuedMessageWidget::paintEvent(QPaintEvent* event)
{
    if (m_queue.isEmpty()) {
        QWidget::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.fillRect(contentsRect(), currentBackground());
}
