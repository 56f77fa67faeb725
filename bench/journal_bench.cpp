// Measures the race journal: what it adds to a taken time on the
// user-interface thread, how long a taken time takes to be on the disk, and
// how long a long day (21 classes of 200 rows, 500 races) takes to restore.
//
//   journal_bench [--busy]   --busy: another thread keeps writing and syncing a file meanwhile

#include "app/formmain.h"
#include "benchtables.h"
#include "results/journal.h"
#include "results/journalwriter.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

FormMainOptions options(const QString& folder)
{
    FormMainOptions o;
    o.programDir = folder;
    o.results.backupDir = folder;
    o.settingsBaseName = QStringLiteral("PylonixJournalBench");
    o.configRoot = QDir(folder).filePath(QStringLiteral("config"));
    o.ask = [](const QString&) { return true; };
    return o;
}

// Microseconds of each ZEIT on the user-interface thread, races of 100 rows.
std::vector<double> lapCosts(TFormMain& window, int laps, JournalWriter* writer, std::vector<double>* durable)
{
    std::vector<double> costs;
    QElapsedTimer t;
    while (int(costs.size()) < laps) {
        window.mStartClick();
        while (window.raceClock().commands().lap && int(costs.size()) < laps) {
            t.start();
            window.mLAPClick();
            costs.push_back(double(t.nsecsElapsed()) / 1000.0);
            if (durable && writer) {
                writer->waitUntilDurable(writer->lastSeq());
                durable->push_back(double(t.nsecsElapsed()) / 1e6);
                // Times come one by one, not in a burst.
                usleep(2000);
            }
            QCoreApplication::processEvents();
        }
        window.mAbortClick();
    }
    return costs;
}

SessionState longDay()
{
    SessionState s;
    for (int p = 0; p < kClassPages; ++p) {
        s.captions[std::size_t(p)] = QStringLiteral("Klasse %1").arg(p + 1);
        s.classNames << s.captions[std::size_t(p)];
        s.trackLengths[std::size_t(p)] = 850;
        s.tables[std::size_t(p)].table = filledTable(200, p);
    }
    s.changed = true;
    return s;
}

