// The crash drill: runs the real program on the offscreen platform through
// scripted races, kills it with SIGKILL at random moments (some while
// EINTRAGEN runs, some while the backup it starts is being written),
// restarts it, lets it answer the restore question with "Ja", and compares
// what came back with what the program showed at least 50 ms before the
// kill. Exit code 0 only when no time was lost, no table differs and every
// restored day is one the program showed (or the whole command in flight).
//
//   journal_drill [--kills N] [--seed S] [--verbose]
#include "results/journal.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <optional>
#include <random>
#include <thread>
#include <vector>

namespace {

QElapsedTimer g_clock;
qint64 nowUs() { return g_clock.nsecsElapsed() / 1000; }

struct Shown {
    SessionState state;
    qint64 atUs = 0;  // when the drill had read it
};

// A restarted program shows a running race as ended at its last time; a
// race with only its start row goes back to ready. Ready carries no ticks.
SessionState normalized(SessionState s)
{
    s.changed = false;
    s.closed = false;
    JournalRace& race = s.race;
    if (race.clock == JournalClock::Running) {
        if (race.rows.size() >= 2) {
            race.clock = JournalClock::Ended;
            race.endTick = race.startTick + race.rows.last().ticks;
        } else {
            race.clock = JournalClock::Ready;
            race.rows.clear();
        }
    }
    if (race.clock == JournalClock::StartUp || race.clock == JournalClock::Ready) {
        race.clock = JournalClock::Ready;
        race.startTick = race.endTick = 0;
        race.rows.clear();
    }
    return s;
}

class Program {
public:
    Program(const QString& exe, const QString& work, const QString& config)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PYLONIX_DRILL"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        m_process.setProcessEnvironment(env);
        m_process.setWorkingDirectory(work);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.setStandardErrorFile(QProcess::nullDevice());
        m_process.start(exe, {});
        m_process.waitForStarted(10000);
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning)
            kill();
    }

    // The next state line, or nothing when none came within the time.
    std::optional<SessionState> next(int timeoutMs)
    {
        QElapsedTimer waited;
        waited.start();
        for (;;) {
            if (auto s = takeLine())
                return s;
            const int left = timeoutMs - int(waited.elapsed());
            if (left <= 0 || m_process.state() == QProcess::NotRunning)
                return std::nullopt;
            m_process.waitForReadyRead(left);
            m_buffer += m_process.readAllStandardOutput();
        }
    }
    void send(const QByteArray& line) { m_process.write(line + '\n'); m_process.waitForBytesWritten(1000); }
    // SIGKILL, then every state line the program got out before it died.
    std::vector<SessionState> kill()
    {
        ::kill(pid_t(m_process.processId()), SIGKILL);
        m_process.waitForFinished(10000);
        m_buffer += m_process.readAllStandardOutput();
        std::vector<SessionState> rest;
        while (auto s = takeLine())
            rest.push_back(std::move(*s));
        return rest;
    }

private:
    std::optional<SessionState> takeLine()
    {
        for (;;) {
            const qsizetype end = m_buffer.indexOf('\n');
            if (end < 0)
                return std::nullopt;
            const QByteArray line = m_buffer.left(end);
            m_buffer.remove(0, end + 1);
            if (!line.startsWith("S "))
                continue;
            const qsizetype space = line.indexOf(' ', 2);
            if (auto snap = decodeSnapshot(QByteArray::fromBase64(line.mid(space + 1))))
                return snap->first;
        }
    }

    QProcess m_process;
    QByteArray m_buffer;
};

// The next thing the scripted operator does, given what the window shows.
class Operator {
public:
    explicit Operator(quint32 seed)
        : m_rng(seed)
    {
    }
    int uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(m_rng); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_rng) < p; }

    QByteArray next(const SessionState& s)
    {
        const JournalRace& race = s.race;
        const int rows = int(race.rows.size());
        switch (race.clock) {
        case JournalClock::StartUp:
        case JournalClock::Ready: {
            m_laps = uniform(2, 9);
            if (chance(0.08) && s.classNames.size() > 1) {
                int page = uniform(0, int(s.classNames.size()) - 1);
                return "k " + QByteArray::number(page == kRefusingPage ? 0 : page);
            }
            if (chance(0.05))
                return "l " + QByteArray::number(uniform(6, 12) * 100);
            if (chance(0.04))
                return "a Platz1";
            if (chance(0.03))
                return "d " + QByteArray::number(uniform(1, 3));
            if (chance(0.02))
                return "a New1";
            if (chance(0.02) && s.classNames.size() < kRefusingPage)
                return "n Klasse" + QByteArray::number(uniform(100, 999));
            const int k = uniform(1, kCarsPerRace);
            if (race.startNumbers[k - 1].isEmpty() || chance(0.15))
                return "e " + QByteArray::number(k) + ' ' + QByteArray::number(uniform(1, 60));
            return "a mStart";
        }
        case JournalClock::Running:
            if (rows >= 2 && chance(0.3))
                return mark(race);
            if (rows < m_laps)
                return "a mLAP";
            return "a mStop";
        case JournalClock::Ended: {
            bool marked = false;
            for (const JournalTimeRow& r : race.rows) {
                for (bool d : r.row.down)
                    marked = marked || d;
            }
            if (!marked || chance(0.4))
                return chance(0.1) ? "c " + QByteArray::number(uniform(1, rows)) : mark(race);
            return "a Eintragen1";
        }
        case JournalClock::Entered:
            return chance(0.2) ? "a Eintragen1" : "a mReset";
        }
        return "q";
    }

