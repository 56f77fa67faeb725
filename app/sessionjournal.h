#pragma once

#include "platform/folderlock.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class JournalWriter;
class TFormMain;

struct SessionJournalOptions {
    std::function<bool(const QString&)> ask;       // the yes/no question
    std::function<void(const QString&)> message;   // default: a warning box
    std::function<QDateTime()> now;                // default: the wall clock (names of kept journals)
    QString folder;                                // default: the window's backup folder
};

// The race journal of one run: at start-up it takes the folder's lock, offers
// a day that did not end through the close question, restores it or keeps it
// aside, and then has the window tell the writer every change. A second
// program in the same folder runs without a journal: it is told so, and the
// first program's journal stays untouched.
class SessionJournal {
public:
    enum class Start { Fresh, Restored, Declined, OtherProgram, Failed };

    static const char* const kRestoreQuestion;

    SessionJournal(TFormMain& window, SessionJournalOptions options);
    // Leaves the journal open: only closeOrderly() marks the day as ended.
    ~SessionJournal();

    Start start() const { return m_start; }
    QStringList keptFiles() const { return m_kept; }
    JournalWriter* writer() const { return m_writer.get(); }
    // After "Programm beenden?" was answered "Ja": the next start asks nothing.
    void closeOrderly();

private:
    TFormMain& m_window;
    FolderLock m_lock;
    std::unique_ptr<JournalWriter> m_writer;
    Start m_start = Start::Failed;
    QStringList m_kept;
};
