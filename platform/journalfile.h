#pragma once

#include <QString>

// An append-only file that is made durable on request: the race journal's
// log. Writes go to the end, a sync waits until the data is on the disk
// (fdatasync), and the file can be emptied once a snapshot holds what it
// held. Used by one thread at a time.
class AppendOnlyFile {
public:
    AppendOnlyFile() = default;
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile&) = delete;
    AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

    // Opens or creates the file; false with error() on failure.
    bool open(const QString& path);
    bool isOpen() const { return m_fd >= 0; }
    void close();

    // The whole buffer, or false (a short write is retried until done or failed).
    bool append(const char* data, qint64 size);
    // The appended bytes are on the disk when this returns true.
    bool sync();
    // Empties the file and syncs it.
    bool truncate();

    QString error() const { return m_error; }

private:
    bool fail(const char* what);
    int m_fd = -1;
    QString m_error;
};

// Makes a rename or a new file in `folder` durable (fsync on the folder).
bool syncFolder(const QString& folder);
