#include "results/journalwriter.h"

#include "platform/atomicwrite.h"

#include <QDir>


JournalWriter::JournalWriter(const QString& folder, const SessionState& initial, quint64 lastSeq)
    : JournalWriter(folder, initial, lastSeq, Options())
{
}

JournalWriter::JournalWriter(const QString& folder, const SessionState& initial, quint64 lastSeq, Options options)
    : m_folder(folder)
    , m_logPath(QDir(folder).filePath(QLatin1String(kJournalLogName)))
    , m_snapshotPath(QDir(folder).filePath(QLatin1String(kJournalSnapshotName)))
    , m_options(options)
    , m_state(initial)
    , m_stateSeq(lastSeq)
    , m_nextSeq(lastSeq + 1)
    , m_durable(lastSeq)
{
    m_state.closed = false;
    m_worker = std::thread([this] { run(); });
}

JournalWriter::~JournalWriter()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

quint64 JournalWriter::append(JournalRecord record)
{
    if (m_groupDepth > 0) {
        m_group.push_back(std::move(record));
        return 0;
    }
    quint64 seq;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        seq = m_nextSeq++;
        record.seq = seq;
        m_queue.push_back(std::move(record));
    }
    m_wake.notify_one();
    return seq;
}

void JournalWriter::endGroup()
{
    if (m_groupDepth == 0 || --m_groupDepth > 0 || m_group.empty())
        return;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (JournalRecord& record : m_group) {
            record.seq = m_nextSeq++;
            m_queue.push_back(std::move(record));
        }
    }
    m_group.clear();
    m_wake.notify_one();
}

void JournalWriter::close()
{
    const quint64 seq = append(JournalRecord::closedRecord());
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_snapshotWanted = true;
    }
    // The worker may have written the closing record and gone back to sleep
    // already: without a wake-up the last snapshot would never come.
    m_wake.notify_one();
    waitUntilDurable(seq);
    // The snapshot after the closing record.
    waitUntilIdle();
}

void JournalWriter::waitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return (m_queue.empty() && !m_snapshotWanted && !m_busy) || !m_healthy; });
}

void JournalWriter::failLocked(const QString& reason)
{
    if (!m_healthy)
        return;
    if (m_error.isEmpty())
        m_error = reason;
    m_healthy = false;
    if (m_options.failed)
        m_options.failed(m_error);
}

void JournalWriter::waitUntilDurable(quint64 seq)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    const quint64 target = seq ? seq : m_nextSeq - 1;
    m_done.wait(lock, [&] { return m_durable.load() >= target || !m_healthy; });
}

quint64 JournalWriter::lastSeq() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_nextSeq - 1;
}

QString JournalWriter::error() const
{
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_error;
}

bool JournalWriter::writeSnapshot()
{
    const WriteResult written = writeFileAtomically(m_snapshotPath, encodeSnapshot(m_state, m_stateSeq));
    if (!written.ok) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_error = written.error;
        return false;
    }
    // The rename must be on the disk before the log it replaces is emptied.
    syncFolder(m_folder);
    if (!m_log.truncate()) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_error = m_log.error();
        return false;
    }
    m_recordsSinceSnapshot = 0;
    m_bytesSinceSnapshot = 0;
    ++m_snapshots;
    return true;
}

void JournalWriter::run()
{
    AppendOnlyFile& log = m_log;
    // The day this journal starts from goes to the disk before any record
    // does: appended to the log that was there (perhaps ending in a torn
    // record), a new record could not be read back.
    const bool started = log.open(m_logPath) && writeSnapshot();
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!started)
            failLocked(log.error());
        m_busy = false;
        m_done.notify_all();
    }
    std::vector<JournalRecord> batch;
    QByteArray bytes;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return !m_queue.empty() || m_snapshotWanted || m_stop; });
        if (m_queue.empty() && !m_snapshotWanted)
            break;  // stopping, nothing left
        batch.swap(m_queue);
        bool snapshot = m_snapshotWanted;
        m_snapshotWanted = false;
        m_busy = true;
        lock.unlock();

        bool ok = m_healthy;
        if (ok && !batch.empty()) {
            // One write and one sync for everything that queued up meanwhile.
            bytes.clear();
            for (const JournalRecord& record : batch)
                bytes += encodeRecord(record);
            ok = log.append(bytes.constData(), bytes.size()) && log.sync();
            if (ok) {
                for (const JournalRecord& record : batch)
                    applyRecord(m_state, record);
                m_stateSeq = batch.back().seq;
                m_recordsSinceSnapshot += int(batch.size());
                m_bytesSinceSnapshot += bytes.size();
            }
        }
        if (ok) {
            snapshot = snapshot || m_recordsSinceSnapshot >= m_options.snapshotEveryRecords
                       || m_bytesSinceSnapshot >= m_options.snapshotEveryBytes;
            if (snapshot)
                ok = writeSnapshot();
        }

        lock.lock();
        if (!ok)
            failLocked(log.error());
        if (ok && !batch.empty())
            m_durable.store(batch.back().seq, std::memory_order_release);
        batch.clear();
        m_busy = false;
        m_done.notify_all();
    }
    log.close();
}
