#include "timing/raceclock.h"

CommandStates RaceClock::commandsOf(ClockState state, int rows)
{
    CommandStates c;
    switch (state) {
    case ClockState::StartUp:
    case ClockState::Ready:
        c.start = true;
        c.settings = true;
        break;
    case ClockState::Running:
        c.lap = rows < kMaxRows;
        c.stop = true;
        c.abort = true;
        c.running = true;
        break;
    case ClockState::Ended:
        c.enter = true;
        c.abort = true;
        break;
    case ClockState::Entered:
        c.enter = true;
        c.next = true;
        break;
    }
    return c;
}

bool RaceClock::start(qint64 tick)
{
    if (!commands().start)
        return false;
    m_startTick = tick;
    m_rows = 1;
    m_state = ClockState::Running;
    return true;
}

bool RaceClock::acceptsLap(qint64 tick) const
{
    return commands().lap && tick >= m_startTick;
}

bool RaceClock::lap(qint64 tick)
{
    if (!acceptsLap(tick))
        return false;
    // A time handled after a later one (an edge reported late) does not
    // make the last ZEIT older.
    if (m_rows < 2 || tick > m_lastLapTick)
        m_lastLapTick = tick;
    ++m_rows;
    return true;
}

bool RaceClock::stop(qint64 tick)
{
    if (m_state != ClockState::Running)
        return false;
    m_endTick = tick;
    if (m_rows <= 1)
        reset();
    else
        m_state = ClockState::Ended;
    return true;
}

void RaceClock::reset()
{
    m_state = ClockState::Ready;
    m_rows = 0;
    m_endTick = m_startTick;
}

bool RaceClock::entered()
{
    if (m_state != ClockState::Ended && m_state != ClockState::Entered)
        return false;
    m_state = ClockState::Entered;
    return true;
}
