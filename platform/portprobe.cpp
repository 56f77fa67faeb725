#include "platform/portprobe.h"

#include "platform/portmap.h"

#include <QByteArray>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

QSet<quint64> devicesHeldByOthers(const QHash<QByteArray, quint64>& candidates, const QString& procFolder)
{
    QSet<quint64> held;
    if (candidates.isEmpty())
        return held;
    const QByteArray procPath = procFolder.toLocal8Bit();
    DIR* proc = opendir(procPath.constData());
    if (!proc)
        return held;
    const pid_t self = getpid();
    while (const dirent* entry = readdir(proc)) {
        char* end = nullptr;
        const long pid = std::strtol(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid == self)
            continue;
        // Other users' descriptors are unreadable without privileges; what
        // cannot be seen is simply not counted.
        const QByteArray fdPath = procPath + '/' + entry->d_name + "/fd";
        const int dirFd = open(fdPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dirFd < 0)
            continue;
        DIR* fds = fdopendir(dirFd);
        if (!fds) {
            close(dirFd);
            continue;
        }
        while (const dirent* fd = readdir(fds)) {
            if (fd->d_name[0] == '.')
                continue;
            char target[PATH_MAX];
            const ssize_t n = readlinkat(dirfd(fds), fd->d_name, target, sizeof target - 1);
            // A process whose descriptors may be listed but not read (a
            // container's init, a setuid program) refuses every one of them.
            if (n < 0 && errno == EACCES)
                break;
            if (n <= 0)
                continue;
            const auto found = candidates.constFind(QByteArray::fromRawData(target, n));
            if (found != candidates.constEnd())
                held.insert(found.value());
        }
        closedir(fds);
    }
    closedir(proc);
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

quint32 probeComPorts(const PortMap& map, const QString& procFolder)
{
    // The kernel names an open device by its real path, so links such as
    // the overrides' /dev/serial/by-id names are resolved first.
    QHash<QByteArray, quint64> candidates;
    for (int n = 1; n <= 16; ++n) {
        struct stat st {};
        const QByteArray path = map.devicePath(n).toLocal8Bit();
        if (path.isEmpty() || stat(path.constData(), &st) != 0 || !S_ISCHR(st.st_mode))
            continue;
        char real[PATH_MAX];
        if (realpath(path.constData(), real))
            candidates.insert(QByteArray(real), quint64(st.st_rdev));
    }
    if (candidates.isEmpty())
        return 0;
    return findComPorts(map, devicesHeldByOthers(candidates, procFolder));
}

}  // namespace platform
