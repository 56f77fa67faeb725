#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file so that the old one is replaced only by a complete new
// one: the bytes go to a temporary file in the same folder, which is renamed
// over the target once it is flushed. A crash, a kill or a full disk leaves
// the previous file untouched.
struct WriteResult {
    bool ok = false;
    QString error;  // the system's reason when ok is false
};

WriteResult writeFileAtomically(const QString& path, const QByteArray& contents);

// A write beyond the file size limit (ulimit -f) raises SIGXFSZ, and that
// ends the process unless it is ignored; ignored, the write comes back short
// and writeFileAtomically reports it. The program calls this once at start.
void ignoreFileSizeSignal();
