#pragma once

#include <QString>
#include <QtGlobal>
#include <array>

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

// Which of a display's eight digits (HH MM SS hh) are lit: leading zeros are
// dimmed up to the first part that is not zero. The upper display always
// lights its seconds' last digit and the hundredths; the lower one dims them
// too while the whole time is zero.
std::array<bool, 8> litDigits(const TimeParts& t, bool lower);

// Row text: "MM:SS,hh" with acc 2, "MM:SS,t" with acc 1, "MM:SS" with acc 0.
// Hours are not shown.
QString TimeToText(qint32 ms, int acc);
