#include "results/journal.h"
#include "results/journalwriter.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <sched.h>
#include <thread>
#include <vector>

namespace {

JournalTimeRow timeRow(const char* text, qint64 ticks, bool zeit = true)
{
    JournalTimeRow r;
    r.row.text = QString::fromLatin1(text);
    r.row.zeitRow = zeit;
    r.ticks = ticks;
    r.colour = 0xFFFFFF00;
    return r;
}

JournalTable tableWith(const QString& number, const QString& best)
{
    JournalTable t;
    t.table.setCell(1, ResultTable::ColNumber, number);
    t.table.setCell(1, ResultTable::ColBest, best);
    return t;
}

// A short day: a class list, a race with a marked row, an entry, a class change.
QVector<JournalRecord> aDay()
{
    std::array<QString, kClassPages> captions;
    std::array<qint32, kClassPages> lengths{};
    for (int p = 0; p < kClassPages; ++p)
        captions[p] = QStringLiteral("Klasse %1").arg(p + 1);
    captions[0] = QStringLiteral("Gruppe A");
    lengths[0] = 850;
    JournalTimeRow marked = timeRow("01:02,00", 62'000'000'000);
    marked.row.down[0] = true;
    marked.row.exactMark = 1;
    marked.row.firstColumn = 1;
    return {
        JournalRecord::classes({QStringLiteral("Gruppe A")}, captions, lengths),
        JournalRecord::startNumbers({QStringLiteral("12"), {}, {}, {}, {}}),
        JournalRecord::clock(JournalClock::Running, 5'000'000'000, 0, 1),
        JournalRecord::row(1, timeRow("00:00,00", 0, false)),
        JournalRecord::row(2, timeRow("01:02,00", 62'000'000'000)),
        JournalRecord::row(2, marked),
        JournalRecord::clock(JournalClock::Ended, 5'000'000'000, 70'000'000'000, 2),
        JournalRecord::table(0, tableWith(QStringLiteral("12"), QStringLiteral("Ausfall")), false),
        JournalRecord::clock(JournalClock::Entered, 5'000'000'000, 70'000'000'000, 2),
        JournalRecord::trackLength(0, 900),
        JournalRecord::activePage(3),
    };
}

QByteArray logOf(const QVector<JournalRecord>& records)
{
    QByteArray bytes;
    quint64 seq = 0;
    for (JournalRecord r : records) {
        r.seq = ++seq;
        bytes += encodeRecord(r);
    }
    return bytes;
}

SessionState applied(const QVector<JournalRecord>& records)
{
    SessionState s;
    for (const JournalRecord& r : records)
        EXPECT_TRUE(applyRecord(s, r));
    return s;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

TEST(Journal, RecordsReadBackAsWrittenAndBuildTheDay)
{
    const QVector<JournalRecord> day = aDay();
    const DecodedFrames frames = decodeRecords(logOf(day));
    ASSERT_EQ(frames.records.size(), day.size());
    EXPECT_FALSE(frames.badTail);
    for (int i = 0; i < day.size(); ++i) {
        EXPECT_EQ(frames.records[i].seq, quint64(i + 1));
        EXPECT_EQ(frames.records[i].type, day[i].type);
        EXPECT_EQ(frames.records[i].body, day[i].body);
    }
    const SessionState s = applied(frames.records);
    EXPECT_EQ(s.classNames, QStringList{QStringLiteral("Gruppe A")});
    EXPECT_EQ(s.trackLengths[0], 900);
    EXPECT_EQ(s.activePage, 3);
    EXPECT_FALSE(s.placeOrder);
    EXPECT_EQ(s.race.clock, JournalClock::Entered);
    ASSERT_EQ(s.race.rows.size(), 2);
    EXPECT_TRUE(s.race.rows[1].row.down[0]);
    EXPECT_EQ(s.race.rows[1].row.exactMark, 1);
    EXPECT_EQ(s.race.startNumbers[0], QStringLiteral("12"));
    EXPECT_EQ(s.tables[0].table.cell(1, ResultTable::ColBest), QStringLiteral("Ausfall"));
    EXPECT_TRUE(s.changed);
    EXPECT_FALSE(s.closed);

    // A clock record for the next race takes the rows away; closing marks the day.
    SessionState next = s;
    EXPECT_TRUE(applyRecord(next, JournalRecord::clock(JournalClock::Ready, 5'000'000'000, 5'000'000'000, 0)));
    EXPECT_TRUE(next.race.rows.isEmpty());
    EXPECT_TRUE(applyRecord(next, JournalRecord::closedRecord()));
    EXPECT_TRUE(next.closed);

    // Snapshots carry the whole state and the last sequence number.
    const auto snapshot = decodeSnapshot(encodeSnapshot(s, 42));
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->first, s);
    EXPECT_EQ(snapshot->second, 42u);
}

TEST(Journal, ATornOrDamagedTailCostsOnlyItself)
{
    const QVector<JournalRecord> day = aDay();
    const QByteArray whole = logOf(day);
    const qint64 lastStart = logOf(day.mid(0, day.size() - 1)).size();
    // Cut anywhere inside the last record: everything before it reads.
    for (qint64 cut = lastStart; cut < whole.size(); ++cut) {
        const DecodedFrames frames = decodeRecords(whole.left(cut));
        ASSERT_EQ(frames.records.size(), day.size() - 1) << cut;
        EXPECT_EQ(frames.badTail, cut != lastStart) << cut;
        EXPECT_EQ(frames.goodBytes, lastStart);
    }
    struct Damage {
        qint64 at;
        int recordsLeft;
    };
    const Damage damages[] = {
        {whole.size() - 1, int(day.size()) - 1},  // last body byte
        {lastStart, int(day.size()) - 1},         // last length field
        {lastStart + 5, int(day.size()) - 1},     // last checksum
        {10, 0},                                  // inside the first record
    };
    for (const Damage& d : damages) {
        QByteArray bad = whole;
        bad[d.at] = char(bad[d.at] ^ 0x5A);
        const DecodedFrames frames = decodeRecords(bad);
        EXPECT_EQ(frames.records.size(), d.recordsLeft) << d.at;
        EXPECT_TRUE(frames.badTail) << d.at;
    }
    // A body that does not read is refused, not applied half.
    SessionState s;
    JournalRecord garbage = JournalRecord::table(0, tableWith(QStringLiteral("1"), QStringLiteral("x")), true);
    garbage.body.chop(3);
    EXPECT_FALSE(applyRecord(s, garbage));
    JournalRecord beyond = JournalRecord::row(5, timeRow("00:01,00", 1));
    EXPECT_FALSE(applyRecord(s, beyond));
}

// A body as the records write theirs.
template <typename Write>
QByteArray body(Write write)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_0);
    write(out);
    return bytes;
}

// The most address space this process has held so far, in kB.
qint64 peakAddressSpaceKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmPeak:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

TEST(Journal, AFrameWithAHugeCountIsRefusedWithoutTakingTheMemory)
{
    // The checksums match; only the counts inside are damage: 67 million
    // rows, texts or class names would ask for gigabytes before reading one.
    constexpr quint32 kHuge = 0x04000000u;
    using Type = JournalRecord::Type;
    const JournalRecord records[] = {
        {1, Type::Table, body([](QDataStream& out) { out << qint32(0) << true << kHuge; })},
        {1, Type::Table, body([](QDataStream& out) { out << qint32(0) << true << quint32(1) << kHuge; })},
        {1, Type::Classes, body([](QDataStream& out) { out << kHuge; })},
    };
    const qint64 peakBefore = peakAddressSpaceKb();
    ASSERT_GT(peakBefore, 0);
    for (const JournalRecord& record : records) {
        const DecodedFrames frames = decodeRecords(encodeRecord(record));
        ASSERT_EQ(frames.records.size(), 1);
        SessionState s;
        EXPECT_FALSE(applyRecord(s, frames.records[0]));
        EXPECT_EQ(s, SessionState());
    }
    // A snapshot whose class-name count (after its version) went wrong.
    JournalRecord snapshot = decodeRecords(encodeSnapshot(SessionState(), 1)).records.value(0);
    ASSERT_GE(snapshot.body.size(), 8);
    snapshot.body.replace(4, 4, body([](QDataStream& out) { out << kHuge; }));
    EXPECT_FALSE(decodeSnapshot(encodeRecord(snapshot)));
    EXPECT_LT(peakAddressSpaceKb() - peakBefore, 256 * 1024) << "a count was reserved before it was checked";
}

TEST(Journal, SnapshotAndTailRestoreWhatTheWriterWasTold)
{
    QTemporaryDir dir;
    const QVector<JournalRecord> day = aDay();
    JournalWriter::Options options;
    options.snapshotEveryRecords = 4;
    {
        JournalWriter writer(dir.path(), SessionState(), 0, options);
        for (const JournalRecord& r : day) {
            writer.append(r);
            writer.waitUntilDurable();  // one record a batch, so snapshots fall between them
        }
        EXPECT_GE(writer.snapshotsWritten(), 2);
        EXPECT_TRUE(writer.healthy());
    }
    const JournalReadResult read = readJournal(dir.path());
    EXPECT_TRUE(read.found);
    EXPECT_FALSE(read.badTail);
    EXPECT_EQ(read.lastSeq, quint64(day.size()));
    EXPECT_LT(read.recordsApplied, day.size()) << "the snapshot holds the earlier records";
    EXPECT_EQ(read.state, applied(day));
    EXPECT_TRUE(read.needsRestore());

    // A kill between renaming a snapshot and emptying the log: the records
    // the snapshot already holds are not applied twice.
    const SessionState upToFive = applied(day.mid(0, 5));
    writeFile(QDir(dir.path()).filePath(QLatin1String(kJournalSnapshotName)), encodeSnapshot(upToFive, 5));
    writeFile(QDir(dir.path()).filePath(QLatin1String(kJournalLogName)), logOf(day));
    const JournalReadResult overlap = readJournal(dir.path());
    EXPECT_EQ(overlap.recordsApplied, day.size() - 5);
    EXPECT_EQ(overlap.state, applied(day));
}

TEST(Journal, AJournalFromAnEarlierRunGoesOnAndEndsOrderly)
{
    QTemporaryDir dir;
    const QVector<JournalRecord> day = aDay();
    {
        // The first run ends without its close question.
        JournalWriter writer(dir.path(), SessionState(), 0);
        for (const JournalRecord& r : day.mid(0, 6))
            writer.append(r);
    }
    // A torn record at the end, as a kill in the middle of a write leaves it.
    {
        QFile log(QDir(dir.path()).filePath(QLatin1String(kJournalLogName)));
        ASSERT_TRUE(log.open(QIODevice::Append));
        log.write(encodeRecord({99, JournalRecord::Type::Row, QByteArray(40, 'x')}).left(20));
    }
    const JournalReadResult first = readJournal(dir.path());
    ASSERT_TRUE(first.needsRestore());
    EXPECT_TRUE(first.badTail);
    EXPECT_EQ(first.state, applied(day.mid(0, 6)));

    // The second run takes the day over and ends through the close question.
    {
        JournalWriter writer(dir.path(), first.state, first.lastSeq);
        for (const JournalRecord& r : day.mid(6))
            writer.append(r);
        writer.close();
    }
    const JournalReadResult second = readJournal(dir.path());
    EXPECT_FALSE(second.badTail);
    EXPECT_TRUE(second.state.closed);
    EXPECT_FALSE(second.needsRestore());
    SessionState expected = applied(day);
    expected.closed = true;
    EXPECT_EQ(second.state, expected);

    // A day the operator does not restore is kept under a dated name.
    const QStringList kept = archiveJournal(dir.path(), QStringLiteral("2026-12-07_07-05-00"));
    EXPECT_EQ(kept.size(), 2);
    for (const QString& path : kept)
        EXPECT_TRUE(path.contains(QStringLiteral("_2026-12-07_07-05-00."))) << path.toStdString();
    EXPECT_FALSE(readJournal(dir.path()).found);
}

// Pins the calling thread to one processor.
void pinTo(int cpu)
{
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(cpu, &set);
    sched_setaffinity(0, sizeof set, &set);
}

// On a busy machine the worker can write the closing record and go back to
// sleep before close() asks it for the last snapshot; the program then hung
// after "Programm beenden?" was answered "Ja", its settings unsaved. Here the
// closing thread shares one processor with its worker and a busy thread, at
// idle priority: the worker, woken by the closing record, takes the
// processor at once and is through before the closing thread runs again.
TEST(Journal, ClosingEndsAlsoWhenTheWorkerWroteTheClosingRecordFirst)
{
    cpu_set_t allowed;
    ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
    int cpu = 0;
    while (!CPU_ISSET(cpu, &allowed))
        ++cpu;
    std::atomic<bool> spin{true};
    std::thread hog([&spin, cpu] {
        pinTo(cpu);
        while (spin.load(std::memory_order_relaxed)) {
        }
    });
    // In memory, so that the worker's writes do not give the processor away.
    QTemporaryDir dir(QStringLiteral("/dev/shm/pylonix-journal-XXXXXX"));
    ASSERT_TRUE(dir.isValid());
    int hung = 0;
    for (int run = 0; run < 500 && hung == 0; ++run) {
        auto closed = std::make_shared<std::promise<void>>();
        std::future<void> done = closed->get_future();
        std::thread closing([&dir, run, cpu, closed] {
            pinTo(cpu);
            // Made here, so its worker shares the processor.
            auto writer = std::make_unique<JournalWriter>(dir.path(), SessionState(), quint64(run) * 10);
            writer->waitUntilDurable();
            const sched_param idle{};
            sched_setscheduler(0, SCHED_IDLE, &idle);
            writer->close();
            closed->set_value();
        });
        if (done.wait_for(std::chrono::seconds(10)) == std::future_status::ready) {
            closing.join();
        } else {
            // Left hanging: destroying the writer under a waiting close()
            // would be worse than the leak.
            ++hung;
            closing.detach();
        }
    }
    spin = false;
    hog.join();
    EXPECT_EQ(hung, 0);
}

}  // namespace
