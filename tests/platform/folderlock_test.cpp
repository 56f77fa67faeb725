#include "platform/folderlock.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(FolderLock, ASecondHolderIsToldUntilTheFirstLetsGo)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(QStringLiteral("x.lock"));
    FolderLock first;
    FolderLock second;
    EXPECT_EQ(first.tryLock(path), FolderLock::Result::Locked);
    EXPECT_EQ(second.tryLock(path), FolderLock::Result::HeldByOther);
    first.unlock();
    EXPECT_EQ(second.tryLock(path), FolderLock::Result::Locked);
    EXPECT_EQ(FolderLock().tryLock(QDir(dir.path()).filePath(QStringLiteral("no/such/x.lock"))),
              FolderLock::Result::Failed);
}

}  // namespace
