// The spreadsheet export against the real, headless office: start until
// connected, the export of 21 tables of 50 rows, the save, and the whole,
// as medians of 5 runs, with a fresh profile each run (cold) and with one
// profile reused (warm). Run by hand: build/bench/bin/spreadsheet_bench
#include "platform/unospreadsheet.h"
#include "results/spreadsheetexport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// Times the calls of the office it wraps.
class TimedSpreadsheet : public platform::UnoSpreadsheet {
public:
    using UnoSpreadsheet::UnoSpreadsheet;
    QElapsedTimer clock;
    qint64 started = 0, written = 0, saved = 0;
    void start() override { clock.start(); UnoSpreadsheet::start(); started = clock.elapsed(); }
    void setDocumentInfo(const QString& a, const QString& b, const QString& c) override
    {
        written = clock.elapsed();
        UnoSpreadsheet::setDocumentInfo(a, b, c);
    }
    void saveAs(const QString& path, platform::WorkbookFormat format) override
    {
        const qint64 before = clock.elapsed();
        UnoSpreadsheet::saveAs(path, format);
        saved = clock.elapsed() - before;
    }
};

double median(std::vector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return double(v[v.size() / 2]);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SpreadsheetExportInput input;
    for (int t = 0; t < 21; ++t) {
        ResultTable table = ResultTable::withHeading();
        table.rows.clear();
        table.rows.append(ResultTable::headings());
        for (int r = 1; r <= 50; ++r)
            table.rows.append({QStringLiteral("%1.").arg(r), QString::number(100 + r), "00:00,00", "00:59,50", "01:00,10",
                               "01:01,20", "00:59,50", "00:01,25", "54,5", QString::number(r)});
        input.tables.append(table);
        input.classNames << QStringLiteral("Klasse %1").arg(t + 1);
        input.pageCaptions << QStringLiteral("Klasse %1").arg(t + 1);
    }
    for (const bool warm : {false, true}) {
        std::vector<qint64> start, exportMs, save, total;
        const QString profile = dir.filePath(QStringLiteral("profile"));
        for (int run = 0; run < (warm ? 6 : 5); ++run) {
            platform::UnoOptions options;
            if (warm)
                options.profileDir = profile;
            input.fileName = dir.filePath(QStringLiteral("run%1.xlsx").arg(run));
            TimedSpreadsheet office(options);
            QElapsedTimer all;
            all.start();
            const auto result = ExportToSpreadsheet(office, input);
            const qint64 whole = all.elapsed();
            if (!result.ok) {
                std::printf("failed: %s\n", qPrintable(result.message(input.fileName)));
                return 1;
            }
            if (warm && run == 0)
                continue;  // the first run only makes the profile
            start.push_back(office.started);
            exportMs.push_back(office.written - office.started);
            save.push_back(office.saved);
            total.push_back(whole);
        }
        std::printf("%s profile: start->connected %.0f ms, export 21x50 %.0f ms, save %.0f ms, total %.0f ms (medians of 5)\n",
                    warm ? "warm" : "cold", median(start), median(exportMs), median(save), median(total));
    }
    return 0;
}
