#pragma once

// A trading window that records what the workspace asks of it.

#include "kuwindowbase.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

class TestWindow : public kuWindowBase
{
public:
    explicit TestWindow(WinType type, int paper = 0) : m_type(type) { setPaperID(paper); }

    WinType winType() const override { return m_type; }
    void subscribe() override { ++subscribed; }
    void unsubscribe() override
    {
        ++unsubscribed;
        blockedWhenUnsubscribed = signalsBlocked();
        if (unsubscribeCount)
            ++*unsubscribeCount;
    }

    int subscribed = 0;
    int unsubscribed = 0;
    bool blockedWhenUnsubscribed = false;
    // Outlives the window, for checks after it is gone.
    int* unsubscribeCount = nullptr;

private:
    WinType m_type;
};

// While it lives, answers the first modal box that comes with the given button.
class BoxAnswer
{
public:
    explicit BoxAnswer(QMessageBox::StandardButton button)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            asked = true;
            m_timer.stop();
            box->button(button)->click();
        });
        m_timer.start(5);
    }

    bool asked = false;

private:
    QTimer m_timer;
};
