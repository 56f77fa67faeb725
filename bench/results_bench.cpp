// EINTRAGEN of a five-car race into a class that already holds 500 rows,
// followed by the ranking and the backup of 21 classes with 500 rows each.
#include "results/ranking.h"
#include "results/resultsfile.h"
#include "results/timeassignment.h"
#include "results/timetext.h"

#include <QDate>
#include <QDir>
#include <QTemporaryDir>

#include "benchtables.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

RaceEntry fiveCarRace(int race)
{
    RaceEntry entry;
    entry.trackLengthText = QStringLiteral("850");
    for (int k = 0; k < kCarsPerRace; ++k)
        entry.startNumbers[k] = QString::number(race * 10 + k);
    TimeRow start;
    start.text = MsToTimeText(0, 2);
    start.down.fill(true);
    start.exactMark = 1;
    entry.rows.append(start);
    for (int lap = 1; lap <= 3; ++lap) {
        for (int k = 0; k < kCarsPerRace; ++k) {
            TimeRow row;
            row.zeitRow = true;
            row.text = MsToTimeText(lap * 58000 + k * 730 + race * 10, 2);
            row.down[k] = true;
            row.exactMark = k + 1;
            entry.rows.append(row);
        }
    }
    return entry;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main()
{
    QTemporaryDir dir;
    const QDate day(2026, 12, 7);
    std::vector<ResultTable> tables;
    for (int p = 0; p < 21; ++p)
        tables.push_back(filledTable(500, p));
    QVector<ClassResults> classes;
    for (int p = 0; p < 21; ++p)
        classes.append({QStringLiteral("Klasse %1").arg(p + 1), &tables[size_t(p)]});

    RankOptions options;
    options.trackLength = 850;

    constexpr int kRuns = 41;
    std::vector<double> whole, enterRank, backupText, backupWrite;
    for (int run = 0; run < kRuns; ++run) {
        // The race goes into table 0, which grows by five rows per run.
        const RaceEntry entry = fiveCarRace(run);
        const auto t0 = std::chrono::steady_clock::now();
        const RaceEntryResult result = enterRace(tables[0], entry);
        RankTable(tables[0], options);
        const auto t1 = std::chrono::steady_clock::now();
        const QByteArray text = resultsText(classes);
        const auto t2 = std::chrono::steady_clock::now();
        const WriteResult written = writeBackup(QDir(dir.path()), day, classes);
        const auto t3 = std::chrono::steady_clock::now();
        if (!result.entered() || !written.ok || text.isEmpty()) {
            std::fprintf(stderr, "run %d failed: %s\n", run, qPrintable(written.error));
            return 1;
        }
        using ms = std::chrono::duration<double, std::milli>;
        enterRank.push_back(ms(t1 - t0).count());
        backupText.push_back(ms(t2 - t1).count());
        backupWrite.push_back(ms(t3 - t2).count());
        whole.push_back(ms(t1 - t0).count() + ms(t3 - t2).count());
    }
    std::printf("enter + rank (500 rows):              median %.3f ms\n", median(enterRank));
    std::printf("backup text (21 x 500 rows):          median %.3f ms\n", median(backupText));
    std::printf("backup built and written atomically:  median %.3f ms\n", median(backupWrite));
    std::printf("enter + rank + backup written:        median %.3f ms  (target <= 20 ms)\n", median(whole));
    return 0;
}
