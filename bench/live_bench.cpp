// Live results under load, against the same race without them, in one
// interleaved run: the real window with 21 classes of 500 rows, a race every
// few seconds with light-barrier edges from a simulated device on the
// monotonic clock, EINTRAGEN at its end; the server switched on and off every
// segment. A child process plays the audience: WebSocket viewers that come
// back whenever they lose the server, and page loads at a steady rate.
//
// Reports, with the server on and off: change to state received by a viewer
// (EINTRAGEN and ZEIT), the longest stall of the window's thread outside and
// inside EINTRAGEN, EINTRAGEN's cost, edge to recorded tick and edges lost,
// the process's CPU and resident memory.
//
// Usage: live_bench [seconds per segment = 10] [segments = 12] [viewers = 200] [pages per second = 50]
//        (the child: live_bench --audience <port> <seconds> <viewers> <pages per second>)

#include "app/formmain.h"
#include "app/frame1.h"
#include "app/gridadapter.h"
#include "app/livelink.h"
#include "controls/sortgrid.h"
#include "platform/counters.h"
#include "platform/simulatedserialdevice.h"
#include "timing/comport.h"
#include "timing/lightbarrier.h"

#include "benchtables.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebSocket>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <ctime>
#include <map>
#include <random>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kMs = 1'000'000;

qint64 now()
{
    return platform::monotonicNanoseconds();
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

qint64 threadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return qint64(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long residentKb()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// ---------------------------------------------------------------- the audience

int audience(quint16 port, int seconds, int viewerCount, int pagesPerSecond)
{
    struct Receipt {
        char type;
        qint64 at;
    };
    std::vector<std::vector<Receipt>> receipts(static_cast<std::size_t>(viewerCount));
    std::vector<std::unique_ptr<QWebSocket>> viewers;
    const QUrl url(QStringLiteral("ws://127.0.0.1:%1/live").arg(port));
    for (int v = 0; v < viewerCount; ++v) {
        auto socket = std::make_unique<QWebSocket>();
        QWebSocket* ws = socket.get();
        QObject::connect(ws, &QWebSocket::textMessageReceived, [&receipts, v](const QString& text) {
            // {"type":"x...; "clock" and "class" told apart by their third letter
            char type = text.size() > 11 ? char(text.at(9).unicode()) : '?';
            if (type == 'c' && text.at(11) == QLatin1Char('o'))
                type = 't';
            receipts[std::size_t(v)].push_back({type, now()});
        });
        QObject::connect(ws, &QWebSocket::disconnected, ws, [ws, url] {
            QTimer::singleShot(1000, ws, [ws, url] { ws->open(url); });
        });
        ws->open(url);
        viewers.push_back(std::move(socket));
    }

    int pagesOk = 0, pagesRefused = 0, pagesFailed = 0;
    std::vector<double> pageMs;
    const QList<QByteArray> pageFiles{"/klasse/1", "/live.css", "/live.js", "/klasse.js"};
    QTimer loader;
    loader.setInterval(1000 / std::max(1, pagesPerSecond));
    QObject::connect(&loader, &QTimer::timeout, [&] {
        // One page: its document, style sheet and scripts, each on a
        // connection of its own as a browser opens them.
        struct Load {
            qint64 started = now();
            int answered = 0;
            int ok = 0;
            bool refused = false;
        };
        auto load = std::make_shared<Load>();
        for (const QByteArray& file : pageFiles) {
            auto* socket = new QTcpSocket;
            auto* received = new QByteArray;
            auto finish = [&, load, socket, received] {
                *received += socket->readAll();
                load->ok += received->startsWith("HTTP/1.1 200");
                load->refused = load->refused || received->startsWith("HTTP/1.1 503");
                delete received;
                socket->deleteLater();
                if (++load->answered < int(pageFiles.size()))
                    return;
                if (load->ok == int(pageFiles.size())) {
                    ++pagesOk;
                    pageMs.push_back(double(now() - load->started) / kMs);
                } else if (load->refused) {
                    ++pagesRefused;
                } else {
                    ++pagesFailed;
                }
            };
            QObject::connect(socket, &QTcpSocket::connected, socket, [socket, file] {
                socket->write("GET " + file + " HTTP/1.1\r\nHost: bench\r\nConnection: close\r\n\r\n");
            });
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, received] { *received += socket->readAll(); });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, finish);
            QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [socket, finish](QAbstractSocket::SocketError) {
                if (socket->state() == QAbstractSocket::UnconnectedState)
                    finish();
            });
            socket->connectToHost(QHostAddress::LocalHost, port);
        }
    });
    loader.start();
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    loader.stop();

    for (int v = 0; v < viewerCount; ++v) {
        for (const Receipt& r : receipts[std::size_t(v)])
            std::printf("M %d %c %lld\n", v, r.type, static_cast<long long>(r.at));
    }
    std::printf("P %d %d %d %.1f %.1f\n", pagesOk, pagesRefused, pagesFailed, percentile(pageMs, 0.5),
                percentile(pageMs, 0.99));
    return 0;
}

