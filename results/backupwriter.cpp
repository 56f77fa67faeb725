#include "results/backupwriter.h"

#include <QMetaObject>

BackupWriter::BackupWriter(const QString& folder, QObject* parent)
    : QObject(parent)
    , m_backup(folder)
{
    qRegisterMetaType<BackupResult>();
    m_worker = std::thread([this] { run(); });
}

BackupWriter::~BackupWriter()
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_worker.join();
}

void BackupWriter::submit(const QDate& date, QByteArray text)
{
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_pending = Job{date, std::move(text)};
    }
    m_wake.notify_all();
}

void BackupWriter::waitUntilIdle()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return !m_pending && !m_busy; });
}

void BackupWriter::run()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_pending || m_stop; });
        // The last backup is written even when the program is ending.
        if (!m_pending)
            break;
        Job job = std::move(*m_pending);
        m_pending.reset();
        m_busy = true;
        lock.unlock();
        const BackupResult result = m_backup.write(job.date, job.text);
        // Queued: the handler runs on the owner's thread, never here.
        QMetaObject::invokeMethod(this, [this, result] { emit written(result); }, Qt::QueuedConnection);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}
