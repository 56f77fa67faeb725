#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

class QAction;
class QEvent;
class QKeyEvent;
class QWidget;

// The enabled action whose short-cut is this key, if any.
QAction* enabledShortcut(const QList<QAction*>& actions, const QKeyEvent& key);

// While a window is busy (an export runs) the operator's keys and clicks for
// it wait, as they would behind a busy window, but each keeps the tick of the
// moment it came: a ZEIT pressed meanwhile is taken at the press, not when it
// is finally carried out. Keys the window manager gives to the progress
// window are the operator's keys for the window; its clicks mean nothing.
class InputHold : public QObject {
public:
    struct Target {
        QWidget* window = nullptr;
        std::function<QWidget*()> progressWindow;  // may give none
        std::function<qint64()> ticks;
        QList<QAction*> commands;  // the window's command keys
        // Buttons that act on the press (and on Enter or Space), with their
        // commands.
        std::vector<std::pair<QWidget*, QAction*>> pressButtons;
        // Carries out a held command at the tick its key or click came.
        std::function<void(QAction* command, qint64 tick)> carryOut;
    };

    InputHold(Target target, QObject* parent);
    ~InputHold() override;

    bool holding() const { return m_holding; }
    void hold();
    // Stops holding and carries out what was held, in order.
    void release();
    // Stops holding and forgets what was held (the window is going).
    void drop();

    // The command a held key or click stands for, if any.
    QAction* commandOf(QObject* receiver, QEvent* event) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Held {
        QPointer<QObject> receiver;
        std::unique_ptr<QEvent> event;
        qint64 tick = 0;
    };

    Target m_target;
    std::vector<Held> m_held;
    bool m_holding = false;
};
