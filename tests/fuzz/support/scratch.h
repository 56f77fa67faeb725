#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

// A folder for the files a target must write, kept for the whole run. In
// memory where the system has it: a fuzz run writes thousands of files a
// second, and the disk is shared.
inline QString scratchFolder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/pylonix-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/pylonix-fuzz-XXXXXX"));
    return dir.path();
}
