#include "platform/lowlatency.h"

#include <QByteArray>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

LatencyRequest LowLatency::request(LatencyControls& controls)
{
    bool on = false;
    if (controls.readLowLatencyFlag(on) == 0) {
        if (on)
            return LatencyRequest::DriverFlag;
        if (controls.writeLowLatencyFlag(true) == 0) {
            m_flagSet = true;
            return LatencyRequest::DriverFlag;
        }
    }
    int milliseconds = 0;
    if (controls.readLatencyTimer(milliseconds) == 0) {
        if (milliseconds <= kTimerMs)
            return LatencyRequest::LatencyTimer;
        if (controls.writeLatencyTimer(kTimerMs) == 0) {
            m_previousTimer = milliseconds;
            return LatencyRequest::LatencyTimer;
        }
    }
    return LatencyRequest::None;
}

void LowLatency::restore(LatencyControls& controls)
{
    // What cannot be put back stays as it is: the adapter only answers
    // sooner than it did.
    if (m_flagSet)
        controls.writeLowLatencyFlag(false);
    if (m_previousTimer)
        controls.writeLatencyTimer(*m_previousTimer);
    m_flagSet = false;
    m_previousTimer.reset();
}

QString latencyTimerFile(const QString& devicePath, const QString& sysfsRoot)
{
    char real[PATH_MAX];
    if (devicePath.isEmpty() || !realpath(devicePath.toLocal8Bit().constData(), real))
        return {};
    const QString name = QFileInfo(QString::fromLocal8Bit(real)).fileName();
    return sysfsRoot + QStringLiteral("/class/tty/") + name + QStringLiteral("/device/latency_timer");
}

int readLatencyTimerFile(const QString& path, int& milliseconds)
{
    // Non-blocking: whatever sits at that path, the open never waits for it.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    char text[16];
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    const int error = n < 0 ? errno : 0;
    ::close(fd);
    if (error)
        return error;
    bool ok = false;
    const int value = QByteArray(text, int(n)).trimmed().toInt(&ok);
    if (!ok || value < 0 || value > 255)
        return EINVAL;
    milliseconds = value;
    return 0;
}

int writeLatencyTimerFile(const QString& path, int milliseconds)
{
    if (milliseconds < 0 || milliseconds > 255)
        return EINVAL;
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_TRUNC | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const QByteArray text = QByteArray::number(milliseconds) + '\n';
    const ssize_t n = ::write(fd, text.constData(), size_t(text.size()));
    const int error = n < 0 ? errno : (n != text.size() ? EIO : 0);
    ::close(fd);
    return error;
}

}  // namespace platform
