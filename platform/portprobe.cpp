#include "platform/portprobe.h"

#include "platform/portmap.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QSet<quint64> devicesHeldByOthers(const QString& procFolder)
{
    QSet<quint64> held;
    const QString self = QString::number(getpid());
    const QDir proc(procFolder);
    const QStringList entries = proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& pid : entries) {
        bool numeric = false;
        pid.toInt(&numeric);
        if (!numeric || pid == self)
            continue;
        // Other users' descriptors are unreadable without privileges; what
        // cannot be seen is simply not counted.
        const QDir fds(proc.filePath(pid) + QStringLiteral("/fd"));
        const QStringList links = fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString& fd : links) {
            struct stat st {};
            if (stat(fds.filePath(fd).toLocal8Bit().constData(), &st) == 0 && S_ISCHR(st.st_mode))
                held.insert(quint64(st.st_rdev));
        }
    }
    return held;
}

bool isPortAvailable(const QString& devicePath, const QSet<quint64>& heldByOthers)
{
    if (devicePath.isEmpty())
        return false;
    const QByteArray path = devicePath.toLocal8Bit();
    struct stat st {};
    if (stat(path.constData(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    if (heldByOthers.contains(quint64(st.st_rdev)))
        return false;
    // An exclusive terminal refuses the open with EBUSY; an absent UART
    // behind /dev/ttyS* refuses it with EIO.
    const int fd = open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool usable = isatty(fd) == 1;
    if (usable && flock(fd, LOCK_EX | LOCK_NB) != 0)
        usable = false;
    close(fd);
    return usable;
}

quint32 findComPorts(const PortMap& map, const QSet<quint64>& heldByOthers)
{
    quint32 result = 0;
    for (int n = 1; n <= 16; ++n) {
        if (!isPortAvailable(map.devicePath(n), heldByOthers))
            continue;
        result = (result & 0xFFFFu) | (1u << (n - 1)) | (quint32(n) << 16);
    }
    return result;
}

}  // namespace platform
