#pragma once

#include "timing/comport.h"

#include <QObject>
#include <QString>
#include <functional>
#include <future>

class LightBarrier;

// The light barrier with the port it hangs on: the serial port, the trigger,
// the port probe the settings dialog lists, and the setting `Port`. One unit
// owns their order, because the probe looks at the ports after the stored
// one was opened: it finds that one locked (by this program) and would leave
// it out. The port this program holds, and every stored port, is ours: the
// list always offers it, so the dialog always shows it selected.
//
// The window connects its own commands to barrier() (start and ZEIT
// requests, guards, pictures) before start() opens the stored port, and
// shows statusMessage() in its status bar.
class LightBarrierPort : public QObject {
    Q_OBJECT

public:
    struct Options {
        // The time base: the worker stamps each edge with it, and the
        // lock-out runs on it. Counts per microsecond in countSpeed.
        std::function<qint64()> ticks;
        double countSpeed = 1000.0;
        // How "COM" n becomes a device; default: the user's port map.
        TComPort::DeviceOpener deviceOpener;
        // The port probe (bit n-1: COMn free, upper 16 bits: the highest
        // port found); default: the probe over the user's port map.
        std::function<quint32()> probe;
        // The probe reads every open descriptor of the machine when a port
        // device exists: tens of milliseconds on a busy desktop. It runs on
        // a thread of its own this long after start(), or when the settings
        // dialog needs it first.
        int probeDelayMs = 300;
    };

    explicit LightBarrierPort(Options options, QObject* parent = nullptr);

    TComPort* comPort() const { return m_comPort; }
    LightBarrier* barrier() const { return m_barrier; }

    // Start-up: the settings go to the trigger, the stored port is opened
    // (a failure is silent, the port stays the setting), the probe is due.
    void start(int port, int alg, int waitStart);

    // The setting `Port`: 0 none, n COMn (only the low 8 bits count).
    int port() const { return m_port; }
    // Makes n the port and opens it (0 closes it); false with the reason.
    bool openPort(int port, QString* error = nullptr);

    void startPortProbe();
    // The probe's ports with the stored port among them; waits for the probe.
    quint32 comPorts();

    // OK in the settings dialog, its port part: `picked` when the operator
    // chose another entry than the one shown at opening (`port` 0 for
    // "Keine"); `alg` the contact state shown, -1 none. Only a picked entry
    // changes the port; a failed open is said in the status bar.
    void applyDialogChoice(bool picked, int port, int alg);

    // "Lichtschranke an COM3 nicht geöffnet: ...".
    static QString openFailureText(int port, const QString& error);
    // Where the driver cannot wait for line changes the barrier is polled,
    // and the operator is told so once: "Lichtschranke an COM3: Abfrage
    // alle 0,5 ms".
    static QString pollingText(int port, qint64 pollIntervalNs);

signals:
    // The status-bar text of the light barrier; empty clears it.
    void statusMessage(const QString& text);

private:
    void say(const QString& text);
    void clearIfShown(const QString& text);

    Options m_options;
    TComPort* m_comPort = nullptr;
    LightBarrier* m_barrier = nullptr;
    int m_port = 0;
    std::shared_future<quint32> m_probe;
    QString m_shown;        // what statusMessage last said
    QString m_openFailure;  // the text of the last port that did not open
    QString m_pollingNotice;  // the polling notice of the port now open
};
