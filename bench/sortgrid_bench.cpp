// Times the two sorts the result tables rely on, on 10 000 rows, and the
// repaint after scrolling one page. Run by hand: build/bench/bin/sortgrid_bench
#include "controls/sortgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Rows = 10000;
constexpr int Runs = 15;

// The ranking's comparison of time texts: shorter texts first, then byte order.
int compareTimeTexts(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return QString::compare(a, b, Qt::CaseSensitive);
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void fill(TSortGrid& grid, const std::vector<QStringList>& rows)
{
    for (int r = 0; r < int(rows.size()); ++r)
        for (int c = 0; c < rows[std::size_t(r)].size(); ++c)
            grid.SetCells(c, r + 1, rows[std::size_t(r)].at(c));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QRandomGenerator random(4711);

    TSortGrid grid;
    grid.MessageHook = [](const QString&) {};
    grid.resize(818, 206);
    grid.SetColCount(10);
    grid.SetRowCount(Rows + 1);
    grid.show();

    std::vector<QStringList> rows;
    for (int r = 0; r < Rows; ++r) {
        const int ms = int(random.bounded(3600000));
        const QString time = QStringLiteral("%1:%2,%3")
                                 .arg(ms / 60000 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(ms / 10 % 100, 2, 10, QLatin1Char('0'));
        rows.push_back({QString::number(r), QString::number(random.bounded(50)),
                        QString::number(random.bounded(20)), QString::number(random.bounded(1000)), time,
                        time, time, time, QStringLiteral("12,5"), QString::number(r)});
    }

    std::vector<double> customTimes;
    std::vector<double> numericTimes;
    for (int run = 0; run < Runs; ++run) {
        fill(grid, rows);
        grid.SortOptions.SecondaryIndex.clear();
        grid.OnGetSortStyle = [](TSortGrid* g, int, TSortStyle& style) {
            style = ssCustom;
            g->SortOptions.SortCompare = compareTimeTexts;
        };
        QElapsedTimer timer;
        timer.start();
        grid.SortByColumn(6);
        customTimes.push_back(timer.nsecsElapsed() / 1e6);

        fill(grid, rows);
        grid.OnGetSortStyle = nullptr;
        grid.SortOptions.SortStyle = ssNumeric;
        grid.SortOptions.SecondaryIndex = QStringLiteral("2,3");
        timer.restart();
        grid.SortByColumn(1);
        numericTimes.push_back(timer.nsecsElapsed() / 1e6);
    }

    // Scrolling one page: time of the repaint and the number of cells drawn.
    int drawn = 0;
    grid.OnDrawCell = [&drawn](TMyCustomGrid*, int, int, const QRect&, TGridDrawState) { ++drawn; };
    std::vector<double> scrollTimes;
    int cellsPerPage = 0;
    grid.SetTopRow(1);
    for (int run = 0; run < Runs; ++run) {
        drawn = 0;
        QElapsedTimer timer;
        timer.start();
        grid.SetTopRow(grid.TopRow() + std::max(grid.VisibleRowCount(), 1));
        (void)grid.viewport()->grab();
        scrollTimes.push_back(timer.nsecsElapsed() / 1e6);
        cellsPerPage = drawn;
    }

    std::printf("sort %d rows, time texts, custom comparison:   median %.2f ms (target <= 30 ms)\n", Rows,
                median(customTimes));
    std::printf("sort %d rows, ssNumeric + 2 secondary keys:    median %.2f ms (target <= 80 ms)\n", Rows,
                median(numericTimes));
    std::printf("scroll one page and repaint:                     median %.2f ms, %d cells drawn "
                "(%d visible rows x %d columns + header)\n",
                median(scrollTimes), cellsPerPage, grid.VisibleRowCount(), grid.ColCount());
    return 0;
}