// ---------------------------------------------------------------- the race

struct Figures {
    std::vector<qint64> enterAt;     // EINTRAGEN called
    std::vector<qint64> lapAt;       // a ZEIT recorded by the window
    std::vector<double> enterMs;     // EINTRAGEN's own time
    std::vector<double> enterCpuMs;  // of which the window's thread ran
    double stallMs = 0;              // longest gap of the window's thread outside EINTRAGEN
    double stallWorkMs = 0;          // of which the thread itself ran
    double stallInEnterMs = 0;
    qint64 worstEdgeNs = 0;          // recorded tick minus the edge
    int edges = 0;
    int edgesSeen = 0;
    double cpu = 0;
    double windowCpu = 0;            // the window's thread alone (clock display, commands)
    double seconds = 0;
};

struct Segment {
    bool on;
    qint64 from;
    qint64 to;
};

using Receipts = std::map<int, std::vector<std::pair<char, qint64>>>;  // per viewer, in arrival order

void report(const char* what, const Figures& f, const Receipts& receipts, const std::vector<Segment>& segments,
            bool on)
{
    // A change's latency at a viewer: its first message of that kind (or a
    // whole state, which a viewer behind gets instead) after the change.
    // Changes that came within a segment's last 2.5 s are left out: the
    // server may have been switched off before they could arrive.
    auto latencies = [&](char type, const std::vector<qint64>& changes) {
        std::vector<double> ms;
        for (const qint64 change : changes) {
            const auto segment = std::find_if(segments.begin(), segments.end(), [&](const Segment& s) {
                return s.on == on && change >= s.from + 1000 * kMs && change < s.to - 2500 * kMs;
            });
            if (segment == segments.end())
                continue;
            for (const auto& [viewer, list] : receipts) {
                const auto it = std::find_if(list.begin(), list.end(), [&](const std::pair<char, qint64>& r) {
                    return r.second >= change && (r.first == type || r.first == 's');
                });
                // A viewer that had not connected again yet is not waiting for it.
                if (it != list.end() && it != list.begin() && (it - 1)->second >= segment->from)
                    ms.push_back(double(it->second - change) / kMs);
            }
        }
        return ms;
    };
    std::printf("%s (%.0f s):\n", what, f.seconds);
    if (on) {
        const auto enter = latencies('c', f.enterAt);
        const auto lap = latencies('r', f.lapAt);
        std::printf("  EINTRAGEN -> class table at a viewer: p50 %.1f ms, p99 %.1f ms, max %.1f ms (%zu receipts)\n",
                    percentile(enter, 0.5), percentile(enter, 0.99), percentile(enter, 1.0), enter.size());
        std::printf("  ZEIT -> race at a viewer: p50 %.1f ms, p99 %.1f ms, max %.1f ms (%zu receipts)\n",
                    percentile(lap, 0.5), percentile(lap, 0.99), percentile(lap, 1.0), lap.size());
    }
    std::printf("  window thread: longest stall %.2f ms outside EINTRAGEN (the thread ran %.2f ms of it, the rest "
                "it waited for a core), %.2f ms with it\n",
                f.stallMs, f.stallWorkMs, f.stallInEnterMs);
    std::printf("  EINTRAGEN (21 x 500 rows): median %.2f ms, p90 %.2f ms over %zu; the window's thread ran a "
                "median %.2f ms of it\n",
                percentile(f.enterMs, 0.5), percentile(f.enterMs, 0.9), f.enterMs.size(), percentile(f.enterCpuMs, 0.5));
    std::printf("  light barrier: %d of %d edges seen, worst recorded tick minus edge %.3f ms\n", f.edgesSeen,
                f.edges, double(f.worstEdgeNs) / kMs);
    std::printf("  CPU: the window's thread %.1f %% of one core, the whole program %.1f %%\n",
                100.0 * f.windowCpu / std::max(1.0, f.seconds), 100.0 * f.cpu / std::max(1.0, f.seconds));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 6 && QByteArray(argv[1]) == "--audience") {
        QCoreApplication app(argc, argv);
        return audience(quint16(atoi(argv[2])), atoi(argv[3]), atoi(argv[4]), atoi(argv[5]));
    }
    const int segmentSeconds = argc > 1 ? atoi(argv[1]) : 10;
    const int segmentCount = argc > 2 ? atoi(argv[2]) : 12;
    const int viewerCount = argc > 3 ? atoi(argv[3]) : 200;
    const int pagesPerSecond = argc > 4 ? atoi(argv[4]) : 50;

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;

    platform::SimulatedSerialDevice* device = nullptr;
    FormMainOptions options;
    options.programDir = dir.path();
    options.results.backupDir = dir.path();
    options.settingsBaseName = QStringLiteral("PylonixLiveBench");
    options.configRoot = dir.filePath(QStringLiteral("config"));
    options.ask = [](const QString&) { return true; };
    options.results.message = [](const QString&) {};
    options.deviceOpener = [&](int) {
        auto simulated =
            std::make_unique<platform::SimulatedSerialDevice>(platform::SimulatedSerialDevice::Clock::Monotonic);
        device = simulated.get();
        return platform::DeviceOpenResult{std::move(simulated), 0};
    };
    TFormMain window(options);
    window.show();
    if (!window.openPort(1)) {
        std::fprintf(stderr, "the simulated port did not open\n");
        return 1;
    }
    for (int page = 0; page < TFormMain::kClasses; ++page)
        writeResultGrid(*window.resultGrid(page), filledTable(500, page));
    window.findChild<QLineEdit*>(QStringLiteral("eLEN"))->setText(QStringLiteral("850"));

    quint16 port = 0;
    {
        QTcpServer probe;
        probe.listen(QHostAddress::Any, 0);
        port = probe.serverPort();
    }
    LiveLink* live = window.live();
    live->window()->ePort->setValue(port);

    // Light-barrier edges 300 to 400 ms apart for the whole run, from a
    // thread of their own as a real barrier would; the worker reads each
    // one's tick. The spread gives every race other laps, so that every
    // EINTRAGEN changes its table.
    const qint64 runNs = qint64(segmentSeconds) * segmentCount * 1000 * kMs;
    std::vector<qint64> edgeTicks;
    std::mt19937 random(42);
    std::uniform_int_distribution<int> spread(300, 400);
    const qint64 firstEdge = now() + 500 * kMs;
    for (qint64 t = firstEdge; t < firstEdge + runNs; t += spread(random) * kMs)
        edgeTicks.push_back(t);
    std::atomic<bool> feeding{true};
    std::thread feeder([&] {
        for (const qint64 at : edgeTicks) {
            const qint64 wait = at - 20 * kMs - now();
            if (wait > 0)
                std::this_thread::sleep_for(std::chrono::nanoseconds(wait));
            if (!feeding)
                return;
            device->scheduleLines(at, platform::ModemLine::Dsr);
            device->scheduleLines(at + 30 * kMs, {});
        }
    });

    Figures figures[2];  // [0] off, [1] on
    std::vector<Segment> segments;
    int current = 0;
    std::size_t nextEdge = 0;
    QObject::connect(window.comPort(), &TComPort::dsrChanged, [&](bool on, qint64 tick) {
        if (!on)
            return;
        while (nextEdge < edgeTicks.size() && edgeTicks[nextEdge] + 10 * kMs < tick)
            ++nextEdge;
        if (nextEdge < edgeTicks.size()) {
            Figures& f = figures[current];
            ++f.edgesSeen;
            f.worstEdgeNs = std::max(f.worstEdgeNs, tick - edgeTicks[nextEdge]);
            ++nextEdge;
        }
    });
    QObject::connect(window.lightBarrier(), &LightBarrier::lapRequested, [&](qint64) {
        figures[current].lapAt.push_back(now());
    });

    // The window thread's pulse: a 1 ms timer whose gaps are its stalls.
    bool inEnter = false;
    qint64 lastPulse = now();
    qint64 lastPulseCpu = threadCpuNs();
    QTimer pulse;
    pulse.setTimerType(Qt::PreciseTimer);
    pulse.setInterval(1);
    QObject::connect(&pulse, &QTimer::timeout, [&] {
        const qint64 t = now();
        const qint64 cpu = threadCpuNs();
        const double gap = double(t - lastPulse - kMs) / kMs;
        Figures& f = figures[current];
        if (inEnter) {
            f.stallInEnterMs = std::max(f.stallInEnterMs, gap);
        } else if (gap > f.stallMs) {
            f.stallMs = gap;
            f.stallWorkMs = double(cpu - lastPulseCpu) / kMs;
        }
        inEnter = false;
        lastPulse = t;
        lastPulseCpu = cpu;
    });
    pulse.start();

    // A race every 5 s: START, the edges take times, ENDE after 3.5 s, every
    // row marked to a car, EINTRAGEN, NÄCHSTEN.
    QTimer races;
    races.setInterval(5000);
    auto race = [&] {
        for (int k = 1; k <= 5; ++k)
            window.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(k))->setText(QString::number(1000 + k));
        window.mStartClick();
        QTimer::singleShot(3500, &window, [&] {
            window.mStopClick();
            for (int k = 1; k <= 5; ++k)
                window.row(1)->buttons[k]->click();
            for (int n = 2; n <= window.rowCount(); ++n)
                window.row(n)->buttons[(n - 2) % 5 + 1]->click();
            Figures& f = figures[current];
            const qint64 t0 = now();
            const qint64 cpu0 = threadCpuNs();
            f.enterAt.push_back(t0);
            window.EintragenClick();
            f.enterMs.push_back(double(now() - t0) / kMs);
            f.enterCpuMs.push_back(double(threadCpuNs() - cpu0) / kMs);
            inEnter = true;
            window.sbNextClick(nullptr);
        });
    };
    QObject::connect(&races, &QTimer::timeout, race);

    // Four audience processes: one alone would read 200 sockets one after
    // another and its own backlog would be measured as the server's.
    constexpr int kAudiences = 4;
    std::vector<std::unique_ptr<QProcess>> audiences;
    for (int a = 0; a < kAudiences; ++a) {
        audiences.push_back(std::make_unique<QProcess>());
        audiences.back()->start(QCoreApplication::applicationFilePath(),
                                {QStringLiteral("--audience"), QString::number(port),
                                 QString::number(segmentSeconds * segmentCount + 2),
                                 QString::number(viewerCount / kAudiences),
                                 QString::number(std::max(1, pagesPerSecond / kAudiences))});
        audiences.back()->waitForStarted();
    }

    double switchOnMs = 0, switchOffMs = 0;
    const long residentBefore = residentKb();
    long residentMaxOn = residentBefore;
    race();
    races.start();
    for (int s = 0; s < segmentCount; ++s) {
        const bool on = s % 2 == 0;
        current = on ? 1 : 0;
        // The operator's switch is timed on its own, not as a stall.
        const qint64 switchAt = now();
        live->window()->cbOn->setChecked(on);
        const double switchMs = double(now() - switchAt) / kMs;
        (on ? switchOnMs : switchOffMs) = std::max(on ? switchOnMs : switchOffMs, switchMs);
        lastPulse = now();
        lastPulseCpu = threadCpuNs();
        const qint64 from = now();
        const double cpu0 = cpuSeconds();
        const qint64 windowCpu0 = threadCpuNs();
        QEventLoop loop;
        QTimer::singleShot(segmentSeconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        figures[current].cpu += cpuSeconds() - cpu0;
        figures[current].windowCpu += double(threadCpuNs() - windowCpu0) / 1e9;
        figures[current].seconds += double(now() - from) / 1e9;
        segments.push_back({on, from, now()});
        if (on)
            residentMaxOn = std::max(residentMaxOn, residentKb());
    }
    races.stop();
    pulse.stop();
    live->window()->cbOn->setChecked(false);
    feeding = false;
    feeder.join();
    for (std::size_t i = 0; i < edgeTicks.size(); ++i) {
        // Edges fed while each segment ran.
        for (const Segment& s : segments) {
            if (edgeTicks[i] >= s.from && edgeTicks[i] < s.to)
                ++figures[s.on ? 1 : 0].edges;
        }
    }

    Receipts receipts;
    std::vector<QByteArray> pageLines;
    for (int a = 0; a < kAudiences; ++a) {
        audiences[std::size_t(a)]->waitForFinished(60'000);
        for (const QByteArray& line : audiences[std::size_t(a)]->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (line.startsWith("M ") && parts.size() == 4)
                receipts[a * 10000 + parts[1].toInt()].emplace_back(parts[2].front(), parts[3].toLongLong());
            else if (line.startsWith("P ") && parts.size() == 6)
                pageLines.push_back(line);
        }
    }
    std::sort(figures[1].enterAt.begin(), figures[1].enterAt.end());
    std::sort(figures[1].lapAt.begin(), figures[1].lapAt.end());

    std::printf("live_bench: %d viewers, %d page loads a second, %d segments of %d s alternating on and off\n",
                viewerCount, pagesPerSecond, segmentCount, segmentSeconds);
    report("server on", figures[1], receipts, segments, true);
    report("server off", figures[0], receipts, segments, false);
    int loaded = 0, refused = 0, failed = 0;
    double worstP99 = 0;
    for (const QByteArray& line : pageLines) {
        const QList<QByteArray> p = line.split(' ');
        loaded += p[1].toInt();
        refused += p[2].toInt();
        failed += p[3].toInt();
        worstP99 = std::max(worstP99, p[5].toDouble());
    }
    std::printf("pages (whole run): %d loaded, %d refused (503), %d failed (server off); load time p99 at most %.1f ms\n",
                loaded, refused, failed, worstP99);
    std::printf("switching on (the day handed over, the thread started): at most %.1f ms; off (every viewer "
                "closed): at most %.1f ms\n",
                switchOnMs, switchOffMs);
    std::printf("resident memory: %.1f MB at the start, %.1f MB at most while on (growth %.1f MB)\n",
                residentBefore / 1024.0, residentMaxOn / 1024.0, (residentMaxOn - residentBefore) / 1024.0);
    window.comPort()->Close();
    return 0;
}
