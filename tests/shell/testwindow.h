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
    explicit TestWindow(WinType type, int paper = 0)
        : m_type(type)
    {
        setPaperID(paper);
    }

    WinType winType() const override { return m_type; }
    void subscribe() override { ++subscribed; }
    void unsubscribe() override
    {
        ++unsubscribed;
        blockedWhenUnsubscribed = signalsBlocked();
    }

    int subscribed = 0;
    int unsubscribed = 0;
    bool blockedWhenUnsubscribed = false;

private:
    WinType m_type;
};

// Answers the next modal box with the given button; records whether one came.
inline void answerNextBox(QMessageBox::StandardButton button, bool* asked = nullptr)
{
    QTimer::singleShot(0, [button, asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        if (asked)
            *asked = true;
        box->button(button)->click();
    });
}
