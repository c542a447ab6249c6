#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QtGlobal>

#include <algorithm>
#include <initializer_list>

// Takes what is logged while it lives in place of the usual output, and puts the
// previous handler back when it goes; messages of the types in 'passOn' still reach
// that handler. One at a time: the handler is process-wide.
class LogCapture
{
public:
    explicit LogCapture(std::initializer_list<QtMsgType> passOn = {})
    {
        State& s = state();
        {
            QMutexLocker lock(&s.mutex);
            s.lines.clear();
            s.passOn = passOn;
        }
        s.previous = qInstallMessageHandler(&LogCapture::handle);
    }
    ~LogCapture() { qInstallMessageHandler(state().previous); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The texts of the given types in the order logged; of every type when none is named.
    QStringList lines(std::initializer_list<QtMsgType> types = {}) const
    {
        State& s = state();
        QMutexLocker lock(&s.mutex);
        QStringList out;
        for (const Line& line : qAsConst(s.lines)) {
            if (types.size() == 0 || std::find(types.begin(), types.end(), line.type) != types.end())
                out << line.text;
        }
        return out;
    }

    bool contains(const QString& part) const
    {
        for (const QString& line : lines()) {
            if (line.contains(part))
                return true;
        }
        return false;
    }

    void clear()
    {
        State& s = state();
        QMutexLocker lock(&s.mutex);
        s.lines.clear();
    }

private:
    struct Line
    {
        QtMsgType type;
        QString text;
    };
    struct State
    {
        QMutex mutex;
        QVector<Line> lines;
        QVector<QtMsgType> passOn;
        QtMessageHandler previous = nullptr;
    };

    static State& state()
    {
        static State s;
        return s;
    }

    // Messages may come from other threads than the test's.
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& text)
    {
        State& s = state();
        bool passOn = false;
        {
            QMutexLocker lock(&s.mutex);
            s.lines.append({type, text});
            passOn = s.passOn.contains(type);
        }
        if (passOn && s.previous)
            s.previous(type, context, text);
    }
};
