#include "platform/folderlock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

FolderLock::~FolderLock()
{
    unlock();
}

FolderLock::Result FolderLock::tryLock(const QString& path)
{
    unlock();
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return Result::Failed;
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int err = errno;
        ::close(fd);
        m_error = QString::fromLocal8Bit(std::strerror(err));
        return err == EWOULDBLOCK ? Result::HeldByOther : Result::Failed;
    }
    m_fd = fd;
    return Result::Locked;
}

void FolderLock::unlock()
{
    if (m_fd >= 0)
        ::close(m_fd);  // closing the last descriptor releases the lock
    m_fd = -1;
}
