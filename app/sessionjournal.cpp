#include "app/sessionjournal.h"

#include "app/formmain.h"
#include "app/messagebox.h"
#include "app/programname.h"
#include "results/journal.h"
#include "results/journalwriter.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

const char* const SessionJournal::kRestoreQuestion = "Sitzung wiederherstellen?";

SessionJournal::SessionJournal(TFormMain& window, SessionJournalOptions options)
    : m_window(window)
{
    const QString folder = options.folder.isEmpty() ? window.backupDir() : options.folder;
    const auto tell = [&](const QString& text) {
        if (options.message) {
            options.message(text);
        } else {
            showPlainMessage(&window, QMessageBox::Warning, programTitle(), text);
        }
    };

    switch (m_lock.tryLock(QDir(folder).filePath(QLatin1String(kJournalLockName)))) {
    case FolderLock::Result::Locked:
        break;
    case FolderLock::Result::HeldByOther:
        // Timing goes on: refusing to start could leave an event without a
        // clock when the other program is hidden or hung. The other program's
        // journal is left alone; this one keeps none.
        m_start = Start::OtherProgram;
        window.showJournalStatus(QStringLiteral("Kein Journal: 2. Programm"));
        tell(QStringLiteral("Im Ordner %1 läuft schon ein Pylonix.\nDieses Programm führt kein Journal: "
                            "nach einem Absturz ist hier nichts wiederherzustellen, und beide schreiben "
                            "dieselbe Sicherung.")
                 .arg(QDir::toNativeSeparators(folder)));
        return;
    case FolderLock::Result::Failed:
        m_start = Start::Failed;
        window.showJournalStatus(QStringLiteral("Kein Journal: %1").arg(m_lock.error()));
        return;
    }

    const JournalReadResult read = readJournal(folder);
    // Keeps the journal's files under the date and time of this start.
    const auto keepAside = [&] {
        const QDateTime now = options.now ? options.now() : QDateTime::currentDateTime();
        m_kept = archiveJournal(folder, now.toString(QStringLiteral("yyyy-MM-dd_hh-mm-ss")));
    };
    quint64 lastSeq = 0;
    bool restored = false;
    m_start = Start::Fresh;
    if (read.needsRestore()) {
        if (options.ask && options.ask(QString::fromUtf8(kRestoreQuestion))) {
            window.restoreSession(read.state);
            lastSeq = read.lastSeq;
            restored = true;
            m_start = Start::Restored;
        } else {
            keepAside();
            m_start = Start::Declined;
        }
    }
    // The new journal starts with a snapshot that replaces the files: what a
    // damaged snapshot or log still holds beyond what was read stays aside.
    if (read.badSnapshot || read.badTail) {
        if (m_kept.isEmpty())
            keepAside();
        QStringList details{window.journalStatus()};
        for (const QString& path : std::as_const(m_kept))
            details << QDir::toNativeSeparators(path);
        details.removeAll(QString());
        window.showJournalStatus(QStringLiteral("Journal beschädigt, aufbewahrt"), details.join(QLatin1Char('\n')));
    }
    SessionState initial = window.sessionState();
    // A restored day stays a day to restore until it ends orderly.
    initial.changed = restored;
    JournalWriter::Options writerOptions;
    // A journal that cannot be written says so at once, not at the first time taken.
    writerOptions.failed = [&window](const QString& reason) {
        QMetaObject::invokeMethod(&window, [&window, reason] { window.journalFailed(reason); }, Qt::QueuedConnection);
    };
    m_writer = std::make_unique<JournalWriter>(folder, initial, lastSeq, writerOptions);
    window.setJournal(m_writer.get());
}

SessionJournal::~SessionJournal()
{
    if (m_writer)
        m_window.setJournal(nullptr);
}

void SessionJournal::closeOrderly()
{
    if (!m_writer)
        return;
    m_window.setJournal(nullptr);
    m_writer->close();
}
