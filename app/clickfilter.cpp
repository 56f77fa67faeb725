#include "app/clickfilter.h"

#include <QEvent>
#include <QMouseEvent>

ClickFilter::ClickFilter(std::function<void(QObject*)> onClick, QObject* parent)
    : QObject(parent)
    , m_onClick(std::move(onClick))
{
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && m_onClick) {
        m_onClick(watched);
        return true;
    }
    return QObject::eventFilter(watched, event);
}
