#pragma once

#include "live/livestate.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QThread;
class LiveEndpoint;

// The limits a venue network needs; tests shrink them.
struct LiveLimits {
    int maxViewers = 256;           // WebSocket viewers
    int maxConnections = 64;        // HTTP connections besides them
    int idleMs = 10'000;            // an HTTP connection without a request
    int headMs = 5'000;             // from the first byte of a head to its end
    int clockSyncMs = 2'000;        // the running clock re-synced to the viewers
    int stalledViewerMs = 30'000;   // a viewer that reads nothing is let go
};

// Live results on the venue network: an HTTP server with a WebSocket for
// the pages, on a thread of its own with its own event loop, so that nothing
// of the network runs where the race clock and the operator's keys are
// handled. Everything here is called on the user-interface thread and only
// hands over copies; the JSON is made on the server's thread.
class LiveServer : public QObject {
    Q_OBJECT
public:
    explicit LiveServer(LiveClock clock, LiveLimits limits = {}, QObject* parent = nullptr);
    ~LiveServer() override;

    // Starts listening on every address at `port` (0: a free one) with the
    // day as it is; the outcome comes as started() with the port or failed().
    void start(quint16 port, const SessionState& state);
    // No listening socket and no viewer afterwards; returns once closed.
    void stop();
    bool isOn() const { return m_on; }

    // Every change as the journal records it; a whole day anew.
    void post(const JournalRecord& record);
    void reset(const SessionState& state);

    // Returns once everything handed over so far has been sent (tests and
    // the benchmark).
    void flush();
    // What the viewers' sockets hold unsent, in bytes (the benchmark and
    // tests watch it stay bounded).
    qint64 queuedBytes();

signals:
    void started(quint16 port);
    void failed(const QString& message);
    void viewersChanged(int viewers);

private:
    LiveClock m_clock;
    LiveLimits m_limits;
    QThread* m_thread = nullptr;
    QPointer<LiveEndpoint> m_endpoint;
    bool m_on = false;
};

// The addresses a phone on the venue network can type: http://<each IPv4
// address of the machine that is up and not loopback>:<port>/.
QStringList liveAddresses(quint16 port);
