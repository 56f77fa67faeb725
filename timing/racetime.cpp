#include "timing/racetime.h"

#include "controls/minutesseconds.h"

#include <cfenv>
#include <cmath>
#include <cstdint>

qint32 CalcMS(qint64 ticks, double countSpeed)
{
    const double ms = double(ticks) / countSpeed / 1000.0;
    // nearbyint honours the current rounding mode, which is to-nearest-even
    // unless someone changed it; ties must go to the even neighbour.
    const int previous = std::fegetround();
    if (previous != FE_TONEAREST)
        std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(ms);
    if (previous != FE_TONEAREST)
        std::fesetround(previous);
    if (!std::isfinite(rounded))
        return 0;
    // Keep the low 32 bits, as a 32-bit variable receiving the value would.
    const double wrapped = std::fmod(rounded, 4294967296.0);
    const auto low = std::uint32_t(std::int64_t(wrapped));
    return qint32(low);
}

TimeParts splitTime(qint32 ms)
{
    const qint32 v = ms / 10;
    TimeParts parts;
    parts.hundredths = v % 100;
    parts.seconds = (v / 100) % 60;
    parts.minutes = (v / 6000) % 60;
    parts.hours = (v / 360000) % 100;
    return parts;
}

QString TimeToText(qint32 ms, int acc)
{
    return minutesSecondsText(ms, acc);
}

std::array<bool, 8> litDigits(const TimeParts& t, bool lower)
{
    const int hr = t.hours, m = t.minutes, s = t.seconds, f = t.hundredths;
    const bool fraction = !lower || hr + m + s + f > 0;
    return {hr / 10 > 0, hr > 0, hr + m / 10 > 0, hr + m > 0, hr + m + s / 10 > 0, fraction, fraction, fraction};
}
