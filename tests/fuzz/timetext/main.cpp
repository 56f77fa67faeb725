// Time texts as the tables hold them (written by the program or typed into a
// cell), their order and the ranking built on it.
#include "results/ranking.h"
#include "results/timetext.h"
#include "support/check.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

int sign(int v)
{
    return (v > 0) - (v < 0);
}

QString takeText(FuzzedDataProvider& input, size_t maxBytes)
{
    const std::string bytes = input.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

// What a time text of each layout holds of `ms`: hours are dropped, the
// fraction is cut to the layout's decimals.
qint64 layoutMs(qint64 ms, int acc)
{
    const qint64 hundredths = ms / 10;
    const qint64 seconds = hundredths / 100;
    qint64 result = (seconds / 60 % 60) * 60000 + seconds % 60 * 1000;
    if (acc == 2)
        result += hundredths % 100 * 10;
    else if (acc == 1)
        result += hundredths / 10 % 10 * 100;
    return result;
}

// CompareTimes must be a strict weak order (std::sort and the grid rely on
// it): zero for identical texts only, antisymmetric and transitive.
void checkOrder(const QString& a, const QString& b, const QString& c)
{
    const QString* t[3] = {&a, &b, &c};
    for (const QString* x : t) {
        FUZZ_CHECK(CompareTimes(*x, *x) == 0, "a text does not equal itself");
        for (const QString* y : t) {
            const int xy = CompareTimes(*x, *y);
            FUZZ_CHECK(sign(xy) == -sign(CompareTimes(*y, *x)), "CompareTimes is not antisymmetric");
            FUZZ_CHECK((xy == 0) == (*x == *y), "two different texts compare equal");
            for (const QString* z : t) {
                if (xy < 0 && CompareTimes(*y, *z) < 0)
                    FUZZ_CHECK(CompareTimes(*x, *z) < 0, "CompareTimes is not transitive");
            }
        }
    }
}

bool writtenLayout(const QString& text)
{
    const qint64 ms = TimeTextToMs(text);
    return text == MsToTimeText(ms, 0) || text == MsToTimeText(ms, 1) || text == MsToTimeText(ms, 2);
}

void checkRanking(FuzzedDataProvider& input)
{
    ResultTable table = ResultTable::withHeading();
    const int rows = input.ConsumeIntegralInRange<int>(1, 12);
    table.rows.resize(1);
    for (int r = 1; r <= rows; ++r) {
        table.appendRow();
        table.setCell(r, ResultTable::ColNumber, QString::number(r));
        table.setCell(r, ResultTable::ColBest, takeText(input, 12));
    }
    RankOptions options;
    options.trackLength = input.ConsumeIntegralInRange<int>(0, 100000);
    options.placeOrder = input.ConsumeBool();
    options.acc = input.ConsumeIntegralInRange<int>(0, 2);
    const ResultTable before = table;
    const RankResult ranked = RankTable(table, options);

    FUZZ_CHECK(table.rowCount() == before.rowCount(), "ranking changed the number of rows");
    QVector<bool> seen(table.rowCount(), false);
    for (int i = 1; i < table.rowCount(); ++i) {
        const int from = ranked.order[i];
        FUZZ_CHECK(from >= 1 && from < table.rowCount() && !seen[from], "the row order is no permutation");
        seen[from] = true;
        FUZZ_CHECK(table.cell(i, ResultTable::ColNumber) == before.cell(from, ResultTable::ColNumber),
                   "a row lost its start number while ranked");
    }
    // In place order the places never go down, and nobody is ahead of the leader.
    const ResultTable byPlace = inPlaceOrder(table, ranked);
    int lastPlace = 0;
    for (int i = 1; i < byPlace.rowCount(); ++i) {
        const QString place = byPlace.cell(i, ResultTable::ColPlace);
        if (place.isEmpty())
            continue;
        const int p = place.chopped(1).toInt();
        FUZZ_CHECK(p >= lastPlace && p >= 1 && p <= i, "places out of order");
        lastPlace = p;
        // Only for times as the program writes them: a text that reads only
        // partly as a time sorts behind every time whatever it reads as.
        const QString best = byPlace.cell(i, ResultTable::ColBest);
        if (writtenLayout(best))
            FUZZ_CHECK(!byPlace.cell(i, ResultTable::ColGap).contains(QLatin1Char('-')),
                       "a ranked row is ahead of the leader");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);

    // Every layout the program writes reads back to its milliseconds.
    const qint64 ms = input.ConsumeIntegralInRange<qint64>(0, qint64(1) << 40);
    for (int acc = 0; acc <= 2; ++acc)
        FUZZ_CHECK(TimeTextToMs(MsToTimeText(ms, acc)) == layoutMs(ms, acc), "a written time reads back otherwise");

    const QString a = takeText(input, 16);
    const QString b = takeText(input, 16);
    const QString c = takeText(input, 16);
    checkOrder(a, b, c);
    TimeTextToMs(a);
    IsNoTime(a);

    checkRanking(input);
    return 0;
}
