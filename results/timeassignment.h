#pragma once

#include "controls/colorvalue.h"
#include "results/resulttable.h"

#include <QString>
#include <QVector>
#include <array>
#include <optional>

// The operator's assignment of taken times to the five start numbers, and the
// entering of a finished race into a result table, on plain data. The window
// copies its time rows into TimeRow values, calls these functions and shows
// the outcome; no widget is touched here.

constexpr int kCarsPerRace = 5;

// What entering needs from one time row of the race.
struct TimeRow {
    QString text;                       // the row's time text
    bool counted = true;                // its check box: the row counts only while checked
    bool zeitRow = false;               // the check box's tag: false on the start row, true on ZEIT rows
    std::array<bool, kCarsPerRace> down{};  // assignment button k (index k - 1) is down
    int exactMark = 0;                  // the checked exact-time mark 1..5, 0 for none
    int firstColumn = 0;                // the first button clicked on this row, 0 for none
};

// How assignment button k of a row is to be shown.
struct MarkView {
    bool enabled = true;
    bool finalLapGlyph = false;  // the fourth mark: it ends the car's last lap
    bool exactVisible = false;   // the exact-time mark beside the button is shown
    QString label;               // the lap the mark ends, "1" to "3", or empty
};
using RowMarkViews = std::array<MarkView, kCarsPerRace>;

// A click on button or label k (1..5) of a row: the button toggles, and the
// first car ever assigned to the row takes its exact-time mark. Returns
// whether exact-time mark k is to be shown until the recount below runs.
bool clickAssignment(TimeRow& row, int k);

// Recounts the marks of all rows in order. A row whose check box is off
// neither counts nor changes: its entry is empty and the window leaves the
// row's buttons as they are. Per car, the second to fourth marks show the lap
// they end; the fourth gets the final-lap glyph; a fifth and later mark is
// disabled (it stays down and is not entered). Exact-time marks are shown only
// on ZEIT rows, for enabled marks. Buttons that are up are shown enabled, with
// the normal glyph, no label and no exact-time mark.
QVector<std::optional<RowMarkViews>> RefreshAssignments(const QVector<TimeRow>& rows);

// Everything entering a race reads from the window.
struct RaceEntry {
    QVector<TimeRow> rows;                          // time rows 1 to the row count
    std::array<QString, kCarsPerRace> startNumbers;  // the start-number fields as typed
    int pageIndex = 0;                              // active class page, 0..20
    QString trackLengthText;                        // the track length field
    int acc = 2;                                    // decimals of the time texts it writes
};

struct RaceEntryResult {
    enum class Status {
        Entered,           // times were written into the table
        NothingMarked,     // no counted mark: nothing happens, no message
        NinthPage,         // refused: message kNinthPageMessage
        CheckTrackLength,  // refused: focus the track length field, message kTrackLengthMessage
    };
    Status status = Status::NothingMarked;
    std::array<int, kCarsPerRace> passages{};   // counted marks per start-number field
    std::array<int, kCarsPerRace> tableRows{};  // the car's table row, 0 for none
    int totalMarks = 0;

    bool entered() const { return status == Status::Entered; }
    // The message box text for a refused entry, empty otherwise.
    QString message() const;
};

extern const char* const kNinthPageMessage;    // UTF-8
extern const char* const kTrackLengthMessage;  // UTF-8

// The class page that takes no entries.
constexpr int kRefusingPage = 8;

// Enters a race into `table`, the result table of the active page. On a
// refusal or with nothing marked the table is unchanged. A start number keeps
// its row: a later race overwrites its times, and laps it did not drive read
// "-". Start numbers are told apart by their text ("07" is not "7").
RaceEntryResult enterRace(ResultTable& table, const RaceEntry& entry);

// The row of a start number (column 1, ignoring letter case), 0 when absent.
int findStartNumberRow(const ResultTable& table, const QString& startNumber);

// Text colour of a start-number field after an entry: blue for a car that
// drove at least one lap, red for a car with only a start passage or none.
TColor startNumberColor(int passages);
