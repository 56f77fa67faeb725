#include "results/backupwriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QDate kDay(2026, 12, 7);

QByteArray readBackup(const QTemporaryDir& dir)
{
    QFile file(dir.filePath(backupFileName(kDay)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Delivers the outcomes the worker has queued for this thread.
void deliver(BackupWriter& writer)
{
    writer.waitUntilIdle();
    QCoreApplication::sendPostedEvents(&writer, QEvent::MetaCall);
}

TEST(BackupWriter, TheNewestTextEndsOnDiskAndEachWriteIsReported)
{
    QTemporaryDir dir;
    BackupWriter writer(dir.path());
    QSignalSpy spy(&writer, &BackupWriter::written);
    for (int i = 1; i <= 20; ++i)
        writer.submit(kDay, "race " + QByteArray::number(i) + "\r\n");
    deliver(writer);
    EXPECT_EQ(readBackup(dir), QByteArray("race 20\r\n"));
    // Waiting texts give way to newer ones: at most every text, at least one.
    ASSERT_GE(spy.count(), 1);
    EXPECT_LE(spy.count(), 20);
    const auto last = spy.last().at(0).value<BackupResult>();
    EXPECT_TRUE(last.ok);
    EXPECT_EQ(last.path, dir.filePath(backupFileName(kDay)));
}

TEST(BackupWriter, TheLastTextIsWrittenBeforeTheWriterGoes)
{
    QTemporaryDir dir;
    {
        BackupWriter writer(dir.path());
        writer.submit(kDay, "first\r\n");
        writer.submit(kDay, "entered just before the end\r\n");
    }
    EXPECT_EQ(readBackup(dir), QByteArray("entered just before the end\r\n"));
}

TEST(BackupWriter, AFailedWriteIsReportedWithTheReason)
{
    QTemporaryDir dir;
    BackupWriter writer(dir.filePath(QStringLiteral("missing")));
    QSignalSpy spy(&writer, &BackupWriter::written);
    writer.submit(kDay, "lost?\r\n");
    deliver(writer);
    ASSERT_EQ(spy.count(), 1);
    const auto result = spy.at(0).at(0).value<BackupResult>();
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.error.isEmpty());
}

}  // namespace
