#pragma once

#include <QObject>
#include <functional>

// Turns a left mouse release on any watched widget into a call, for widgets
// that have no click signal of their own (the lap labels over the assignment
// buttons). The watched object is passed on, so one filter serves many.
class ClickFilter : public QObject {
    Q_OBJECT
public:
    explicit ClickFilter(std::function<void(QObject*)> onClick, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(QObject*)> m_onClick;
};