// The records of one race as the window sends them.
void race(JournalWriter& writer, int i, const JournalTable& table)
{
    const qint64 start = 1'000'000'000'000LL + qint64(i) * 600'000'000'000LL;
    writer.append(JournalRecord::startNumbers({QString::number(i % 200 + 1001), {}, {}, {}, {}}));
    writer.append(JournalRecord::clock(JournalClock::Running, start, start, 1));
    for (int n = 1; n <= 8; ++n) {
        JournalTimeRow row;
        row.row.text = MsToTimeText((n - 1) * 61000, 2);
        row.row.zeitRow = n > 1;
        row.ticks = qint64(n - 1) * 61'000'000'000LL;
        writer.append(JournalRecord::row(n, row));
        row.row.down[0] = true;
        row.row.firstColumn = 1;
        row.row.exactMark = 1;
        writer.append(JournalRecord::row(n, row));
    }
    writer.append(JournalRecord::clock(JournalClock::Ended, start, start + 500'000'000'000LL, 8));
    writer.append(JournalRecord::table(i % kClassPages, table, true));
    writer.append(JournalRecord::clock(JournalClock::Entered, start, start + 500'000'000'000LL, 8));
    writer.append(JournalRecord::clock(JournalClock::Ready, start, start, 0));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    const bool busy = argc > 1 && QByteArray(argv[1]) == "--busy";
    // On the program's disk, not in a memory file system.
    QTemporaryDir dir(QCoreApplication::applicationDirPath() + QStringLiteral("/journal-XXXXXX"));
    const QString folder = dir.path();

    std::atomic<bool> stop{false};
    std::thread noise;
    if (busy) {
        noise = std::thread([&] {
            QFile file(QDir(folder).filePath(QStringLiteral("noise.bin")));
            file.open(QIODevice::WriteOnly);
            const QByteArray block(1 << 20, 'x');
            while (!stop) {
                file.seek(0);
                for (int i = 0; i < 4; ++i)
                    file.write(block);
                file.flush();
                ::fsync(file.handle());
            }
        });
    }

    // 1. Cost on the user-interface thread, with and without the journal.
    {
        TFormMain window(options(folder));
        window.show();
        QCoreApplication::processEvents();
        lapCosts(window, 200, nullptr, nullptr);  // warm: rows built, caches filled
        const std::vector<double> bare = lapCosts(window, 2000, nullptr, nullptr);
        JournalWriter writer(folder, window.sessionState(), 0);
        window.setJournal(&writer);
        const std::vector<double> journalled = lapCosts(window, 2000, &writer, nullptr);
        std::vector<double> durable;
        lapCosts(window, 1000, &writer, &durable);
        window.setJournal(nullptr);
        // The journal's own part of a ZEIT: one row record made and queued.
        std::vector<double> own;
        QElapsedTimer t;
        JournalTimeRow row;
        row.row.text = QStringLiteral("01:02,03");
        row.row.zeitRow = true;
        for (int i = 0; i < 2000; ++i) {
            row.ticks = qint64(i) * 1'000'000;
            t.start();
            writer.append(JournalRecord::row(1, row));
            own.push_back(double(t.nsecsElapsed()) / 1000.0);
            usleep(300);
        }
        std::printf("journal record of a ZEIT made and queued: median %.1f us, p99 %.1f us\n",
                    percentile(own, 0.5), percentile(own, 0.99));
        std::printf("ZEIT on the user-interface thread: median %.1f us without the journal, %.1f us with it "
                    "(added %.1f us); p99 %.1f / %.1f us\n",
                    percentile(bare, 0.5), percentile(journalled, 0.5),
                    percentile(journalled, 0.5) - percentile(bare, 0.5), percentile(bare, 0.99),
                    percentile(journalled, 0.99));
        std::printf("taken time to its record on the disk%s: median %.2f ms, p99 %.2f ms, max %.2f ms (%zu times)\n",
                    busy ? " (disk busy)" : "", percentile(durable, 0.5), percentile(durable, 0.99),
                    percentile(durable, 1.0), durable.size());
    }

    // 2. Restore of a long day.
    const QString dayFolder = QDir(folder).filePath(QStringLiteral("day"));
    QDir().mkpath(dayFolder);
    {
        const SessionState day = longDay();
        JournalWriter writer(dayFolder, day, 0);
        JournalTable table;
        table.table = filledTable(200, 99);
        for (int i = 0; i < 500; ++i)
            race(writer, i, table);
        writer.waitUntilDurable();
        // The worst moment to restore: the log as long as it gets before the
        // next snapshot (entries of whole classes, one at a time).
        const int before = writer.snapshotsWritten();
        for (int i = 0; i < 60 && writer.snapshotsWritten() == before; ++i) {
            JournalTable big;
            big.table = filledTable(200, i);
            const QString log = QDir(dayFolder).filePath(QLatin1String(kJournalLogName));
            if (QFileInfo(log).size() + 20000 > JournalWriter::Options().snapshotEveryBytes)
                break;
            writer.append(JournalRecord::table(i % kClassPages, big, true));
            writer.waitUntilDurable();
        }
        std::printf("500 races journalled: %d snapshots, log now %lld bytes, snapshot %lld bytes\n",
                    writer.snapshotsWritten(),
                    QFileInfo(QDir(dayFolder).filePath(QLatin1String(kJournalLogName))).size(),
                    QFileInfo(QDir(dayFolder).filePath(QLatin1String(kJournalSnapshotName))).size());
    }
    std::vector<double> reads, restores;
    for (int i = 0; i < 5; ++i) {
        TFormMain window(options(folder));
        QElapsedTimer t;
        t.start();
        const JournalReadResult read = readJournal(dayFolder);
        const double readMs = double(t.nsecsElapsed()) / 1e6;
        window.restoreSession(read.state);
        const double totalMs = double(t.nsecsElapsed()) / 1e6;
        reads.push_back(readMs);
        restores.push_back(totalMs);
        if (i == 0) {
            std::printf("restored: %d records after the snapshot, %lld rows in class 1\n", read.recordsApplied,
                        qlonglong(read.state.tables[0].table.rowCount() - 1));
        }
    }
    std::printf("restore of 21 classes x 200 rows and 500 races: read %.1f ms, read and shown %.1f ms (median of 5)\n",
                percentile(reads, 0.5), percentile(restores, 0.5));

    // The same day without snapshots: why the writer takes them.
    const QString flatFolder = QDir(folder).filePath(QStringLiteral("flat"));
    QDir().mkpath(flatFolder);
    {
        JournalWriter::Options never;
        never.snapshotEveryRecords = 1 << 30;
        never.snapshotEveryBytes = qint64(1) << 40;
        JournalWriter writer(flatFolder, longDay(), 0, never);
        JournalTable table;
        table.table = filledTable(200, 99);
        for (int i = 0; i < 500; ++i)
            race(writer, i, table);
        writer.waitUntilDurable();
    }
    QElapsedTimer t;
    t.start();
    const JournalReadResult flat = readJournal(flatFolder);
    std::printf("without snapshots: %d records, read %.1f ms\n", flat.recordsApplied, double(t.nsecsElapsed()) / 1e6);

    stop = true;
    if (noise.joinable())
        noise.join();
    return 0;
}
