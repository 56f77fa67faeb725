#pragma once

#include "app/settings.h"
#include "live/liveserver.h"

#include <QPointer>
#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QSpinBox;

// What a test may replace; the program uses the defaults.
struct LiveLinkOptions {
    LiveClock clock;
    std::function<SessionState()> snapshot;               // the day as the window shows it
    std::function<QStringList(quint16)> addresses;        // default: liveAddresses
    LiveLimits limits;
};

// The small window F12 opens: on or off, the port, the addresses and a QR
// code of the first, the viewers and the last problem.
class TFormLive : public QWidget {
    Q_OBJECT
public:
    explicit TFormLive(QWidget* parent = nullptr);

    QCheckBox* cbOn = nullptr;
    QSpinBox* ePort = nullptr;
    QLabel* lAddresses = nullptr;
    QLabel* iQrCode = nullptr;
    QLabel* lViewers = nullptr;
    QLabel* lProblem = nullptr;
};

// Live results as the operator runs them: the server, its window and the
// text of the status bar. The main window hands over every journal record and
// asks for the day anew after a restore.
class LiveLink : public QObject {
    Q_OBJECT
public:
    LiveLink(LiveLinkOptions options, bool on, int port, QWidget* windowParent, QObject* parent = nullptr);
    ~LiveLink() override;

    bool isOn() const { return m_server.isOn(); }
    bool wanted() const { return m_wanted; }  // what LiveOn keeps
    int port() const { return m_port; }
    int viewers() const { return m_viewers; }
    QString problem() const { return m_problem; }
    QStringList addresses() const { return m_addresses; }
    // "Live: http://…:8080 (n)" while on, the problem while it failed, else empty.
    QString statusText() const;
    // The status panel's text: `other` first, then this one's.
    QString statusBeside(const QString& other) const;
    // LiveOn and LivePort as the operator left them.
    void keepIn(SettingsValues& values) const;

    void post(const JournalRecord& record);
    void resync();
    void showWindow();
    TFormLive* window() const { return m_window; }
    LiveServer& server() { return m_server; }

signals:
    void statusChanged();

private:
    void switchOn(bool on);
    void start();
    void showState();

    LiveLinkOptions m_options;
    LiveServer m_server;
    QPointer<TFormLive> m_window;
    bool m_wanted = false;
    int m_port = 8080;
    int m_viewers = 0;
    QString m_problem;
    QStringList m_addresses;
};
