// Light barrier under a busy window: 200 edges from a simulated device at
// known ticks while the window's thread is blocked for 200 ms at random
// moments. Reports lost edges, how far the recorded times lie from the
// edges, and how long Close takes to end the worker.
//
// Two clocks: with the device's own clock the tick the worker reads is the
// scripted tick of the edge (edges are still fed in real time), so the
// figure is what the program's path adds; with the monotonic clock the
// figure also holds the machine's wake-up latency of the worker thread.
//
// Usage: lightbarrier_bench [seed]

#include "platform/counters.h"
#include "platform/simulatedserialdevice.h"
#include "timing/comport.h"
#include "timing/lightbarrier.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <random>
#include <thread>

namespace {

constexpr qint64 kMs = 1'000'000;

void blockFor(qint64 nanoseconds)
{
    const qint64 until = platform::monotonicNanoseconds() + nanoseconds;
    timespec ts{time_t(until / 1'000'000'000), long(until % 1'000'000'000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) != 0) {
    }
}

struct Result {
    int edgesSeen = 0;
    int triggersRecorded = 0;
    qint64 maxEdgeToRecorded = 0;  // recorded tick minus the edge's own tick
    qint64 maxHandlingDelay = 0;   // how late the window handled a trigger
    int blocks = 0;
};

Result run(bool polling, bool deviceClock, std::mt19937& random)
{
    Result result;
    platform::SimulatedSerialDevice* device = nullptr;
    TComPort port;
    if (deviceClock)
        port.setTickSource([&] { return device->now(); });
    port.setDeviceOpener([&](int) {
        auto simulated = std::make_unique<platform::SimulatedSerialDevice>(
            deviceClock ? platform::SimulatedSerialDevice::Clock::Virtual
                        : platform::SimulatedSerialDevice::Clock::Monotonic);
        if (polling)
            simulated->setCapabilities({false, false, true});
        device = simulated.get();
        return platform::DeviceOpenResult{std::move(simulated), 0};
    });

    LightBarrier barrier;
    barrier.setWaitStart(0);  // the release re-arms: 100 passes, 100 triggers
    bool startEnabled = true;
    bool lapEnabled = false;
    int rows = 0;
    barrier.setCommandGuards([&] { return startEnabled; }, [&] { return lapEnabled; });
    std::vector<qint64> recorded;
    auto take = [&](qint64 tick) {
        result.maxHandlingDelay = std::max(result.maxHandlingDelay, platform::monotonicNanoseconds() - tick);
        recorded.push_back(tick);
    };
    QObject::connect(&barrier, &LightBarrier::startRequested, [&](qint64 tick) {
        take(tick);
        rows = 1;
        startEnabled = false;
        lapEnabled = true;
        barrier.raceStarted();
    });
    QObject::connect(&barrier, &LightBarrier::lapRequested, [&](qint64 tick) {
        take(tick);
        barrier.timeTaken();
        if (++rows == 100)
            lapEnabled = false;
    });
    QObject::connect(&port, &TComPort::dsrChanged, [&](bool, qint64) { ++result.edgesSeen; });
    QObject::connect(&port, &TComPort::dsrChanged, &barrier, &LightBarrier::ComPortDSR);
    QObject::connect(&port, &TComPort::opened, &barrier, &LightBarrier::ComPortOpen);

    if (!port.tryOpen().ok())
        return result;
    startEnabled = true;
    barrier.reset();

    // 100 passes: beam broken for 4..8 ms, clear for 4..12 ms.
    std::uniform_int_distribution<qint64> broken(4 * kMs, 8 * kMs);
    std::uniform_int_distribution<qint64> clear(4 * kMs, 12 * kMs);
    std::vector<qint64> triggerTicks;
    std::vector<std::pair<qint64, platform::ModemLines>> script;
    qint64 tick = platform::monotonicNanoseconds() + 50 * kMs;
    for (int pass = 0; pass < 100; ++pass) {
        triggerTicks.push_back(tick);
        script.emplace_back(tick, platform::ModemLine::Dsr);
        tick += broken(random);
        script.emplace_back(tick, platform::ModemLines());
        tick += clear(random);
    }
    const qint64 lastEdge = tick;
    // The device's own clock only moves when an edge reaches it, so the
    // edges are handed over one by one at their real time.
    std::thread feeder([&] {
        for (const auto& [at, lines] : script) {
            if (deviceClock)
                blockFor(std::max<qint64>(0, at - platform::monotonicNanoseconds()));
            device->scheduleLines(at, lines);
        }
    });

    // The window freezes for 200 ms every 100..400 ms.
    std::uniform_int_distribution<int> gap(100, 400);
    QTimer freezer;
    freezer.setSingleShot(true);
    QObject::connect(&freezer, &QTimer::timeout, [&] {
        ++result.blocks;
        blockFor(200 * kMs);
        freezer.start(gap(random));
    });
    freezer.start(gap(random));

    while ((platform::monotonicNanoseconds() < lastEdge + 300 * kMs || result.edgesSeen < 200)
           && platform::monotonicNanoseconds() < lastEdge + 5000 * kMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    freezer.stop();
    feeder.join();

    result.triggersRecorded = int(recorded.size());
    for (std::size_t i = 0; i < recorded.size() && i < triggerTicks.size(); ++i)
        result.maxEdgeToRecorded = std::max(result.maxEdgeToRecorded, recorded[i] - triggerTicks[i]);
    port.Close();
    return result;
}

// Close while the worker sleeps in its wait (or its poll); the time until
// Close returns is the time until the worker has ended and been joined.
qint64 worstClose(bool polling, int rounds)
{
    qint64 worst = 0;
    for (int i = 0; i < rounds; ++i) {
        platform::SimulatedSerialDevice* device = nullptr;
        TComPort port;
        port.setDeviceOpener([&](int) {
            auto simulated = std::make_unique<platform::SimulatedSerialDevice>(
                platform::SimulatedSerialDevice::Clock::Monotonic);
            if (polling)
                simulated->setCapabilities({false, false, true});
            device = simulated.get();
            return platform::DeviceOpenResult{std::move(simulated), 0};
        });
        if (!port.tryOpen().ok())
            return -1;
        blockFor(2 * kMs);
        const qint64 before = platform::monotonicNanoseconds();
        port.Close();
        worst = std::max(worst, platform::monotonicNanoseconds() - before);
    }
    return worst;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const unsigned seed = argc > 1 ? unsigned(std::strtoul(argv[1], nullptr, 10)) : 7u;
    std::mt19937 random(seed);

    for (const bool deviceClock : {true, false})
    for (const bool polling : {false, true}) {
        const Result r = run(polling, deviceClock, random);
        std::printf("%s path, %s (seed %u):\n", polling ? "polling fallback" : "event",
                    deviceClock ? "device clock" : "monotonic clock", seed);
        std::printf("  window blocked 200 ms: %d times; latest handling of a trigger: %.1f ms after its edge\n",
                    r.blocks, double(r.maxHandlingDelay) / 1e6);
        std::printf("  edges lost: %d of 200; triggers recorded: %d of 100\n", 200 - r.edgesSeen,
                    r.triggersRecorded);
        std::printf("  largest recorded tick minus edge tick: %lld ns (%.3f ms)\n",
                    static_cast<long long>(r.maxEdgeToRecorded), double(r.maxEdgeToRecorded) / 1e6);
    }
    std::printf("Close to worker end, worst of 50: event path %.3f ms, polling %.3f ms\n",
                double(worstClose(false, 50)) / 1e6, double(worstClose(true, 50)) / 1e6);
    return 0;
}
