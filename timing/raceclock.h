#pragma once

#include <QtGlobal>

// The race clock's rules without a window: its ticks, its row count and the
// 100-row limit, its state, and which commands each state allows. The window
// reads the tick, asks the clock, and shows what comes back.

enum class ClockState {
    StartUp,  // as the window is built: Ready, with both barriers locked
    Ready,
    Running,
    Ended,    // stopped with at least one ZEIT row: EINTRAGEN may enter them
    Entered,  // at least one time entered: NÄCHSTEN prepares the next race
};

// Which commands are enabled. The start barrier, START's menu item and button
// follow `start`; likewise for the others.
struct CommandStates {
    bool start = false;
    bool lap = false;
    bool stop = false;
    bool abort = false;     // bABORT (F7 itself is never disabled)
    bool enter = false;     // bEintragen (F9 itself is never disabled)
    bool next = false;      // NÄCHSTEN
    bool settings = false;  // bCFG
    bool running = false;   // the 10 ms display refresh
    bool operator==(const CommandStates&) const = default;
};

class RaceClock {
public:
    static constexpr int kMaxRows = 100;

    ClockState state() const { return m_state; }
    int rowCount() const { return m_rows; }
    qint64 startTick() const { return m_startTick; }
    qint64 lastLapTick() const { return m_lastLapTick; }
    qint64 endTick() const { return m_endTick; }
    CommandStates commands() const { return commandsOf(m_state, m_rows); }
    static CommandStates commandsOf(ClockState state, int rows);

    // START: the start row (row 1). False when START is not enabled.
    bool start(qint64 tick);
    // Whether a ZEIT at `tick` would be taken: the clock runs, the list has
    // room, and the tick is not older than the start (an edge seen before a
    // START by key but handled after it belongs before the race).
    bool acceptsLap(qint64 tick) const;
    // ZEIT: the next row. False when not accepted.
    bool lap(qint64 tick);
    // ENDE after its question: Ended with ZEIT rows, otherwise back to Ready.
    // False when the clock was not running.
    bool stop(qint64 tick);
    // The restart question is asked from two rows on.
    bool abortAsks() const { return m_rows >= 2; }
    // Back to Ready: no rows, the end tick set to the start tick.
    void reset();
    // EINTRAGEN entered at least one time (from Ended or Entered).
    bool entered();

private:
    ClockState m_state = ClockState::StartUp;
    int m_rows = 0;
    qint64 m_startTick = 0;
    qint64 m_lastLapTick = 0;
    qint64 m_endTick = 0;
};
