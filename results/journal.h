#pragma once

#include "results/classlist.h"
#include "results/resulttable.h"
#include "results/timeassignment.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>
#include <optional>

// The race journal as data: what a session shows (class book, the 21 result
// tables, the race in progress), the records that change it, and their
// framing on disk. A record is framed as its length, a CRC32 of its bytes and
// the bytes; a reader stops at the first frame that is incomplete or does not
// match its checksum, so a torn or damaged tail costs only itself. The writer
// is results/journalwriter.*; the window turns what the operator does into
// records and a restored state back into what it shows.

// One time row as the journal keeps it.
struct JournalTimeRow {
    TimeRow row;
    qint64 ticks = 0;        // since the race start
    quint32 colour = 0;      // the time text's colour (QRgb)
    friend bool operator==(const JournalTimeRow& a, const JournalTimeRow& b)
    {
        return a.row.text == b.row.text && a.row.counted == b.row.counted && a.row.zeitRow == b.row.zeitRow
               && a.row.down == b.row.down && a.row.exactMark == b.row.exactMark
               && a.row.firstColumn == b.row.firstColumn && a.ticks == b.ticks && a.colour == b.colour;
    }
};

// The clock's state by number, as timing/raceclock.h counts it (results/ may
// not include timing/).
enum class JournalClock : qint32 { StartUp = 0, Ready = 1, Running = 2, Ended = 3, Entered = 4 };

struct JournalRace {
    JournalClock clock = JournalClock::StartUp;
    qint64 startTick = 0;
    qint64 endTick = 0;
    QVector<JournalTimeRow> rows;  // rows 1 to the row count
    std::array<QString, kCarsPerRace> startNumbers;
    friend bool operator==(const JournalRace&, const JournalRace&) = default;
};

struct JournalTable {
    ResultTable table = ResultTable::withHeading();
    bool canSort = false;  // a heading click still sorts (before the first ranking)
    qint32 sortCol = 1;
    friend bool operator==(const JournalTable& a, const JournalTable& b)
    {
        return a.table.rows == b.table.rows && a.canSort == b.canSort && a.sortCol == b.sortCol;
    }
};

struct SessionState {
    QStringList classNames;
    std::array<QString, kClassPages> captions;
    std::array<qint32, kClassPages> trackLengths{};
    qint32 activePage = 0;
    bool placeOrder = true;
    std::array<JournalTable, kClassPages> tables;
    JournalRace race;
    // Something changed since the journal began: there is a day to restore.
    bool changed = false;
    // The program ended through its close question.
    bool closed = false;

    friend bool operator==(const SessionState&, const SessionState&) = default;
};

struct JournalRecord {
    enum class Type : quint8 {
        Clock = 1,         // clock state, start and end tick; rows beyond the count go
        Row = 2,           // time row n (1-based) as it is now; n = count + 1 adds it
        StartNumbers = 3,  // the five start-number fields
        Table = 4,         // one page's result table after entering, ranking, deleting or clearing
        Classes = 5,       // names, captions and track lengths after a class list or a new class
        TrackLength = 6,   // one page's track length
        ActivePage = 7,
        Closed = 8,        // the orderly end
    };
    quint64 seq = 0;  // given by the writer
    Type type = Type::Closed;
    QByteArray body;

    static JournalRecord clock(JournalClock clock, qint64 startTick, qint64 endTick, int rowCount);
    static JournalRecord row(int n, const JournalTimeRow& row);
    static JournalRecord startNumbers(const std::array<QString, kCarsPerRace>& numbers);
    static JournalRecord table(int page, const JournalTable& table, bool placeOrder);
    static JournalRecord classes(const QStringList& names, const std::array<QString, kClassPages>& captions,
                                 const std::array<qint32, kClassPages>& trackLengths);
    static JournalRecord trackLength(int page, qint32 metres);
    static JournalRecord activePage(int page);
    static JournalRecord closedRecord();
};

quint32 crc32(const char* data, qint64 size, quint32 crc = 0);

// A whole frame: length, checksum, sequence number, type and body.
QByteArray encodeRecord(const JournalRecord& record);

struct DecodedFrames {
    QVector<JournalRecord> records;
    qint64 goodBytes = 0;  // the frames before a bad tail
    bool badTail = false;  // bytes after goodBytes that did not make a frame
};
DecodedFrames decodeRecords(const QByteArray& bytes);

// Applies a record; false when its body does not read (the record is then
// treated as the start of a damaged tail).
bool applyRecord(SessionState& state, const JournalRecord& record);

// The snapshot file: one frame whose body is the whole state, with the
// sequence number of the last record it holds.
QByteArray encodeSnapshot(const SessionState& state, quint64 seq);
std::optional<std::pair<SessionState, quint64>> decodeSnapshot(const QByteArray& bytes);

// File names in the journal's folder.
extern const char* const kJournalLogName;
extern const char* const kJournalSnapshotName;
extern const char* const kJournalLockName;

struct JournalReadResult {
    bool found = false;       // a snapshot or a log was there
    SessionState state;
    quint64 lastSeq = 0;
    int recordsApplied = 0;
    bool badTail = false;     // a torn or damaged tail was left out
    bool badSnapshot = false; // the snapshot did not read: only the log was used
    // A day that did not end through the close question and has something in it.
    bool needsRestore() const { return found && state.changed && !state.closed; }
};

// Reads the snapshot and the records after it. A missing folder or files
// give an empty result; damage gives everything before it.
JournalReadResult readJournal(const QString& folder);

// Moves the journal's files aside under names carrying `stamp`
// ("yyyy-MM-dd_hh-mm-ss"), so that a day the operator chose not to restore
// is kept. Returns the names used (empty when nothing was there).
QStringList archiveJournal(const QString& folder, const QString& stamp);
