#pragma once

#include "platform/atomicwrite.h"
#include "results/resulttable.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QString>
#include <QVector>

// The results text file of all classes, the daily backup and the proposed
// save name. The text is UTF-8 with CR LF line ends; widths count characters.

// One class page: its caption (the class name) and its table.
struct ClassResults {
    QString caption;
    const ResultTable* table = nullptr;
};

// Field widths of columns 0 to 8; the hidden order column is never written.
inline constexpr int kResultFieldWidths[9] = {5, 6, 10, 10, 10, 10, 10, 10, 7};

// One line without its line end: each cell right-justified in its field; a
// longer cell is written whole and pushes the rest of the line to the right.
QString resultLine(const QStringList& cells);

// Per class with results, in page order: "KLASSE: " and the caption, an empty
// line, the heading row and every data row in the table's order, an empty
// line. No class with results gives an empty text.
QByteArray resultsText(const QVector<ClassResults>& classes);

// Writes the results file through a temporary file that replaces the old one
// only when complete; a failure leaves the old file and says why.
WriteResult SaveResultsText(const QString& fileName, const QVector<ClassResults>& classes);

// "Sicherung_yyyy-mm-dd.txt": one backup per calendar day.
QString backupFileName(const QDate& date);

// Rewrites the day's backup in `folder`, whatever file of that name is there;
// the window goes through DailyBackup below.
WriteResult writeBackup(const QDir& folder, const QDate& date, const QVector<ClassResults>& classes);

// Where one run of the program keeps the day's backup. Its first write on a
// day keeps a backup an earlier run left under that day's name (a crash, or
// a restart the same day) as "Sicherung_yyyy-mm-dd_N.txt", N one above the
// highest such number in the folder, so the numbers follow the runs; only
// then does it write its own under the day's name.
struct BackupResult {
    bool ok = false;
    QString path;    // the day's backup file
    QString error;   // the system's reason when ok is false
    QString keptAs;  // where an earlier run's backup went, if there was one
};

class DailyBackup {
public:
    DailyBackup() = default;
    explicit DailyBackup(const QString& folder) : m_folder(folder) {}

    BackupResult write(const QDate& date, const QVector<ClassResults>& classes);
    // The same with the text already built (resultsText).
    BackupResult write(const QDate& date, const QByteArray& text);

private:
    QString keepEarlierRun(const QString& path, const QDate& date, BackupResult& result) const;

    QDir m_folder;
    QDate m_ownDay;  // the day whose file under the day's name this run wrote
};

// The proposed save name "yyyy-mm-dd_hh-mm" (24-hour clock).
QString DateStampName(const QDateTime& now);

// Empties columns 2 to 9 of every data row; places and start numbers stay.
void clearResults(ResultTable& table);
