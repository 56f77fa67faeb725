#include "platform/journalfile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

AppendOnlyFile::~AppendOnlyFile()
{
    close();
}

bool AppendOnlyFile::open(const QString& path)
{
    close();
    const QByteArray name = QFile::encodeName(path);
    m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return fail("open");
    return true;
}

void AppendOnlyFile::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool AppendOnlyFile::fail(const char* what)
{
    m_error = QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

bool AppendOnlyFile::append(const char* data, qint64 size)
{
    if (m_fd < 0) {
        m_error = QStringLiteral("not open");
        return false;
    }
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("write");
        }
        if (n == 0) {
            errno = ENOSPC;
            return fail("write");
        }
        data += n;
        size -= n;
    }
    return true;
}

bool AppendOnlyFile::sync()
{
    if (m_fd < 0)
        return false;
    while (::fdatasync(m_fd) != 0) {
        if (errno != EINTR)
            return fail("fdatasync");
    }
    return true;
}

bool AppendOnlyFile::truncate()
{
    if (m_fd < 0)
        return false;
    if (::ftruncate(m_fd, 0) != 0)
        return fail("ftruncate");
    return sync();
}

bool syncFolder(const QString& folder)
{
    const QByteArray name = QFile::encodeName(folder);
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}
