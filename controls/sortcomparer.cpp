#include "controls/sortcomparer.h"

#include <QDate>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <charconv>

namespace {
bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

std::optional<int> toInt(const QString& s)
{
    bool ok = false;
    const int v = s.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return v;
}

// The order of day, month and year in the locale's short date format, and
// the separator between them.
struct DateLayout {
    QString order;  // e.g. "dMy"
    QChar separator;
};

DateLayout dateLayout(const QLocale& locale)
{
    DateLayout layout;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    for (const QChar c : format) {
        if ((c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y'))
            && !layout.order.contains(c))
            layout.order.append(c);
        else if (layout.separator.isNull() && !c.isLetter() && !c.isSpace())
            layout.separator = c;
    }
    if (layout.order.size() != 3)
        layout.order = QStringLiteral("dMy");
    if (layout.separator.isNull())
        layout.separator = QLatin1Char('.');
    return layout;
}

std::optional<QDate> parseDate(const QString& text, const QLocale& locale)
{
    const DateLayout layout = dateLayout(locale);
    const QStringList parts = text.split(layout.separator);
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    int day = 0, month = 0, year = QDate::currentDate().year();
    QString order = layout.order;
    if (parts.size() == 2)
        order.remove(QLatin1Char('y'));  // day and month of the current year
    for (int i = 0; i < parts.size(); ++i) {
        const QString part = parts.at(i).trimmed();
        if (part.isEmpty() || part.size() > 4 || !std::all_of(part.begin(), part.end(), isDigit))
            return std::nullopt;
        const int v = part.toInt();
        switch (order.at(i).toLatin1()) {
        case 'd': day = v; break;
        case 'M': month = v; break;
        default:
            year = v;
            if (part.size() <= 2)
                year += v < 50 ? 2000 : 1900;
        }
    }
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}
}  // namespace

QString TSortComparer::asciiLower(const QString& s)
{
    // Most texts (times, numbers) have no capital: share them, do not copy.
    const bool hasCapital = std::any_of(s.cbegin(), s.cend(), [](QChar c) {
        return c >= QLatin1Char('A') && c <= QLatin1Char('Z');
    });
    if (!hasCapital)
        return s;
    QString out = s;
    for (QChar& c : out)
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + 32);
    return out;
}

int TSortComparer::compareBytes(const QByteArray& a, const QByteArray& b)
{
    const int n = std::min(a.size(), b.size());
    for (int i = 0; i < n; ++i) {
        const int d = int(static_cast<unsigned char>(a[i])) - int(static_cast<unsigned char>(b[i]));
        if (d != 0)
            return d;
    }
    return int(a.size()) - int(b.size());
}

