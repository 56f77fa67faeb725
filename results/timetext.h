#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Time texts of the result tables and the time rows: "MM:SS,hh" with two
// decimals (Acc 2), "MM:SS,t" with one (Acc 1), "MM:SS" with none (Acc 0).
// The tables store times only as such texts, so entering and ranking read
// them back into milliseconds.

// Removes leading and trailing characters up to and including the blank
// (control characters too), the way the tables' texts have always been
// trimmed; a no-break space is kept.
QString trimBlanks(const QString& text);

// An optional sign followed by decimal digits, within 32 bits; nothing else.
std::optional<qint32> readInteger(const QString& text);

// Milliseconds to a time text; every division truncates and hours are dropped.
QString MsToTimeText(qint64 ms, int acc);

// A time text to milliseconds, in whichever of the three layouts it was
// written: ",hh" at its end reads as "00:00,00", ",t" as "00:00,0", anything
// else as "00:00". The text is right-aligned into its layout (missing leading
// characters come from the pattern) and minutes, seconds and the fraction
// are read from fixed places; a part that does not read adds nothing, so
// "Ausfall", "-" and any other non-time text read 0 and a text correct only
// at its end reads partly.
qint64 TimeTextToMs(const QString& text);

// Sort key of a time text: 20 blank, 18 "-", 19 "Ausfall" in any letter case,
// otherwise the length.
int timeSortKey(const QString& text);

// Orders time texts: texts that read wholly as times ("MM:SS,hh", "MM:SS,t",
// "MM:SS", or a shorter text that fits the end of one) by their time, equal
// times the shorter first; behind them every other text by key, then
// character by character (a prefix first). Negative, zero (identical texts
// only) or positive; any set of texts has one order.
int CompareTimes(const QString& s1, const QString& s2);

// Blank after trimming, "-", or "Ausfall" in any letter case.
bool IsNoTime(const QString& text);
