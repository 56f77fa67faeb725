#include "timing/lightbarrier.h"

#include "platform/counters.h"

#include <QTimer>
#include <cmath>

LightBarrier::LightBarrier(QObject* parent)
    : QObject(parent)
    , m_ticks(&platform::monotonicNanoseconds)
{
    m_timerLS = new QTimer(this);
    m_timerLS->setObjectName(QStringLiteral("TimerLS"));
    m_timerLS->setSingleShot(true);
    connect(m_timerLS, &QTimer::timeout, this, &LightBarrier::TimerLSTimer);
    m_timerStart = [this](int ms) { m_timerLS->start(ms); };
    m_timerStop = [this] { m_timerLS->stop(); };
}

LightBarrier::~LightBarrier() = default;

QString LightBarrier::lostText(int port)
{
    return QStringLiteral("Lichtschranke an COM%1 verloren").arg(port);
}

void LightBarrier::setWaitStart(int milliseconds)
{
    m_waitStart = milliseconds < 0 ? 0 : milliseconds;
}

void LightBarrier::setCommandGuards(std::function<bool()> startEnabled, std::function<bool()> lapEnabled)
{
    m_startEnabled = std::move(startEnabled);
    m_lapEnabled = std::move(lapEnabled);
}

void LightBarrier::setTickSource(std::function<qint64()> source)
{
    m_ticks = source ? std::move(source) : std::function<qint64()>(&platform::monotonicNanoseconds);
}

void LightBarrier::setLockoutTimer(std::function<void(int)> start, std::function<void()> stop)
{
    m_timerLS->stop();
    m_timerStart = std::move(start);
    m_timerStop = std::move(stop);
}

bool LightBarrier::startEnabled() const
{
    return m_startEnabled && m_startEnabled();
}

bool LightBarrier::lapEnabled() const
{
    return m_lapEnabled && m_lapEnabled();
}

bool LightBarrier::lapAccepts(qint64 tick) const
{
    return lapEnabled() && (!m_lapAcceptsTick || m_lapAcceptsTick(tick));
}

qint64 LightBarrier::lockoutTicks() const
{
    return qint64(std::llround(double(m_waitStart) * m_countSpeed * 1000.0));
}

void LightBarrier::setPictures(const BarrierPicture& start, const BarrierPicture& stop)
{
    if (start == m_startPicture && stop == m_stopPicture)
        return;
    m_startPicture = start;
    m_stopPicture = stop;
    emit picturesChanged();
}

void LightBarrier::ComPortDSR(bool dsrOn, qint64 tick)
{
    if (m_lastDsr && *m_lastDsr == dsrOn)
        return;
    m_lastDsr = dsrOn;
    bool trigger = false;
    if (m_alg == 0)
        trigger = dsrOn;
    else if (m_alg == 1)
        trigger = !dsrOn;
    else
        return;
    if (trigger)
        BarrierTrigger(tick);
    else if (m_waitStart == 0)
        SetStopBarrier(1);
}

void LightBarrier::BarrierTrigger(qint64 tick)
{
    // A lock-out that had run out by the edge's tick counts as over, even
    // when the window was too busy to run TimerLS in time.
    if (m_timerRunning && tick >= m_lockoutEnd)
        TimerLSTimer();
    if (m_lastAccepted && m_waitStart > 0 && tick - *m_lastAccepted < lockoutTicks())
        return;

    // The clock is asked before anything is locked: an edge it would drop
    // (older than a START by key) must leave the barrier free for the car
    // that really comes next.
    if (m_stopTag == 1 && lapAccepts(tick)) {
        SetStopBarrier(0);
        m_lastAccepted = tick;
        emit lapRequested(tick);
        startLockout(tick);
    } else if (m_startTag == 1 && startEnabled()) {
        SetStopBarrier(0);
        m_lastAccepted = tick;
        emit startRequested(tick);
        startLockout(tick);
    }
}

