#include "app/returnkeyfilter.h"

#include <QEvent>
#include <QKeyEvent>

ReturnKeyFilter::ReturnKeyFilter(std::function<void()> onReturn, QObject* parent)
    : QObject(parent)
    , m_onReturn(std::move(onReturn))
{
}

bool ReturnKeyFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && m_onReturn) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter)
            m_onReturn();
    }
    return QObject::eventFilter(watched, event);
}
