// EINTRAGEN through the real window: a five-car race entered into a class
// that already holds 500 rows, including the ranking and the backup of 21
// classes with 500 rows each. Prints the median of repeated entries, on a
// quiet disk and while another program writes and syncs beside the backup.
#include "app/formmain.h"
#include "app/frame1.h"
#include "app/gridadapter.h"
#include "controls/sortgrid.h"
#include "results/timetext.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include "benchtables.h"

#include <algorithm>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

struct BenchCounter {
    qint64 now = 1'000'000'000;
};

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    BenchCounter counter;

    FormMainOptions options;
    platform::CounterSource source = platform::systemCounterSource();
    source.performanceCounter = [&counter] { return counter.now; };
    source.performanceFrequency = [] { return qint64(1'000'000'000); };
    options.counters = source;
    options.programDir = dir.path();
    options.results.backupDir = dir.path();
    options.settingsBaseName = QStringLiteral("PylonixBench");
    options.configRoot = dir.filePath(QStringLiteral("config"));
    options.ask = [](const QString&) { return true; };
    options.results.message = [](const QString&) {};
    TFormMain window(options);
    window.show();

    for (int page = 0; page < TFormMain::kClasses; ++page)
        writeResultGrid(*window.resultGrid(page), filledTable(500, page));

    auto* eLEN = window.findChild<QLineEdit*>(QStringLiteral("eLEN"));
    eLEN->setText(QStringLiteral("850"));
    for (int k = 1; k <= 5; ++k)
        window.findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(k))->setText(QString::number(10 + k));

    // Start, then every car passes four more times, 300 ms apart.
    window.mStartClick();
    for (int lap = 1; lap <= 3; ++lap) {
        for (int k = 1; k <= 5; ++k) {
            counter.now += (k == 1 ? 55'000 : 300) * qint64(1'000'000);
            window.mLAPClick();
        }
    }
    for (int k = 1; k <= 5; ++k)
        window.row(1)->buttons[k]->click();
    for (int n = 2; n <= window.rowCount(); ++n)
        window.row(n)->buttons[(n - 2) % 5 + 1]->click();

    const auto measure = [&](const char* what) {
        std::vector<double> times;
        for (int i = 0; i < 101; ++i) {
            const auto t0 = std::chrono::steady_clock::now();
            window.EintragenClick();
            const auto t1 = std::chrono::steady_clock::now();
            times.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
            QApplication::processEvents();
        }
        window.waitForBackup();
        std::sort(times.begin(), times.end());
        std::printf("EINTRAGEN (5 cars, 500-row class, ranking, backup of 21 x 500 rows), %s: median %.2f ms, "
                    "min %.2f ms, max %.2f ms over %zu runs; table now %d rows\n",
                    what, times[times.size() / 2], times.front(), times.back(), times.size(),
                    window.resultGrid(0)->RowCount());
    };
    measure("quiet disk");

    // Another program keeps the disk busy: 4 MB written and synced, again
    // and again, in the backup's folder.
    std::atomic<bool> busy{true};
    std::thread writer([&] {
        const QByteArray path = QDir(dir.path()).filePath(QStringLiteral("load.bin")).toLocal8Bit();
        const std::vector<char> block(4 << 20, 'x');
        while (busy) {
            const int fd = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            if (fd < 0)
                break;
            if (write(fd, block.data(), block.size()) < 0)
                busy = false;
            fdatasync(fd);
            close(fd);
        }
    });
    measure("disk busy");
    busy = false;
    writer.join();
    return 0;
}
