#pragma once

#include <QString>
#include <QtGlobal>

// The one time text of the time rows and the result tables: "MM:SS,hh" with
// two decimals, "MM:SS,t" with one, "MM:SS" with any other number. Every
// division truncates and hours are dropped. Callers decide what a decimals
// setting out of range means.
QString minutesSecondsText(qint64 ms, int decimals);
