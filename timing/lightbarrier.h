#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class QTimer;

// How it is wired (LightBarrierPort owns it and the TComPort named ComPort,
// and makes the port's connections and the settings; the main window makes
// the rest):
//
//   connect(ComPort, &TComPort::dsrChanged, barrier, &LightBarrier::ComPortDSR);
//   connect(ComPort, &TComPort::opened, barrier, &LightBarrier::ComPortOpen);
//   connect(ComPort, &TComPort::closed, barrier, &LightBarrier::ComPortClose);
//   connect(ComPort, &TComPort::lineLost, barrier, [..] { barrier->ComPortLost(ComPort->Port()); });
//   connect(barrier, &LightBarrier::startRequested, form, [..](qint64 tick) { mStart click with tick });
//   connect(barrier, &LightBarrier::lapRequested, form, [..](qint64 tick) { mLAP click with tick });
//   connect(barrier, &LightBarrier::picturesChanged, form, [..] { apply startPicture() to
//           ImageLSstart and stopPicture() to ImageLSstop: visible, enabled, ImageList1 entry });
//   connect(barrier, &LightBarrier::statusMessage, form, [..](const QString& text) { status bar });
//   barrier->setCommandGuards([..] { return mStart enabled; }, [..] { return mLAP enabled; });
//   barrier->setLapTickGuard([..](qint64 tick) { return the clock would take a ZEIT at tick; });
//   barrier->setAlg(Alg); barrier->setWaitStart(WaitStart); barrier->setCountSpeed(CountSpeed);
//
// The start and ZEIT requests carry the tick of the light-barrier edge: the
// window's start and ZEIT commands use it in place of reading the time base
// (and must still ignore the request while their menu item is disabled).
// Keys and buttons keep reading the tick at the press. The clock tells the
// barrier about its own steps: raceStarted() when START has enabled ZEIT,
// timeTaken() on every ZEIT (any source), raceEnded() when ENDE or the
// restart hide the ZEIT picture, and reset() when the clock returns to ready.
// F11 calls Lock1Click(), clicks on the pictures ImageLSClick().

// What one of the two pictures shows.
struct BarrierPicture {
    bool visible = false;
    bool enabled = true;
    int imageIndex = 0;  // entry of ImageList1: 0 "gesperrt" (locked), 1 "frei" (free)
    bool operator==(const BarrierPicture&) const = default;
};

// The light-barrier trigger: turns DSR edges into start and ZEIT requests,
// keeps the two arm flags (the pictures' Tag values) and the lock-out.
//
// The lock-out is decided on edge ticks: a trigger whose tick lies less than
// WaitStart after the tick of the previous accepted trigger is ignored, and
// a lock-out that has run out by a trigger's tick counts as run out even if
// the busy window has not yet processed TimerLS. TimerLS itself only brings
// the picture back to "frei" in time.
class LightBarrier : public QObject {
    Q_OBJECT

public:
    enum class Picture { Start, Stop };  // ImageLSstart, ImageLSstop

    explicit LightBarrier(QObject* parent = nullptr);
    ~LightBarrier() override;

    // Settings. Alg: 0 DSR on triggers, 1 DSR off triggers, other: nothing.
    int Alg() const { return m_alg; }
    void setAlg(int alg) { m_alg = alg; }
    // Lock-out time in milliseconds; 0: the release edge re-arms.
    int WaitStart() const { return m_waitStart; }
    void setWaitStart(int milliseconds);
    // Counts of the tick per microsecond (CountSpeed; 1000 for ns ticks).
    void setCountSpeed(double countsPerMicrosecond) { m_countSpeed = countsPerMicrosecond; }

    // Whether START and ZEIT are enabled now (their menu items).
    void setCommandGuards(std::function<bool()> startEnabled, std::function<bool()> lapEnabled);
    // Whether ZEIT would take a time at an edge's tick (an edge older than
    // the race start would be dropped). An edge it would drop locks nothing.
    void setLapTickGuard(std::function<bool(qint64 tick)> acceptsTick) { m_lapAcceptsTick = std::move(acceptsTick); }
    // The current tick, used to run TimerLS for the rest of a lock-out.
    void setTickSource(std::function<qint64()> source);
    // Replaces TimerLS (a single-shot QTimer) by another timer: start(ms)
    // must call TimerLSTimer() after ms milliseconds, stop() cancel it.
    void setLockoutTimer(std::function<void(int ms)> start, std::function<void()> stop);

    // Handlers of the window.
    void ComPortDSR(bool dsrOn, qint64 tick);
    void BarrierTrigger(qint64 tick);
    void SetStopBarrier(int armed);
    void TimerLSTimer();
    void ImageLSClick(Picture picture);
    void Lock1Click();
    void ComPortOpen();
    void ComPortClose();
    // The port's worker ended on an error: hide the pictures and say so.
    // The next open that succeeds takes the text back.
    void ComPortLost(int port);

    // Steps of the race clock.
    void raceStarted();
    void timeTaken();
    void raceEnded();
    void reset();

    // The status-bar text for a lost light barrier, "Lichtschranke an COM3 verloren".
    static QString lostText(int port);

    int startTag() const { return m_startTag; }
    int stopTag() const { return m_stopTag; }
    BarrierPicture startPicture() const { return m_startPicture; }
    BarrierPicture stopPicture() const { return m_stopPicture; }
    bool isPortOpen() const { return m_portOpen; }
    bool isLockoutRunning() const { return m_timerRunning; }

signals:
    void startRequested(qint64 edgeTick);
    void lapRequested(qint64 edgeTick);
    void picturesChanged();
    void statusMessage(const QString& text);

private:
    void flip(Picture picture);
    void startLockout(qint64 tick);
    bool startEnabled() const;
    bool lapEnabled() const;
    bool lapAccepts(qint64 tick) const;
    qint64 lockoutTicks() const;
    void setPictures(const BarrierPicture& start, const BarrierPicture& stop);

    int m_alg = 0;
    int m_waitStart = 100;
    double m_countSpeed = 1000.0;
    std::function<bool()> m_startEnabled;
    std::function<bool()> m_lapEnabled;
    std::function<bool(qint64)> m_lapAcceptsTick;
    std::function<qint64()> m_ticks;
    std::function<void(int)> m_timerStart;
    std::function<void()> m_timerStop;
    QTimer* m_timerLS = nullptr;  // child; only when no timer was injected

    int m_startTag = 0;
    int m_stopTag = 0;
    BarrierPicture m_startPicture;
    BarrierPicture m_stopPicture;
    bool m_portOpen = false;
    bool m_lostShown = false;  // the status bar says the barrier was lost
    std::optional<bool> m_lastDsr;  // unknown until the first event of an open port
    std::optional<qint64> m_lastAccepted;
    bool m_timerRunning = false;
    qint64 m_lockoutEnd = 0;
};
