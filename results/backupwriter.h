#pragma once

#include "results/resultsfile.h"

#include <QByteArray>
#include <QDate>
#include <QObject>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

// Writes the daily backup off the user-interface thread: the text is built
// by the caller, the disk work (sync and rename) runs on a worker of its
// own. Backups are written in order and never two at once; a backup that is
// still waiting when a newer one comes is replaced by it, since the newer
// text holds everything the older did. Each outcome is reported by
// `written`, delivered on the thread that owns this object.
class BackupWriter : public QObject {
    Q_OBJECT
public:
    explicit BackupWriter(const QString& folder, QObject* parent = nullptr);
    // Writes what is still waiting before it returns: nothing entered is
    // left unwritten at the end of the program.
    ~BackupWriter() override;

    void submit(const QDate& date, QByteArray text);
    // Blocks until nothing is waiting or being written.
    void waitUntilIdle();

signals:
    void written(const BackupResult& result);

private:
    struct Job {
        QDate date;
        QByteArray text;
    };
    void run();

    DailyBackup m_backup;  // used by the worker only
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::optional<Job> m_pending;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_worker;
};
