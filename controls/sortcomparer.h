#pragma once

#include "controls/sortgridtypes.h"

#include <QByteArray>
#include <QString>
#include <QLocale>
#include <QStringList>
#include <optional>


// The text comparisons and conversions of the sortable grid, free of any
// widget so they can be tested and timed on their own. Conversions use the
// default QLocale (QLocale::setDefault), the program's current locale.
class TSortComparer
{
public:
    // Unsigned byte order of the UTF-8 texts; a prefix sorts first.
    static int compareBytes(const QString& a, const QString& b);
    static int compareBytes(const QByteArray& a, const QByteArray& b);
    // The same order (sign only) straight on the UTF-16 text, without converting.
    static int compareText(const QString& a, const QString& b);
    // Numbers inside text ("Run 9" before "Run 10"); an empty text sorts
    // before a non-empty one and two empty texts are equal.
    static int compareNumericExtended(const QString& s1, const QString& s2);
    // Lower-cases ASCII letters A–Z only.
    static QString asciiLower(const QString& s);

    static std::optional<double> toNumber(const QString& s);
    // The same with a prepared locale (RejectGroupSeparator set): cheaper in loops.
    static std::optional<double> toNumber(const QString& s, const QLocale& locale);
    static QLocale numberLocale();
    // Date-time as days since 1899-12-30 with the time as fraction, so a
    // bare time of day converts as well as a full date.
    static std::optional<double> toDateTime(const QString& s);
    // Time of day in milliseconds.
    static std::optional<int> toTime(const QString& s);

    // The style a column's texts fit best: numeric, date-time, time, normal.
    static TSortStyle detectStyle(const QStringList& texts);
};
