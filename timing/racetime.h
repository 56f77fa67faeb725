#pragma once

#include <QString>
#include <QtGlobal>

// Race-time arithmetic shared by the clock, the displays and the tests.
// A race time is whole milliseconds in 32 bits, made from a tick difference.

// Ticks to whole milliseconds: ticks / countSpeed (counts per microsecond)
// / 1000, rounded to nearest with ties to even; only the low 32 bits are kept,
// so the value wraps after about 24 days.
qint32 CalcMS(qint64 ticks, double countSpeed);

// A time truncated to hundredths and spread into its parts; the hours wrap at
// 100 like the display's two hour digits.
struct TimeParts {
    int hours = 0;
    int minutes = 0;
    int seconds = 0;
    int hundredths = 0;
};
TimeParts splitTime(qint32 ms);

// Row text: "MM:SS,hh" with acc 2, "MM:SS,t" with acc 1, "MM:SS" with acc 0.
// Hours are not shown.
QString TimeToText(qint32 ms, int acc);
