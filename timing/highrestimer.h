#pragma once

#include "platform/counters.h"

#include <QObject>
#include <memory>

class TMMTimerThread;

enum class TThreadClass { tcIdle, tcNormal, tcHigh, tcRealTime };
enum class TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// Windows priority class values the thread classes stand for.
int threadClassValue(TThreadClass threadClass);
// The Windows base priority (1 … 31) a thread of that class and priority
// would get; the periodic thread is scheduled after it.
int threadBasePriority(TThreadClass threadClass, TThreadPriority threadPriority);

// The program's tick source: a free-running 64-bit counter and how many counts
// make a microsecond. Optionally runs a periodic timer thread (never switched
// on by the program itself).
class THighResTimer : public QObject {
    Q_OBJECT
public:
    // designedUseTSC mirrors the designed value of UseTSC: with false the
    // time-stamp counter is still detected but not used, so construction never
    // waits for a calibration.
    explicit THighResTimer(QObject* parent = nullptr);
    THighResTimer(platform::CounterSource source, bool designedUseTSC, QObject* parent = nullptr);
    ~THighResTimer() override;

    // One counter reading: no allocation, no lock.
    qint64 ReadCounter() const;
    // Returns the low 32 bits of the time-stamp difference measured.
    quint32 Calibrate(quint32 waitMs);

    quint32 Accuracy() const { return m_accuracy; }
    void setAccuracy(quint32 value);
    double CountSpeed() const { return m_countSpeed; }
    void setCountSpeed(double) {}  // read-only; writes are ignored
    bool Enabled() const { return m_enabled; }
    void setEnabled(bool value);
    quint32 MinAccuracy() const { return m_minAccuracy; }
    void setMinAccuracy(quint32) {}
    quint32 MinResolution() const { return m_minResolution; }
    void setMinResolution(quint32) {}
    quint32 Resolution() const { return m_resolution; }
    void setResolution(quint32 value);
    qint64 ResolutionCounts() const { return m_resolutionCounts; }
    TThreadClass ThreadClass() const { return m_threadClass; }
    void setThreadClass(TThreadClass value);
    TThreadPriority ThreadPriority() const { return m_threadPriority; }
    void setThreadPriority(TThreadPriority value);
    bool TSC() const { return m_tsc; }
    void setTSC(bool) {}
    bool UseTSC() const { return m_useTSC; }
    void setUseTSC(bool value);

    // Periodic mode: the last tick the thread stored (under its lock), and a
    // wait for its next tick event. Both are harmless while the mode is off
    // (0, and false at once). Call them on the owner's thread: switching the
    // mode off frees the thread they read from.
    qint64 LastTick() const;
    bool WaitForTick(int timeoutMs) const;
    TMMTimerThread* thread() const { return m_thread.get(); }

private:
    void construct(bool designedUseTSC);
    void chooseReader();
    void updateResolutionCounts();
    void applyThreadSchedule();

    platform::CounterSource m_source;
    std::function<qint64()> m_reader;
    quint32 m_accuracy = 0;
    double m_countSpeed = 0.0;
    bool m_enabled = false;
    quint32 m_minAccuracy = 1;
    quint32 m_minResolution = 1;
    quint32 m_resolution = 1;
    qint64 m_resolutionCounts = 0;
    TThreadClass m_threadClass = TThreadClass::tcNormal;
    TThreadPriority m_threadPriority = TThreadPriority::tpNormal;
    bool m_tsc = false;
    bool m_useTSC = false;
    std::unique_ptr<TMMTimerThread> m_thread;
};
