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

// The milliseconds of a text that fits its layout wholly once right-aligned
// into it, as TimeTextToMs aligns it: "01:02,50", and also "1:02,5" typed
// into a cell. Anything else, blank texts included, reads as no time.
std::optional<qint64> wholeTime(const QString& text)
{
    const qsizetype n = text.size();
    const qsizetype length = n >= 3 && text.at(n - 3) == QLatin1Char(',')   ? 8
                             : n >= 2 && text.at(n - 2) == QLatin1Char(',') ? 7
                                                                            : 5;
    if (n == 0 || n > length)
        return std::nullopt;
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype place = length - n + i;
        const char16_t c = text.at(i).unicode();
        const bool ok = place == 2 ? c == u':' : place == 5 ? c == u',' : c >= u'0' && c <= u'9';
        if (!ok)
            return std::nullopt;
    }
    return TimeTextToMs(text);
}

// The difference of the first differing characters; a prefix sorts first.
int characterDifference(const QString& s1, const QString& s2)
{
    const qsizetype n = qMin(s1.size(), s2.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = int(s1[i].unicode()) - int(s2[i].unicode());
        if (d != 0)
            return d;
    }
    return s1.size() == s2.size() ? 0 : (s1.size() < s2.size() ? -1 : 1);
}

}  // namespace

int CompareTimes(const QString& s1, const QString& s2)
{
    // Every text has one place: texts that read as times by their time, then
    // the rest by their key. Comparing by key first would put "1:02,5" (key 6)
    // between "00:05" and "00:01,0" and break the order a sort relies on.
    const std::optional<qint64> t1 = wholeTime(s1);
    const std::optional<qint64> t2 = wholeTime(s2);
    if (t1 && t2 && *t1 != *t2) {
        // Two times of one layout differ first where their times do: that
        // difference is the answer, as it always was.
        const bool earlier = *t1 < *t2;
        const int d = s1.size() == s2.size() ? characterDifference(s1, s2) : 0;
        if (d != 0 && (d < 0) == earlier)
            return d;
        return earlier ? -1 : 1;
    }
    if (t1.has_value() != t2.has_value())
        return t1 ? -1 : 1;
    // Equal times (layouts of two decimals settings): the shorter first.
    const int k1 = timeSortKey(s1);
    const int k2 = timeSortKey(s2);
    if (k1 != k2)
        return k1 < k2 ? -1 : 1;
    return characterDifference(s1, s2);
}

bool IsNoTime(const QString& text)
{
    return trimBlanks(text).isEmpty() || text == QLatin1String("-")
        || text.compare(QLatin1String("Ausfall"), Qt::CaseInsensitive) == 0;
}
