#pragma once

#include "kuqueuedmessage.h"

#include <QToolBar>

class kuQueuedMessageWidget;

// Message bar across the top of a workspace: visible while a message is on screen.
class kuQueuedMessageToolBar : public QToolBar
{
    Q_OBJECT

public:
    explicit kuQueuedMessageToolBar(QWidget* parent = nullptr);

    kuQueuedMessageWidget* messageWidget() const { return m_messageWidget; }

public slots:
    void appendMessage(const QString& message, int milliSeconds);
    void appendMessage(const QString& message);
    void appendMessage(const kuQueuedMessage& message);
    void removeMessage(const kuQueuedMessage& message);
    void messageShown(const kuQueuedMessage& message);
    void messageFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    kuQueuedMessageWidget* m_messageWidget;
};