int TSortComparer::compareText(const QString& a, const QString& b)
{
    // UTF-16 unit order equals UTF-8 byte order except that surrogates
    // (U+D800–U+DFFF) must rank above U+E000–U+FFFF; the shift fixes that.
    auto rank = [](char16_t u) {
        if (u >= 0xD800 && u <= 0xDFFF)
            return int(u) + 0x2000;
        if (u >= 0xE000)
            return int(u) - 0x800;
        return int(u);
    };
    const qsizetype n = std::min(a.size(), b.size());
    const QChar* pa = a.constData();
    const QChar* pb = b.constData();
    for (qsizetype i = 0; i < n; ++i) {
        if (pa[i] != pb[i])
            return rank(pa[i].unicode()) < rank(pb[i].unicode()) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int TSortComparer::compareBytes(const QString& a, const QString& b)
{
    return compareBytes(a.toUtf8(), b.toUtf8());
}

int TSortComparer::compareNumericExtended(const QString& s1, const QString& s2)
{
    if (s1.isEmpty() || s2.isEmpty())
        return s1.isEmpty() ? (s2.isEmpty() ? 0 : -1) : 1;
    // Drop the characters the two texts share outside numbers, keep the rest.
    const int n = int(std::min(s1.size(), s2.size()));
    QString t1, t2;
    for (int p = 0; p < n; ++p) {
        const QChar c1 = s1.at(p);
        const QChar c2 = s2.at(p);
        if (c1 == c2 && !isDigit(c1))
            continue;
        if (p < n - 1) {
            t1.append(c1);
            t2.append(c2);
        } else {
            t1.append(s1.mid(p));
            t2.append(s2.mid(p));
        }
    }
    // Shared trailing text that is not a digit goes as well.
    const QString o1 = t1;
    const QString o2 = t2;
    const int m = int(std::min(o1.size(), o2.size()));
    for (int i = 0; i < m; ++i) {
        const QChar c1 = o1.at(o1.size() - 1 - i);
        const QChar c2 = o2.at(o2.size() - 1 - i);
        if (c1 == c2 && !isDigit(c1)) {
            t1.chop(1);
            t2.chop(1);
        }
    }
    if (t1 == t2)
        return 0;
    const auto v1 = toInt(t1);
    const auto v2 = toInt(t2);
    if (!v1 || !v2)
        return compareBytes(t1, t2);
    if (*v1 != *v2)
        return *v1 < *v2 ? -1 : 1;
    // Same value written differently ("09", "9"): the text decides, so the
    // order stays consistent whichever side is asked first.
    return compareBytes(t1, t2) < 0 ? -1 : 1;
}

QLocale TSortComparer::numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    return locale;
}

std::optional<double> TSortComparer::toNumber(const QString& s)
{
    return toNumber(s, numberLocale());
}

std::optional<double> TSortComparer::toNumber(const QString& s, const QLocale& locale)
{
    const QString t = s.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    // Plain numbers (sign, digits, one decimal separator) are read directly:
    // asking the locale for every cell of a long column costs more than the sort.
    const QString point = locale.decimalPoint();
    if (point.size() == 1 && t.size() < 64) {
        char buffer[64];
        int n = 0;
        bool plain = true, digits = false, seenPoint = false;
        for (int i = 0; i < t.size() && plain; ++i) {
            const QChar c = t.at(i);
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                buffer[n++] = char(c.unicode());
                digits = true;
            } else if (c == point.at(0) && !seenPoint) {
                buffer[n++] = '.';
                seenPoint = true;
            } else if (i == 0 && (c == QLatin1Char('-') || c == QLatin1Char('+'))) {
                buffer[n++] = char(c.unicode());
            } else {
                plain = false;
            }
        }
        if (plain && digits) {
            // from_chars ignores the C library's locale; '+' is ours to skip.
            const char* first = buffer[0] == '+' ? buffer + 1 : buffer;
            double value = 0;
            const auto [end, error] = std::from_chars(first, buffer + n, value);
            if (error == std::errc() && end == buffer + n)
                return value;
        }
    }
    bool ok = false;
    const double v = locale.toDouble(t, &ok);
    if (!ok)
        return std::nullopt;
    return v;
}

std::optional<int> TSortComparer::toTime(const QString& s)
{
    const QString t = s.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale locale;
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,2}):(\\d{1,2})(?::(\\d{1,2})(?:[.,](\\d{1,3}))?)?\\s*([AaPp][Mm])?$"));
    const auto match = pattern.match(t);
    if (match.hasMatch()) {
        int hour = match.captured(1).toInt();
        const int minute = match.captured(2).toInt();
        const int second = match.captured(3).isEmpty() ? 0 : match.captured(3).toInt();
        int ms = 0;
        if (!match.captured(4).isEmpty())
            ms = match.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
        const QString ampm = match.captured(5).toLower();
        if (!ampm.isEmpty()) {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + (ampm == QLatin1String("pm") ? 12 : 0);
        }
        if (hour > 23 || minute > 59 || second > 59)
            return std::nullopt;
        return ((hour * 60 + minute) * 60 + second) * 1000 + ms;
    }
    for (const auto format : {QLocale::ShortFormat, QLocale::LongFormat}) {
        const QTime time = locale.toTime(t, format);
        if (time.isValid())
            return time.msecsSinceStartOfDay();
    }
    return std::nullopt;
}

std::optional<double> TSortComparer::toDateTime(const QString& s)
{
    const QString t = s.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    if (const auto time = toTime(t))
        return *time / 86400000.0;
    const QLocale locale;
    const int space = int(t.indexOf(QLatin1Char(' ')));
    const QString datePart = space < 0 ? t : t.left(space);
    const QString timePart = space < 0 ? QString() : t.mid(space + 1).trimmed();
    const auto date = parseDate(datePart, locale);
    if (!date)
        return std::nullopt;
    double value = double(QDate(1899, 12, 30).daysTo(*date));
    if (!timePart.isEmpty()) {
        const auto time = toTime(timePart);
        if (!time)
            return std::nullopt;
        value += (value < 0 ? -1 : 1) * (*time / 86400000.0);
    }
    return value;
}

TSortStyle TSortComparer::detectStyle(const QStringList& texts)
{
    bool numeric = true, dateTime = true, time = true;
    const QLocale locale = numberLocale();
    for (const QString& text : texts) {
        if (numeric && !toNumber(text, locale))
            numeric = false;
        if (time && !toTime(text))
            time = false;
        if (dateTime && !toDateTime(text))
            dateTime = false;
    }
    if (numeric)
        return ssNumeric;
    if (dateTime)
        return ssDateTime;
    if (time)
        return ssTime;
    return ssNormal;
}
