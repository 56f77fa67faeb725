#pragma once

#include <QObject>
#include <QVariant>

// Small per-control state (arm flags, row numbers, the trigger edge) lives in
// a "Tag" property on the control itself, so any widget can carry one.
inline int tagOf(const QObject* object)
{
    return object ? object->property("Tag").toInt() : 0;
}

inline void setTag(QObject* object, int value)
{
    if (object)
        object->setProperty("Tag", value);
}
