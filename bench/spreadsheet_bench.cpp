// The spreadsheet export against the real, headless office: start until
// connected, the export of 21 tables of 50 rows, the save, and the whole,
// as medians of 5 runs, with a fresh profile each run (cold) and with one
// profile reused (warm). Then the window's side of an export run on its
// worker as the program runs it: the longest the user-interface thread went
// without its 1 ms timer firing, and a light-barrier edge scripted in the
// middle of the export against the tick it was recorded with (device clock:
// what the program's path adds; monotonic clock: plus the worker's wake-up).
// Run by hand: build/bench/bin/spreadsheet_bench
#include "app/spreadsheetjob.h"
#include "platform/counters.h"
#include "platform/simulatedserialdevice.h"
#include "platform/unospreadsheet.h"
#include "results/spreadsheetexport.h"
#include "timing/comport.h"
#include "timing/lightbarrier.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <thread>
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

constexpr qint64 kMs = 1'000'000;

void sleepUntil(qint64 tick)
{
    timespec ts{time_t(tick / 1'000'000'000), long(tick % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

struct WindowRun {
    bool ok = false;
    qint64 longestGap = 0;      // ns between two firings of the 1 ms timer
    qint64 edgeError = -1;      // recorded tick minus the edge's tick, ns
    bool edgeDuringExport = false;
};

// One export to a file on the job's worker while the window's thread runs
// its timer and the light barrier takes an edge `edgeAfterMs` into it.
WindowRun exportBesideTheWindow(SpreadsheetExportInput input, bool deviceClock, int edgeAfterMs)
{
    WindowRun run;
    platform::SimulatedSerialDevice* device = nullptr;
    TComPort port;
    if (deviceClock)
        port.setTickSource([&] { return device->now(); });
    port.setDeviceOpener([&](int) {
        auto simulated = std::make_unique<platform::SimulatedSerialDevice>(
            deviceClock ? platform::SimulatedSerialDevice::Clock::Virtual : platform::SimulatedSerialDevice::Clock::Monotonic);
        device = simulated.get();
        return platform::DeviceOpenResult{std::move(simulated), 0};
    });
    LightBarrier barrier;
    barrier.setWaitStart(0);
    barrier.setCommandGuards([] { return true; }, [] { return false; });
    qint64 recorded = -1;
    QObject::connect(&barrier, &LightBarrier::startRequested, [&](qint64 tick) { recorded = tick; });
    QObject::connect(&port, &TComPort::dsrChanged, &barrier, &LightBarrier::ComPortDSR);
    QObject::connect(&port, &TComPort::opened, &barrier, &LightBarrier::ComPortOpen);
    if (!port.tryOpen().ok())
        return run;
    barrier.reset();

    QEventLoop loop;
    SpreadsheetJob job;
    bool running = true;
    QObject::connect(&job, &SpreadsheetJob::finished, [&](const SpreadsheetExportResult& result) {
        run.ok = result.ok;
        if (!result.ok)
            std::printf("failed: %s\n", qPrintable(result.message(input.fileName)));
        running = false;
        loop.quit();
    });
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    beat.setInterval(1);
    qint64 last = platform::monotonicNanoseconds();
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = platform::monotonicNanoseconds();
        run.longestGap = std::max(run.longestGap, now - last);
        last = now;
    });

    const qint64 edge = platform::monotonicNanoseconds() + edgeAfterMs * kMs;
    std::thread feeder([&] {
        // The device's own clock moves when an edge reaches it: hand it over
        // at its real time.
        if (deviceClock)
            sleepUntil(edge);
        device->scheduleLines(edge, platform::ModemLine::Dsr);
        device->scheduleLines(edge + 6 * kMs, platform::ModemLines());
    });
    beat.start();
    last = platform::monotonicNanoseconds();
    job.start(std::move(input), [](bool) { return std::make_unique<platform::UnoSpreadsheet>(); });
    loop.exec();
    beat.stop();
    feeder.join();
    run.edgeDuringExport = platform::monotonicNanoseconds() > edge + 6 * kMs;
    // The edge's reaction may still be queued.
    for (int i = 0; i < 50 && recorded < 0; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (recorded >= 0)
        run.edgeError = recorded - edge;
    port.Close();
    return run;
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

    for (const bool deviceClock : {true, false}) {
        std::vector<qint64> gaps;
        qint64 worstGap = 0, worstEdge = 0;
        int edgesMissed = 0, edgesOutside = 0;
        for (int run = 0; run < 5; ++run) {
            input.fileName = dir.filePath(QStringLiteral("window%1.xlsx").arg(run));
            // Edges at 0.5 to 2.1 s: during start, writing and saving.
            const WindowRun r = exportBesideTheWindow(input, deviceClock, 500 + 400 * run);
            if (!r.ok)
                return 1;
            gaps.push_back(r.longestGap);
            worstGap = std::max(worstGap, r.longestGap);
            if (r.edgeError < 0)
                ++edgesMissed;
            else
                worstEdge = std::max(worstEdge, r.edgeError);
            if (!r.edgeDuringExport)
                ++edgesOutside;
        }
        std::printf("window during an export (%s clock): longest UI-thread gap median %.1f ms, worst %.1f ms; "
                    "edge recorded tick minus edge tick worst %lld ns; edges missed %d of 5, after the export %d\n",
                    deviceClock ? "device" : "monotonic", median(gaps) / 1e6, double(worstGap) / 1e6,
                    static_cast<long long>(worstEdge), edgesMissed, edgesOutside);
    }
    return 0;
}
