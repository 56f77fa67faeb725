#include "app/inputhold.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

QAction* enabledShortcut(const QList<QAction*>& actions, const QKeyEvent& key)
{
    const QKeySequence pressed(key.keyCombination());
    for (QAction* action : actions) {
        if (action->isEnabled() && action->shortcut() == pressed)
            return action;
    }
    return nullptr;
}

InputHold::InputHold(Target target, QObject* parent)
    : QObject(parent)
    , m_target(std::move(target))
{
}

InputHold::~InputHold()
{
    drop();
}

void InputHold::hold()
{
    if (m_holding)
        return;
    m_holding = true;
    qApp->installEventFilter(this);
}

void InputHold::release()
{
    if (!m_holding)
        return;
    m_holding = false;
    qApp->removeEventFilter(this);
    std::vector<Held> held;
    held.swap(m_held);
    for (Held& input : held) {
        if (!input.receiver)
            continue;
        if (QAction* command = commandOf(input.receiver, input.event.get()))
            m_target.carryOut(command, input.tick);
        else
            QCoreApplication::sendEvent(input.receiver, input.event.get());
    }
}

QAction* InputHold::commandOf(QObject* receiver, QEvent* event) const
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        // A command key reaches its command, as the shortcut would.
        if (QAction* action = enabledShortcut(m_target.commands, *key))
            return action;
        const bool pushKey = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space;
        if (!pushKey || key->modifiers() != Qt::NoModifier || key->isAutoRepeat())
            return nullptr;
    } else if (event->type() != QEvent::MouseButtonPress) {
        return nullptr;
    }
    for (const auto& [button, action] : m_target.pressButtons) {
        if (receiver == button && button->isEnabled() && action->isEnabled())
            return action;
    }
    return nullptr;
}

void InputHold::drop()
{
    if (m_holding)
        qApp->removeEventFilter(this);
    m_holding = false;
    m_held.clear();
}

bool InputHold::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        break;
    default:
        return false;
    }
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget)
        return false;
    QWidget* progress = m_target.progressWindow ? m_target.progressWindow() : nullptr;
    const bool toProgress = progress && widget->window() == progress;
    if (widget->window() != m_target.window && !toProgress)
        return false;
    if (event->type() == QEvent::ShortcutOverride) {
        // Taken here, so no shortcut fires now; the key press follows.
        event->accept();
        return true;
    }
    QObject* receiver = watched;
    if (toProgress) {
        if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
            return true;
        QWidget* focus = m_target.window->focusWidget();
        receiver = focus ? static_cast<QObject*>(focus) : m_target.window;
    }
    m_held.push_back(Held{QPointer<QObject>(receiver), std::unique_ptr<QEvent>(event->clone()), m_target.ticks()});
    return true;
}
