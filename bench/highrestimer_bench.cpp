// Measures what a time reading costs and how evenly the periodic mode ticks.
// Run by hand: build/bench/bin/highrestimer_bench
#include "timing/highrestimer.h"

#include "platform/counters.h"

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

double nanosecondsPerReading(const THighResTimer& timer, int readings)
{
    volatile qint64 sink = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < readings; ++i)
        sink = sink + timer.ReadCounter();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return double(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count()) / readings;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    constexpr int kReadings = 10'000'000;

    THighResTimer performance(platform::systemCounterSource(), false);
    std::printf("performance counter: %.1f ns per reading (CountSpeed %.3f)\n",
                nanosecondsPerReading(performance, kReadings), performance.CountSpeed());

    std::printf("calibrating the time-stamp counter (3 s) ...\n");
    const auto calibrationStart = std::chrono::steady_clock::now();
    THighResTimer tsc;
    const auto calibration = std::chrono::steady_clock::now() - calibrationStart;
    std::printf("construction with the time-stamp counter: %.0f ms, TSC %d, UseTSC %d, CountSpeed %.3f\n",
                double(std::chrono::duration_cast<std::chrono::milliseconds>(calibration).count()), tsc.TSC(),
                tsc.UseTSC(), tsc.CountSpeed());
    if (tsc.UseTSC())
        std::printf("time-stamp counter: %.1f ns per reading\n", nanosecondsPerReading(tsc, kReadings));

    // Periodic mode at 1 ms: spread of the distances between stored ticks.
    performance.setResolution(1);
    performance.setEnabled(true);
    std::vector<qint64> ticks;
    for (int i = 0; i < 2000 && performance.WaitForTick(1000); ++i)
        ticks.push_back(performance.LastTick());
    const auto stopStart = std::chrono::steady_clock::now();
    performance.setEnabled(false);
    const auto stop = std::chrono::steady_clock::now() - stopStart;
    std::vector<double> gaps;
    for (std::size_t i = 1; i < ticks.size(); ++i)
        gaps.push_back(double(ticks[i] - ticks[i - 1]) / 1e6);
    std::sort(gaps.begin(), gaps.end());
    if (!gaps.empty()) {
        std::printf("periodic 1 ms: %zu ticks, gap min %.3f ms, median %.3f ms, 99%% %.3f ms, max %.3f ms\n",
                    gaps.size() + 1, gaps.front(), gaps[gaps.size() / 2], gaps[gaps.size() * 99 / 100], gaps.back());
    }
    std::printf("switching the periodic mode off: %.3f ms\n",
                double(std::chrono::duration_cast<std::chrono::microseconds>(stop).count()) / 1000.0);
    return 0;
}
