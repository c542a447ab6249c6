#pragma once

#include "kuqueuedmessage.h"

#include <QList>
#include <QWidget>

class QAbstractButton;
class QDialogButtonBox;
class QLabel;
class QTimer;

// Queue of user messages shown one at a time, in the order they came,
// each with its pixmap, colours, buttons and optional time-out.
class kuQueuedMessageWidget : public QWidget
{
    Q_OBJECT

public:
    explicit kuQueuedMessageWidget(QWidget* parent = nullptr);

    int defaultTimeout() const { return m_defaultTimeout; }
    QPixmap defaultPixmap() const { return m_defaultPixmap; }
    QBrush defaultBackground() const { return m_defaultBackground; }
    QBrush defaultForeground() const { return m_defaultForeground; }
    bool openExternalLinks() const;

    int count() const { return m_queue.size(); }
    // The message on screen, or a default message when the queue is empty.
    kuQueuedMessage currentMessage() const;
    QPixmap currentPixmap() const;
    QBrush currentBackground() const;
    QBrush currentForeground() const;

    // Queues the text with the current defaults and returns the message.
    kuQueuedMessage append(const QString& text, int timeout = -1);

    QSize sizeHint() const override;

signals:
    void shown(kuQueuedMessage message);
    void closed(kuQueuedMessage message);
    void cleared();
    void finished();
    void linkActivated(QString link);
    void linkHovered(QString link);

public slots:
    void setOpenExternalLinks(bool open);
    void setDefaultTimeout(int timeout);
    void setDefaultPixmap(const QPixmap& pixmap);
    void setDefaultBackground(const QBrush& brush);
    void setDefaultForeground(const QBrush& brush);
    void append(const kuQueuedMessage& message);
    void remove(const kuQueuedMessage& message);
    void clear();
    void buttonClicked(QAbstractButton* button);
    void showMessage();
    void closeMessage();
    void clearMessage();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_defaultTimeout = 0;
    QPixmap m_defaultPixmap;
    QBrush m_defaultBackground;
    QBrush m_defaultForeground;
    QLabel* m_pixmapLabel;
    QLabel* m_textLabel;
    QDialogButtonBox* m_buttonBox;
    QList<kuQueuedMessage> m_queue;
    // One timer for the message on screen, so a closed message cannot close the next.
    QTimer* m_timeoutTimer;
};