void LightBarrier::startLockout(qint64 tick)
{
    // With no lock-out time the timer never runs; the release re-arms.
    // A lock-out already running is not restarted.
    if (m_waitStart == 0 || m_timerRunning)
        return;
    m_timerRunning = true;
    m_lockoutEnd = tick + lockoutTicks();
    // The event may be handled late: the timer only runs for what is left.
    const qint64 left = m_lockoutEnd - m_ticks();
    const double ticksPerMs = m_countSpeed * 1000.0;
    const int ms = left <= 0 ? 0 : int(std::ceil(double(left) / ticksPerMs));
    if (m_timerStart)
        m_timerStart(ms);
}

void LightBarrier::TimerLSTimer()
{
    if (m_timerStop)
        m_timerStop();
    m_timerRunning = false;
    SetStopBarrier(1);
}

void LightBarrier::SetStopBarrier(int armed)
{
    m_stopTag = armed ? 1 : 0;
    BarrierPicture stop = m_stopPicture;
    stop.imageIndex = m_stopTag;
    stop.enabled = true;
    stop.visible = m_portOpen && lapEnabled();
    setPictures(m_startPicture, stop);
}

void LightBarrier::flip(Picture picture)
{
    BarrierPicture start = m_startPicture;
    BarrierPicture stop = m_stopPicture;
    if (picture == Picture::Start) {
        m_startTag = 1 - m_startTag;
        start.imageIndex = m_startTag;
    } else {
        m_stopTag = 1 - m_stopTag;
        stop.imageIndex = m_stopTag;
    }
    // The operator freed the barrier by hand: the picture says "frei", so the
    // next edge counts, whatever is left of the last trigger's lock-out.
    if ((picture == Picture::Start ? m_startTag : m_stopTag) == 1) {
        m_lastAccepted.reset();
        if (m_timerRunning) {
            if (m_timerStop)
                m_timerStop();
            m_timerRunning = false;
        }
    }
    setPictures(start, stop);
}

void LightBarrier::ImageLSClick(Picture picture)
{
    const BarrierPicture& shown = picture == Picture::Start ? m_startPicture : m_stopPicture;
    if (!shown.visible || !shown.enabled)
        return;
    flip(picture);
}

void LightBarrier::Lock1Click()
{
    flip(startEnabled() ? Picture::Start : Picture::Stop);
}

void LightBarrier::ComPortOpen()
{
    m_portOpen = true;
    // Edges are compared from this session's first event on: a level seen
    // before the port was closed says nothing about the line now.
    m_lastDsr.reset();
    BarrierPicture start = m_startPicture;
    BarrierPicture stop = m_stopPicture;
    start.visible = true;
    stop.visible = lapEnabled();
    setPictures(start, stop);
    // The barrier works again: a "verloren" left standing would be a lie.
    if (m_lostShown) {
        m_lostShown = false;
        emit statusMessage(QString());
    }
}

void LightBarrier::ComPortClose()
{
    m_portOpen = false;
    BarrierPicture start = m_startPicture;
    BarrierPicture stop = m_stopPicture;
    start.visible = false;
    stop.visible = false;
    setPictures(start, stop);
}

void LightBarrier::ComPortLost(int port)
{
    ComPortClose();
    m_lostShown = true;
    emit statusMessage(lostText(port));
}

void LightBarrier::raceStarted()
{
    m_startTag = 0;
    BarrierPicture start = m_startPicture;
    start.imageIndex = 0;
    start.visible = false;
    setPictures(start, m_stopPicture);
    SetStopBarrier(1);
}

void LightBarrier::timeTaken()
{
    m_startTag = 0;
    BarrierPicture start = m_startPicture;
    start.imageIndex = 0;
    start.enabled = false;
    setPictures(start, m_stopPicture);
}

void LightBarrier::raceEnded()
{
    BarrierPicture stop = m_stopPicture;
    stop.visible = false;
    setPictures(m_startPicture, stop);
}

void LightBarrier::reset()
{
    m_startTag = 1;
    m_stopTag = 0;
    BarrierPicture start = m_startPicture;
    start.imageIndex = 1;
    start.visible = m_portOpen;
    start.enabled = true;
    BarrierPicture stop = m_stopPicture;
    stop.imageIndex = 0;
    stop.enabled = true;
    setPictures(start, stop);
}
