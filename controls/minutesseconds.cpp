#include "controls/minutesseconds.h"

namespace {

QString twoDigits(qint64 value)
{
    QString text = QString::number(value);
    if (text.size() < 2)
        text.prepend(QLatin1Char('0'));
    return text;
}

}  // namespace

QString minutesSecondsText(qint64 ms, int decimals)
{
    const qint64 hundredths = ms / 10;
    const qint64 seconds = hundredths / 100;
    QString text = twoDigits((seconds / 60) % 60) + QLatin1Char(':') + twoDigits(seconds % 60);
    if (decimals == 2)
        text += QLatin1Char(',') + twoDigits(hundredths % 100);
    else if (decimals == 1)
        text += QLatin1Char(',') + QString::number((hundredths / 10) % 10);
    return text;
}
