#include "platform/atomicwrite.h"

#include "platform/isolatedcall.h"
#include "support/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

QStringList entries(const QTemporaryDir& dir)
{
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

TEST(WriteFileAtomically, WritesAndReplaces)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(writeFileAtomically(path, "first").ok);
    EXPECT_EQ(readAll(path), QByteArray("first"));
    ASSERT_TRUE(writeFileAtomically(path, "second, longer").ok);
    EXPECT_EQ(readAll(path), QByteArray("second, longer"));
    ASSERT_TRUE(writeFileAtomically(path, QByteArray()).ok);
    EXPECT_EQ(readAll(path), QByteArray());
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("a.txt")});
}

TEST(WriteFileAtomically, WriteCutShortKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    ASSERT_TRUE(writeFileAtomically(path, "the good old contents").ok);

    WriteResult result;
    {
        FileSizeLimit limit(100);
        ASSERT_TRUE(limit.active());
        result = writeFileAtomically(path, QByteArray(5000, 'x'));
    }
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_EQ(readAll(path), QByteArray("the good old contents"));
    EXPECT_EQ(entries(dir), QStringList{QStringLiteral("a.txt")});
}

TEST(WriteFileAtomically, UnwritableTargetsReportAnError)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    WriteResult result = writeFileAtomically(dir.filePath(QStringLiteral("folder")), "x");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
    EXPECT_TRUE(QFileInfo(dir.filePath(QStringLiteral("folder"))).isDir());

    result = writeFileAtomically(dir.filePath(QStringLiteral("missing/a.txt")), "x");
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
}

// Without it the first write beyond `ulimit -f` ends the process before
// the short write can be seen.
TEST(IgnoreFileSizeSignal, AWriteBeyondTheLimitComesBackShortInsteadOfEndingTheProcess)
{
    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("big")));
    const IsolatedResult result = runIsolated(
        [&path] {
            ignoreFileSizeSignal();
            struct rlimit limit {};
            getrlimit(RLIMIT_FSIZE, &limit);
            limit.rlim_cur = 100;
            const int fd = ::open(path.constData(), O_WRONLY | O_CREAT, 0600);
            const char bytes[1000] = {};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || fd < 0 || ::write(fd, bytes, sizeof bytes) != 100)
                return false;
            // The kernel signals only a write that starts at the limit.
            return ::write(fd, bytes, sizeof bytes) == -1 && errno == EFBIG;
        },
        10000);
    EXPECT_EQ(result, IsolatedResult::Succeeded);
}

}  // namespace
