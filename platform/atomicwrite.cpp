#include "platform/atomicwrite.h"

#include <QSaveFile>

#include <csignal>

WriteResult writeFileAtomically(const QString& path, const QByteArray& contents)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    // A write the system cuts short (full disk, file size limit) is not always
    // reported as an error: Qt returns the bytes that did get written, and
    // the commit would then put a truncated file in place of the good one.
    // So the flushed size of the temporary file is checked before the rename.
    const bool written = file.write(contents) == contents.size() && file.flush();
    if (!written || file.size() != contents.size()) {
        QString error = file.errorString();
        if (file.error() == QFileDevice::NoError || error.isEmpty())
            error = QStringLiteral("incomplete write: %1 of %2 bytes").arg(file.size()).arg(contents.size());
        file.cancelWriting();
        return {false, error};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

void ignoreFileSizeSignal()
{
    std::signal(SIGXFSZ, SIG_IGN);
}
