#include "controls/sortorder.h"

#include "controls/sortcomparer.h"

#include <QLocale>
#include <optional>

namespace {
int sign(double d)
{
    return d < 0 ? -1 : (d > 0 ? 1 : 0);
}
}  // namespace

std::vector<int> TSortOrder::keyColumns(int column, const QString& secondaryIndex, int columnCount)
{
    QStringList texts = secondaryIndex.split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (QString& k : texts)
        k = k.trimmed();
    texts.removeOne(QString::number(column));
    texts.insert(0, QString::number(column));
    std::vector<int> keys;
    for (int i = 0; i < texts.size(); ++i) {
        bool ok = false;
        const int c = texts.at(i).toInt(&ok);
        const bool valid = ok && c >= 0 && c < columnCount;
        if (i == 0)
            keys.push_back(valid ? c : -1);
        else if (valid)
            keys.push_back(c);
    }
    return keys;
}

std::vector<int> TSortOrder::pass(const QStringList& texts, const TSortOptions& options)
{
    const TSortStyle style = options.SortStyle;
    const bool caseSensitive = options.SortCaseSensitive;
    TSortedList entries;
    entries.reserve(std::size_t(texts.size()));
    for (int j = 0; j < texts.size(); ++j)
        entries.push_back(TSortedListEntry{caseSensitive ? texts.at(j) : TSortComparer::asciiLower(texts.at(j)),
                                           j, &options});

    // Conversions are made once per entry rather than once per comparison.
    struct Prepared {
        double number = 0;
        bool converted = false;
    };
    std::vector<Prepared> prepared(entries.size());
    const QLocale locale = TSortComparer::numberLocale();
    for (const TSortedListEntry& e : entries) {
        std::optional<double> value;
        if (style == ssNumeric)
            value = TSortComparer::toNumber(e.Str, locale);
        else if (style == ssDateTime)
            value = TSortComparer::toDateTime(e.Str);
        else if (style == ssTime) {
            if (const auto t = TSortComparer::toTime(e.Str))
                value = double(*t);
        }
        Prepared& p = prepared[std::size_t(e.RowNum)];
        p.converted = value.has_value();
        p.number = value.value_or(0);
    }
    const bool descending = options.SortDirection == sdDescending;
    const TSortCompare custom = options.SortCompare;

    auto compare = [&](const TSortedListEntry& a, const TSortedListEntry& b) {
        const Prepared& pa = prepared[std::size_t(a.RowNum)];
        const Prepared& pb = prepared[std::size_t(b.RowNum)];
        int r = 0;
        switch (style) {
        case ssNumeric:
        case ssDateTime:
        case ssTime:
            r = (pa.converted && pb.converted) ? sign(pa.number - pb.number)
                                               : TSortComparer::compareText(a.Str, b.Str);
            break;
        case ssNumericExtended:
            r = TSortComparer::compareNumericExtended(a.Str, b.Str);
            break;
        case ssCustom:
            // Without a comparison the texts decide, rather than nothing at all.
            r = custom ? custom(a.Str, b.Str) : TSortComparer::compareText(a.Str, b.Str);
            break;
        default:
            r = TSortComparer::compareText(a.Str, b.Str);
        }
        if (r == 0)
            return a.RowNum < b.RowNum ? -1 : (a.RowNum > b.RowNum ? 1 : 0);
        return descending ? -r : r;
    };

    // Quicksort on the middle element; the position fallback makes every
    // key distinct, so the outcome is stable. The bounds checks only matter
    // for a custom comparison that is not consistent.
    std::function<void(int, int)> quickSort = [&](int L, int R) {
        int i = L;
        do {
            i = L;
            int j = R;
            const TSortedListEntry pivot = entries[std::size_t((L + R) / 2)];
            do {
                while (i < R && compare(entries[std::size_t(i)], pivot) < 0)
                    ++i;
                while (j > L && compare(entries[std::size_t(j)], pivot) > 0)
                    --j;
                if (i <= j) {
                    std::swap(entries[std::size_t(i)], entries[std::size_t(j)]);
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (L < j)
                quickSort(L, j);
            L = i;
        } while (i < R);
    };
    if (entries.size() > 1)
        quickSort(0, int(entries.size()) - 1);

    std::vector<int> order(entries.size());
    for (std::size_t j = 0; j < entries.size(); ++j)
        order[j] = entries[j].RowNum;
    return order;
}

std::vector<int> TSortOrder::rows(int rowCount, const std::vector<Key>& keys, const PassOptions& passOptions)
{
    if (keys.empty())
        return {};
    // order[j]: the row at place j after the passes so far.
    std::vector<int> order(std::size_t(std::max(rowCount, 0)));
    for (std::size_t j = 0; j < order.size(); ++j)
        order[j] = int(j);
    std::vector<int> result;
    const int primary = keys.front().column;
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        if (key->column < 0)
            continue;
        QStringList texts;
        texts.reserve(qsizetype(order.size()));
        for (const int row : order)
            texts.append(key->texts.at(row));
        const std::vector<int> places = pass(texts, passOptions(key->column, key->texts));
        std::vector<int> next(order.size());
        for (std::size_t j = 0; j < places.size(); ++j)
            next[j] = order[std::size_t(places[j])];
        // Only the primary pass decides the result; the passes before it
        // prepare the order it starts from.
        if (key->column == primary)
            result = std::move(next);
        else
            order = std::move(next);
    }
    return result;
}
