#pragma once

#include "results/journal.h"

#include <QByteArray>
#include <QVector>
#include <array>
#include <functional>

// What the viewers see, kept on the server's thread: the day as the journal
// records it, brought up to date by the same records the journal writer gets,
// and turned into JSON there. The window hands over records, never widgets.

// The race clock's time base, readable from any thread: the counter the
// window takes its ticks from and its speed (counts per microsecond).
struct LiveClock {
    std::function<qint64()> nowTick;
    double countSpeed = 1.0;
};

// Which message a change makes for the viewers.
struct LiveChange {
    enum Kind { None, Race, Class, All };
    Kind kind = None;
    int page = -1;  // Class: the page whose table changed
};

class LiveState {
public:
    static constexpr int kRowMarkMs = 5000;  // how long a changed row stays marked

    explicit LiveState(LiveClock clock = {});

    // The whole day anew (server start, a restored session).
    void reset(const SessionState& state);
    // One change as the journal records it; a record that does not read
    // changes nothing.
    LiveChange apply(const JournalRecord& record, qint64 nowMs);

    quint64 seq() const { return m_seq; }
    bool running() const { return m_state.race.clock == JournalClock::Running; }

    // The messages (UTF-8 JSON). `nowMs` is the server's monotonic time; it
    // ages the row marks. A change of everything is the state without its
    // classes: a viewer gets them one by one after it.
    QByteArray stateJson(qint64 nowMs) const;  // the body of /api/state
    QByteArray message(const LiveChange& change, qint64 nowMs) const;
    QByteArray clockMessage() const;

private:
    QByteArray stateObject(qint64 nowMs, bool withClasses = true) const;
    QByteArray raceObject() const;
    QByteArray classObject(int page, qint64 nowMs) const;
    qint64 elapsedMs() const;
    QString className(int page) const;
    void markChangedRows(int page, const ResultTable& before, const ResultTable& after, qint64 nowMs);

    LiveClock m_clock;
    SessionState m_state;
    quint64 m_seq = 1;
    struct Marks {
        qint64 atMs = -1;        // when the table last changed
        QVector<bool> rows;      // per data row: changed then
    };
    std::array<Marks, kClassPages> m_marks;
};
