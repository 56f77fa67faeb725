#include "results/timetext.h"

#include "controls/minutesseconds.h"

#include <limits>

QString trimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= 0x20)
        ++first;
    while (last > first && text[last - 1].unicode() <= 0x20)
        --last;
    if (first == 0 && last == text.size())
        return text;
    return text.mid(first, last - first);
}

std::optional<qint32> readInteger(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    const qint64 limit = negative ? qint64(std::numeric_limits<qint32>::max()) + 1
                                  : qint64(std::numeric_limits<qint32>::max());
    for (; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return qint32(negative ? -value : value);
}

namespace {

int clampAcc(int acc)
{
    return acc < 0 ? 0 : (acc > 2 ? 2 : acc);
}

// Reads `length` characters at `pos` as an integer; a part that does not read
// adds nothing.
qint64 part(const QString& text, qsizetype pos, qsizetype length, qint64 unit)
{
    const std::optional<qint32> value = readInteger(text.mid(pos, length));
    return value ? qint64(*value) * unit : 0;
}

}  // namespace

QString MsToTimeText(qint64 ms, int acc)
{
    return minutesSecondsText(ms, clampAcc(acc));
}

qint64 TimeTextToMs(const QString& text)
{
    // The layout comes from the text, not from today's decimals setting: a
    // table written with two decimals must still read right after the
    // operator switched to one.
    static const QString patterns[3] = {QStringLiteral("00:00"), QStringLiteral("00:00,0"),
                                        QStringLiteral("00:00,00")};
    const qsizetype n = text.size();
    const int decimals = n >= 3 && text.at(n - 3) == QLatin1Char(',')   ? 2
                         : n >= 2 && text.at(n - 2) == QLatin1Char(',') ? 1
                                                                        : 0;
    const QString& pattern = patterns[decimals];
    QString aligned = text;
    if (aligned.size() < pattern.size())
        aligned.prepend(pattern.left(pattern.size() - aligned.size()));

    qint64 ms = part(aligned, 0, 2, 60000) + part(aligned, 3, 2, 1000);
    if (decimals == 2)
        ms += part(aligned, 6, 2, 10);
    else if (decimals == 1)
        ms += part(aligned, 6, 1, 100);
    return ms;
}

int timeSortKey(const QString& text)
{
    if (trimBlanks(text).isEmpty())
        return 20;
    if (text == QLatin1String("-"))
        return 18;
    if (text.compare(QLatin1String("Ausfall"), Qt::CaseInsensitive) == 0)
        return 19;
    return int(text.size());
}

namespace {

// "MM:SS", "MM:SS,t" or "MM:SS,hh" exactly, as the program writes them.
bool isWrittenTime(const QString& text)
{
    const qsizetype n = text.size();
    if (n != 5 && n != 7 && n != 8)
        return false;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const bool ok = i == 2 ? c == QLatin1Char(':') : i == 5 ? c == QLatin1Char(',') : c.isDigit();
        if (!ok)
            return false;
    }
    return true;
}

}  // namespace

int CompareTimes(const QString& s1, const QString& s2)
{
    const int k1 = timeSortKey(s1);
    const int k2 = timeSortKey(s2);
    // Texts of two decimals settings in one table (the setting changed during
    // the day) would sort by their length; they sort by their times instead.
    if (k1 != k2 && isWrittenTime(s1) && isWrittenTime(s2)) {
        const qint64 t1 = TimeTextToMs(s1);
        const qint64 t2 = TimeTextToMs(s2);
        if (t1 != t2)
            return t1 < t2 ? -1 : 1;
    }
    if (k1 != k2)
        return k1 < k2 ? -1 : 1;
    const qsizetype n = qMin(s1.size(), s2.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = int(s1[i].unicode()) - int(s2[i].unicode());
        if (d != 0)
            return d;
    }
    return s1.size() == s2.size() ? 0 : (s1.size() < s2.size() ? -1 : 1);
}

bool IsNoTime(const QString& text)
{
    return trimBlanks(text).isEmpty() || text == QLatin1String("-")
        || text.compare(QLatin1String("Ausfall"), Qt::CaseInsensitive) == 0;
}
