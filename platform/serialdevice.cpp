#include "platform/serialdevice.h"

#include <cstring>

namespace platform {

QString systemErrorText(int error)
{
    char buffer[256] = {};
    // The GNU strerror_r may return a static string instead of filling buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    if (!text || !*text)
        return QString::number(error);
    return QString::fromLocal8Bit(text);
}

}  // namespace platform
