#pragma once

#include "controls/tcolor.h"

#include <QString>
#include <QtGlobal>

#include <optional>

namespace platform {
class SettingsStore;
}

// The sixteen persisted settings with their defaults. The main window reads
// them once while it is created, pushes each into its run-time home, and
// gathers them back for the one write at an orderly end.
struct SettingsValues {
    static constexpr int kWidth = 1206;      // the window is fixed at this width
    static constexpr int kMinHeight = 492;

    std::optional<qint32> left;  // nullopt: the window system places the window
    std::optional<qint32> top;
    int width = kWidth;
    int height = 543;
    bool sound = true;        // kept only: read, and written back unchanged
    int port = 0;             // 0 = no port, n = COMn (low 8 bits)
    int alg = 0;              // 0 = "Ein", 1 = "Aus"; negative locks the port list
    TColor c1 = clBlack;      // display background
    TColor c2 = clLime;       // lit digits
    TColor c3 = rgbColor(0x40, 0x40, 0x40);  // passive digits
    int acc = 2;              // decimal places of shown times: 0, 1 or 2
    int waitStart = 100;      // light-barrier lock-out in ms
    int filterInd = 1;        // 1 = text file, 2 = spreadsheet
    int charSet = 0;          // index into the character-set table, 0..15
    QString lang;             // language file base name, "DEFAULT" or empty
    bool playZeit = true;     // beep when a time is taken
    // After the sixteen, read on their own: a file from before live results
    // gives the defaults, and the sixteen read exactly as they did.
    bool liveOn = false;      // LiveOn: serve live results from start-up
    int livePort = kDefaultLivePort;  // LivePort
    static constexpr int kDefaultLivePort = 8080;

    bool operator==(const SettingsValues&) const = default;
};

// How far reading got: the number of values read and applied, in reading
// order. 16 means every value was present and well typed.
struct SettingsReadResult {
    SettingsValues values;
    int valuesRead = 0;
    bool keyOpened = false;
};

// The names in reading order and in writing order.
inline constexpr const char* kSettingsReadOrder[] = {
    "Port", "Alg", "Left", "Top", "Width", "Height", "Sound", "C1",
    "C2", "C3", "Acc", "WaitStart", "FilterInd", "CharSet", "Lang", "PlayZeit"};
inline constexpr const char* kSettingsWriteOrder[] = {
    "Left", "Top", "Width", "Height", "Sound", "Port", "Alg", "C1",
    "C2", "C3", "Acc", "WaitStart", "FilterInd", "CharSet", "Lang", "PlayZeit"};

// Loads the store (without creating anything) and reads the values in reading
// order. The first value that is missing or of the wrong type ends reading:
// it and every later value keep their defaults. A missing Lang reads as empty
// and reading goes on; a Lang that is not a string ends reading.
//
// Values are brought into range as they are read, so the window can apply
// them as they stand:
//   Port      low 8 bits
//   Width     always 1206
//   Height    at least 492
//   Acc       outside 0..2 reads as 2 (hundredths, the default)
//   WaitStart kept as unsigned milliseconds, at most 2147483647 (a timer's limit)
//   FilterInd other than 1 or 2 reads as 1
//   CharSet   low 8 bits; outside 0..15 reads as 0 ("DEFAULT")
//   Alg       kept as stored, negative values too (they lock the port list)
SettingsReadResult readSettings(platform::SettingsStore& store);

// Reloads the store from disk (values that are not ours stay; a file that
// could not be read is replaced), puts the values in writing order (with the
// same ranges applied: the width written is always 1206, the height at least
// 492) and saves the store in one atomic replace. A left or top edge that is
// not known writes the stored one, else 0. Returns an empty string on
// success, otherwise the reason; the file on disk is unchanged then.
QString writeSettings(platform::SettingsStore& store, const SettingsValues& values);

// The range rules above, one by one, for the places that change values while
// the program runs.
int clampedPort(qint64 stored);
int clampedHeight(qint64 stored);
int clampedAcc(qint64 stored);
int clampedWaitStart(quint32 stored);
int clampedFilterInd(qint64 stored);
int clampedCharSet(qint64 stored);
int clampedLivePort(qint64 stored);  // 1..65535, else the default
