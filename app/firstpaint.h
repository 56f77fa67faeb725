#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>

#include <functional>
#include <utility>

// Watches a window for its first paint and calls back once, from the event
// loop just after it, so the painted frame is complete when the call comes.
// The start-up benchmarks time it; the scripted operator of the real program
// tells its driver that the window is on screen.
class FirstPaintWatcher : public QObject {
public:
    explicit FirstPaintWatcher(std::function<void()> painted, QObject* parent = nullptr)
        : QObject(parent)
        , m_painted(std::move(painted))
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_painted)
            QTimer::singleShot(0, this, std::exchange(m_painted, nullptr));
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_painted;
};
