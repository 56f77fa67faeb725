#pragma once

#include "platform/journalfile.h"
#include "results/journal.h"

#include <QString>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Writes the race journal off the user-interface thread. append() only
// queues a record; one worker writes what is queued, makes it durable with
// fdatasync, and keeps a copy of the session state by applying every record
// it wrote. Every so many records that copy goes out as a snapshot, written
// atomically, and the log starts empty again, so a long day restores as fast
// as a short one.
class JournalWriter {
public:
    struct Options {
        int snapshotEveryRecords = 400;
        qint64 snapshotEveryBytes = 512 * 1024;
        // Called once, on the writer's thread with its lock held (so it must
        // not call the writer), when a write or sync first fails, the first
        // snapshot at start included, with the reason.
        std::function<void(const QString&)> failed;
    };

    // Starts a journal in `folder` from `initial` (the state the window shows
    // now): a snapshot of it replaces whatever journal was there, and records
    // are numbered from `lastSeq` + 1.
    JournalWriter(const QString& folder, const SessionState& initial, quint64 lastSeq);
    JournalWriter(const QString& folder, const SessionState& initial, quint64 lastSeq, Options options);
    // Writes what is still queued.
    ~JournalWriter();
    JournalWriter(const JournalWriter&) = delete;
    JournalWriter& operator=(const JournalWriter&) = delete;

    // Queues a record and returns its sequence number (0 inside a group,
    // where numbers are given when the group ends). Cheap: no disk work.
    quint64 append(JournalRecord record);
    // Records appended between these reach the disk in one write and one
    // sync, so a kill keeps all of them or none: one command of the operator
    // (an entry with its table and its clock state) is never half restored.
    // Groups nest; called from the thread that appends.
    void beginGroup() { ++m_groupDepth; }
    void endGroup();
    // The orderly end: a closing record and a last snapshot, on disk when this returns.
    void close();
    // Blocks until everything queued so far, and the first snapshot, is
    // written or has failed.
    void waitUntilIdle();
    // Blocks until the record `seq` (default: every record so far) is durable.
    void waitUntilDurable(quint64 seq = 0);
    quint64 durableSeq() const { return m_durable.load(std::memory_order_acquire); }
    // The number of the last record queued.
    quint64 lastSeq() const;

    // False once a write or sync failed; the reason stays in error().
    bool healthy() const { return m_healthy.load(); }
    QString error() const;
    QString folder() const { return m_folder; }
    int snapshotsWritten() const { return m_snapshots.load(); }

private:
    void run();
    bool writeSnapshot();
    // Marks the writer failed (once) with `reason`; called with m_mutex held.
    void failLocked(const QString& reason);

    QString m_folder;
    QString m_logPath;
    QString m_snapshotPath;
    Options m_options;

    // Worker only.
    AppendOnlyFile m_log;
    SessionState m_state;
    quint64 m_stateSeq = 0;
    int m_recordsSinceSnapshot = 0;
    qint64 m_bytesSinceSnapshot = 0;

    int m_groupDepth = 0;                 // appending thread only
    std::vector<JournalRecord> m_group;   // appending thread only

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<JournalRecord> m_queue;
    quint64 m_nextSeq = 1;
    bool m_stop = false;
    bool m_snapshotWanted = false;
    bool m_busy = true;  // the worker is writing (from the start: the first snapshot)
    QString m_error;
    std::atomic<quint64> m_durable{0};
    std::atomic<bool> m_healthy{true};
    std::atomic<int> m_snapshots{0};
    std::thread m_worker;
};
