#include "timing/highrestimer.h"

#include "timing/mmtimerthread.h"

#include <cmath>

int threadClassValue(TThreadClass threadClass)
{
    switch (threadClass) {
    case TThreadClass::tcIdle:
        return 64;
    case TThreadClass::tcNormal:
        return 32;
    case TThreadClass::tcHigh:
        return 128;
    case TThreadClass::tcRealTime:
        return 256;
    }
    return 32;
}

int threadBasePriority(TThreadClass threadClass, TThreadPriority threadPriority)
{
    const bool realTime = threadClass == TThreadClass::tcRealTime;
    if (threadPriority == TThreadPriority::tpIdle)
        return realTime ? 16 : 1;
    if (threadPriority == TThreadPriority::tpTimeCritical)
        return realTime ? 31 : 15;
    int base = 8;
    switch (threadClass) {
    case TThreadClass::tcIdle:
        base = 4;
        break;
    case TThreadClass::tcNormal:
        base = 8;
        break;
    case TThreadClass::tcHigh:
        base = 13;
        break;
    case TThreadClass::tcRealTime:
        base = 24;
        break;
    }
    switch (threadPriority) {
    case TThreadPriority::tpLowest:
        return base - 2;
    case TThreadPriority::tpLower:
        return base - 1;
    case TThreadPriority::tpHigher:
        return base + 1;
    case TThreadPriority::tpHighest:
        return base + 2;
    default:
        return base;
    }
}

THighResTimer::THighResTimer(QObject* parent)
    : THighResTimer(platform::systemCounterSource(), true, parent)
{
}

THighResTimer::THighResTimer(platform::CounterSource source, bool designedUseTSC, QObject* parent)
    : QObject(parent)
    , m_source(std::move(source))
{
    construct(designedUseTSC);
}

THighResTimer::~THighResTimer()
{
    setEnabled(false);
}

void THighResTimer::construct(bool designedUseTSC)
{
    m_minAccuracy = 1;
    m_accuracy = 0;
    m_minResolution = m_source.minTimerPeriodMs ? m_source.minTimerPeriodMs() : 1;
    m_resolution = m_minAccuracy;
    updateResolutionCounts();
    m_threadClass = TThreadClass::tcNormal;
    m_threadPriority = TThreadPriority::tpNormal;
    m_enabled = false;
    m_tsc = m_source.hasTimeStampCounter && m_source.hasTimeStampCounter();
    // A time base designed not to use the time-stamp counter never calibrates
    // it, so building one costs no wait.
    m_useTSC = m_tsc && designedUseTSC;
    chooseReader();
    Calibrate(3000);
}

void THighResTimer::chooseReader()
{
    m_reader = m_useTSC ? m_source.timeStampCounter : m_source.performanceCounter;
}

qint64 THighResTimer::ReadCounter() const
{
    return m_reader();
}

quint32 THighResTimer::Calibrate(quint32 waitMs)
{
    const double previousSpeed = m_countSpeed;
    m_countSpeed = double(m_source.performanceFrequency()) / 1'000'000.0;
    if (!m_useTSC) {
        updateResolutionCounts();
        return 0;
    }

    // The readings are taken at raised priority so that each time-stamp
    // reading and its performance-counter reading lie close together.
    const platform::PriorityState saved =
        m_source.raisePriority ? m_source.raisePriority() : platform::PriorityState{};
    m_source.sleepMs(10);
    const qint64 t0 = m_source.timeStampCounter();
    const qint64 p0 = m_source.performanceCounter();
    m_source.sleepMs(waitMs);
    const qint64 t1 = m_source.timeStampCounter();
    const qint64 p1 = m_source.performanceCounter();
    if (m_source.restorePriority)
        m_source.restorePriority(saved);

    const qint64 tscDiff = t1 - t0;
    const double elapsedMicroseconds = double(p1 - p0) / m_countSpeed;
    if (elapsedMicroseconds > 0.0 && tscDiff > 0) {
        m_countSpeed = double(tscDiff) / elapsedMicroseconds;
    } else if (!m_thread) {
        // Counters that did not advance give no rate; a time-stamp reader
        // paired with the performance-counter rate would give wrong times, so
        // the time base falls back to the performance counter.
        m_useTSC = false;
        chooseReader();
    } else {
        // The running thread keeps reading the time-stamp counter: keep the
        // rate that matched it.
        m_countSpeed = previousSpeed;
    }
    updateResolutionCounts();
    return quint32(quint64(tscDiff));
}

void THighResTimer::updateResolutionCounts()
{
    m_resolutionCounts = std::llround(double(m_resolution) * 1000.0 * m_countSpeed);
}

void THighResTimer::setUseTSC(bool value)
{
    if (value == m_useTSC)
        return;
    if (!m_tsc) {
        m_useTSC = false;
    } else if (!m_thread) {
        m_useTSC = value;
        chooseReader();
    }
    Calibrate(3000);
}

void THighResTimer::setEnabled(bool value)
{
    if (value == m_enabled)
        return;
    m_enabled = value;
    if (value) {
        auto thread = std::make_unique<TMMTimerThread>(m_reader, m_minResolution);
        thread->setAccuracy(m_accuracy);
        thread->setPeriod(m_resolution);
        const bool started = thread->start();
        m_thread = std::move(thread);
        // A thread switched on after ThreadClass or ThreadPriority were set
        // runs with them from its first period.
        if (started)
            applyThreadSchedule();
    } else if (m_thread) {
        m_thread->stop();
        m_thread.reset();
    }
}

void THighResTimer::setAccuracy(quint32 value)
{
    m_accuracy = value;
    if (m_thread)
        m_thread->setAccuracy(value);
}

void THighResTimer::setResolution(quint32 value)
{
    m_resolution = value;
    updateResolutionCounts();
    if (m_thread)
        m_thread->setPeriod(value);
}

void THighResTimer::setThreadClass(TThreadClass value)
{
    m_threadClass = value;
    applyThreadSchedule();
}

void THighResTimer::setThreadPriority(TThreadPriority value)
{
    m_threadPriority = value;
    applyThreadSchedule();
}

void THighResTimer::applyThreadSchedule()
{
    if (m_thread)
        m_thread->applySchedule(platform::scheduleForBasePriority(threadBasePriority(m_threadClass, m_threadPriority)));
}

qint64 THighResTimer::LastTick() const
{
    return m_thread ? m_thread->lastTick() : 0;
}

bool THighResTimer::WaitForTick(int timeoutMs) const
{
    return m_thread ? m_thread->waitForTick(timeoutMs) : false;
}