private:
    QByteArray mark(const JournalRace& race)
    {
        std::vector<int> cars;
        for (int k = 1; k <= kCarsPerRace; ++k) {
            if (!race.startNumbers[k - 1].trimmed().isEmpty())
                cars.push_back(k);
        }
        const int k = cars.empty() ? 1 : cars[std::size_t(uniform(0, int(cars.size()) - 1))];
        const int n = uniform(1, int(race.rows.size()));
        return (chance(0.1) ? "x " : "m ") + QByteArray::number(n) + ' ' + QByteArray::number(k);
    }

    std::mt19937 m_rng;
    int m_laps = 4;
};

int rowsOf(const SessionState& s)
{
    return int(s.race.rows.size());
}

// What the killed command would have shown: the last state shown is
// restored in a folder of its own and the command given again there.
std::optional<SessionState> replay(const QString& folder, const QString& config, const SessionState& before,
                                   const QByteArray& command)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    SessionState start = before;
    start.changed = true;
    QFile snapshot(QDir(folder).filePath(QLatin1String(kJournalSnapshotName)));
    if (!snapshot.open(QIODevice::WriteOnly))
        return std::nullopt;
    snapshot.write(encodeSnapshot(start, 0));
    snapshot.close();
    Program program(QStringLiteral(PYLONIX_EXE), folder, config);
    if (!program.next(20000))
        return std::nullopt;
    program.send(command);
    return program.next(10000);
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int kills = 50;
    quint32 seed = quint32(std::random_device{}());
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray a = argv[i];
        if (a == "--kills" && i + 1 < argc)
            kills = QByteArray(argv[++i]).toInt();
        else if (a == "--seed" && i + 1 < argc)
            seed = QByteArray(argv[++i]).toUInt();
        else if (a == "--verbose")
            verbose = true;
    }
    g_clock.start();
    // On the disk the program would use, not in a memory file system where
    // every sync is free.
    QTemporaryDir base(QCoreApplication::applicationDirPath() + QStringLiteral("/drill-XXXXXX"));
    const QString work = QDir(base.path()).filePath(QStringLiteral("work"));
    const QString config = QDir(base.path()).filePath(QStringLiteral("config"));
    QDir().mkpath(work);
    QDir().mkpath(config);
    std::printf("journal drill: %d kills, seed %u\n", kills, seed);

    Operator op(seed);
    std::vector<Shown> shown;
    qint64 killAtUs = 0;
    int lostTimes = 0, differingTables = 0, unmatched = 0, restarts = 0;
    int duringEntry = 0, afterEntry = 0, backupsCaught = 0, timesTaken = 0;
    int totalTimesChecked = 0, inFlightKept = 0;
    QByteArray killedCommand;
    bool killedAnswered = true;

    for (int cycle = 0; cycle <= kills; ++cycle) {
        Program program(QStringLiteral(PYLONIX_EXE), work, config);
        const std::optional<SessionState> restored = program.next(20000);
        if (!restored) {
            std::printf("cycle %d: the program did not start\n", cycle);
            return 2;
        }
        if (cycle > 0) {
            ++restarts;
            // The newest state read at least 50 ms before the kill, and every
            // later one: the restored day must be one of them.
            std::size_t cut = 0;
            for (std::size_t i = 0; i < shown.size(); ++i) {
                if (shown[i].atUs <= killAtUs - 50'000)
                    cut = i;
            }
            const SessionState back = normalized(*restored);
            bool match = false;
            for (std::size_t i = cut; i < shown.size() && !match; ++i)
                match = normalized(shown[i].state) == back;
            const SessionState ref = normalized(shown[cut].state);
            totalTimesChecked += rowsOf(ref);
            // The command in flight at the kill may have reached the disk
            // whole before it could report: that is kept, not lost.
            if (!match && !killedAnswered) {
                // Not normalized: a race showing only its start row is normalized
                // to ready, and the first ZEIT in flight brings back its start tick.
                const SessionState& last = shown.back().state;
                if (last.race.clock != JournalClock::Running) {
                    const auto post = replay(QDir(base.path()).filePath(QStringLiteral("replay")), config,
                                             last, killedCommand);
                    match = post && normalized(*post) == back;
                } else {
                    // A ZEIT, a mark or ENDE: every time shown is there, nothing else moved.
                    match = back.tables == last.tables && back.classNames == last.classNames
                            && back.race.startNumbers == last.race.startNumbers
                            && back.race.startTick == last.race.startTick && rowsOf(back) >= rowsOf(last);
                    for (int n = 0; match && n < rowsOf(last); ++n)
                        match = back.race.rows[n].ticks == last.race.rows[n].ticks;
                }
                inFlightKept += match ? 1 : 0;
            }
            if (!match) {
                ++unmatched;
                for (int p = 0; p < kClassPages; ++p) {
                    bool same = false;
                    for (std::size_t i = cut; i < shown.size() && !same; ++i)
                        same = normalized(shown[i].state).tables[std::size_t(p)] == back.tables[std::size_t(p)];
                    differingTables += same ? 0 : 1;
                }
                // Times of the race that was shown and did not come back.
                if (back.race.startTick == ref.race.startTick) {
                    for (int n = 0; n < rowsOf(ref); ++n) {
                        if (n >= rowsOf(back) || back.race.rows[n].ticks != ref.race.rows[n].ticks)
                            ++lostTimes;
                    }
                } else if (rowsOf(ref) > 0 && rowsOf(back) == 0) {
                    lostTimes += rowsOf(ref);
                }
                if (verbose) {
                    std::printf("cycle %d: restored day matches no state shown since the cut (%zu of %zu)\n"
                                "  back: clock %d rows %d start %lld pages %lld active %d | ref: clock %d rows %d start %lld active %d\n",
                                cycle, cut, shown.size(), int(back.race.clock), rowsOf(back),
                                qlonglong(back.race.startTick), qlonglong(back.classNames.size()), back.activePage,
                                int(ref.race.clock), rowsOf(ref), qlonglong(ref.race.startTick), ref.activePage);
                    const SessionState& last = normalized(shown.back().state);
                    std::printf("  last: clock %d rows %d; same classes %d tables %d race %d numbers %d\n",
                                int(last.race.clock), rowsOf(last), back.classNames == last.classNames,
                                back.tables == last.tables, back.race.rows == last.race.rows,
                                back.race.startNumbers == last.race.startNumbers);
                }
            }
        }

        shown.clear();
        shown.push_back({*restored, nowUs()});
        if (cycle == kills)
            break;

        // 0: anywhere; 1: while EINTRAGEN runs; 2: right after it, while its backup is written.
        const int mode = cycle % 3 == 1 ? 1 : cycle % 3 == 2 ? 2 : 0;
        const int steps = op.uniform(4, 40);
        SessionState current = *restored;
        for (int step = 0;; ++step) {
            const QByteArray command = op.next(current);
            const bool entry = command == "a Eintragen1";
            const bool last = step >= steps && (mode == 0 || entry);
            if (command == "a mLAP")
                ++timesTaken;
            program.send(command);
            killedCommand = command;
            killedAnswered = false;
            if (last && mode != 2) {
                std::this_thread::sleep_for(std::chrono::microseconds(op.uniform(0, mode == 1 ? 1500 : 3000)));
                duringEntry += mode == 1 ? 1 : 0;
                break;
            }
            const std::optional<SessionState> after = program.next(10000);
            if (!after) {
                std::printf("cycle %d: no answer to \"%s\"\n", cycle, command.constData());
                return 2;
            }
            current = *after;
            killedAnswered = true;
            shown.push_back({current, nowUs()});
            if (last) {
                std::this_thread::sleep_for(std::chrono::microseconds(op.uniform(0, 2000)));
                ++afterEntry;
                break;
            }
            // An operator a good deal faster than a real one.
            std::this_thread::sleep_for(std::chrono::milliseconds(op.uniform(1, 12)));
        }
        killAtUs = nowUs();
        for (SessionState& late : program.kill()) {
            shown.push_back({std::move(late), killAtUs});
            killedAnswered = true;
        }
        // A temporary backup file left behind: the kill came while it was written.
        for (const QString& name : QDir(work).entryList(QDir::Files)) {
            if (name.startsWith(QLatin1String("Sicherung_")) && !name.endsWith(QLatin1String(".txt"))) {
                ++backupsCaught;
                QFile::remove(QDir(work).filePath(name));
            }
        }
    }

    std::printf("kills %d (while EINTRAGEN ran %d, right after it %d, with a backup half written %d)\n", restarts,
                duringEntry, afterEntry, backupsCaught);
    std::printf("times taken %d, times in races checked at restarts %d\n", timesTaken, totalTimesChecked);
    std::printf("times shown >= 50 ms before a kill and lost: %d\n", lostTimes);
    std::printf("tables differing after restore: %d\n", differingTables);
    std::printf("kills whose command in flight was restored whole without having reported: %d\n", inFlightKept);
    std::printf("restored days matching no state shown since 50 ms before the kill: %d\n", unmatched);
    return lostTimes == 0 && differingTables == 0 && unmatched == 0 ? 0 : 1;
}
