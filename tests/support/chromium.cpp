#include "support/chromium.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWebSocket>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

// A screenshot of a large window is a few megabytes of base64; anything far
// beyond that is not an answer we asked for.
constexpr qint64 MaxMessageBytes = 64 * 1024 * 1024;
constexpr int MaxKeptEvents = 200;

int remaining(const QDeadlineTimer& deadline)
{
    return int(qMax<qint64>(0, deadline.remainingTime()));
}

} // namespace

Chromium::Chromium() = default;

Chromium::~Chromium()
{
    stop();
}

QString Chromium::binaryPath()
{
    return QStringLiteral("/usr/bin/chromium");
}

bool Chromium::available()
{
    const QFileInfo binary(binaryPath());
    return binary.isFile() && binary.isExecutable();
}

bool Chromium::fail(const QString& error)
{
    m_error = error;
    return false;
}

bool Chromium::start(QSize windowSize, int timeoutMs)
{
    if (m_process)
        return fail(QStringLiteral("already started"));
    if (!available())
        return fail(QStringLiteral("%1 is not installed").arg(binaryPath()));
    const QDeadlineTimer deadline(timeoutMs);
    m_profile = std::make_unique<QTemporaryDir>();
    if (!m_profile->isValid())
        return fail(QStringLiteral("no temporary profile folder: %1").arg(m_profile->errorString()));

    m_process = std::make_unique<QProcess>();
    m_process->setProgram(binaryPath());
    m_process->setArguments({
        QStringLiteral("--headless"),
        QStringLiteral("--no-sandbox"),
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--hide-scrollbars"),
        QStringLiteral("--remote-debugging-port=0"),
        QStringLiteral("--user-data-dir=%1").arg(m_profile->path()),
        QStringLiteral("--window-size=%1,%2").arg(windowSize.width()).arg(windowSize.height()),
        QStringLiteral("about:blank"),
    });
    // Its D-Bus complaints are noise, and an unread pipe could stall it.
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    // Its own process group, so that its helpers go with it; and it dies
    // with a test program that crashes instead of running on unseen.
    m_process->setChildProcessModifier([] {
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
    });
    m_process->start();
    if (!m_process->waitForStarted(remaining(deadline)))
        return fail(QStringLiteral("chromium did not start: %1").arg(m_process->errorString()));

    // The browser writes its port here once it listens.
    const QString portFile = m_profile->filePath(QStringLiteral("DevToolsActivePort"));
    int port = 0;
    const bool listening = QTest::qWaitFor([&] {
        if (m_process->state() != QProcess::Running)
            return true;
        QFile file(portFile);
        if (!file.open(QIODevice::ReadOnly))
            return false;
        const QList<QByteArray> lines = file.read(1024).split('\n');
        bool ok = false;
        const int value = lines.value(0).trimmed().toInt(&ok);
        if (ok && value > 0 && value < 65536 && lines.size() >= 2)
            port = value;
        return port != 0;
    }, remaining(deadline));
    if (!listening || port == 0)
        return fail(m_process->state() == QProcess::Running
                        ? QStringLiteral("chromium did not open its DevTools port in time")
                        : QStringLiteral("chromium exited (code %1) before it listened").arg(m_process->exitCode()));

    const std::optional<QString> socketUrl = pageSocketUrl(port, remaining(deadline));
    if (!socketUrl)
        return false;
    m_socket = std::make_unique<QWebSocket>();
    m_socket->setMaxAllowedIncomingMessageSize(MaxMessageBytes);
    QObject::connect(m_socket.get(), &QWebSocket::textMessageReceived, m_socket.get(),
                     [this](const QString& message) { onMessage(message); });
    m_socket->open(QUrl(*socketUrl));
    // The outcome is read from the socket's state below.
    (void)QTest::qWaitFor([&] { return m_socket->state() == QAbstractSocket::ConnectedState
                                       || m_socket->state() == QAbstractSocket::UnconnectedState; },
                          remaining(deadline));
    if (m_socket->state() != QAbstractSocket::ConnectedState)
        return fail(QStringLiteral("no DevTools connection: %1").arg(m_socket->errorString()));
    return call(QStringLiteral("Page.enable"), {}, remaining(deadline)).has_value();
}

std::optional<QString> Chromium::pageSocketUrl(int port, int timeoutMs)
{
    QNetworkAccessManager network;
    network.setTransferTimeout(qMax(1, timeoutMs));
    const QUrl url(QStringLiteral("http://127.0.0.1:%1/json/list").arg(port));
    std::unique_ptr<QNetworkReply> reply(network.get(QNetworkRequest(url)));
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, timeoutMs) || reply->error() != QNetworkReply::NoError) {
        fail(QStringLiteral("no target list from %1: %2").arg(url.toString(), reply->errorString()));
        return std::nullopt;
    }
    const QJsonArray targets = QJsonDocument::fromJson(reply->read(1024 * 1024)).array();
    for (const QJsonValue& target : targets) {
        const QJsonObject t = target.toObject();
        if (t.value(QStringLiteral("type")).toString() == QLatin1String("page"))
            return t.value(QStringLiteral("webSocketDebuggerUrl")).toString();
    }
    fail(QStringLiteral("chromium lists no page"));
    return std::nullopt;
}

void Chromium::onMessage(const QString& message)
{
    const QJsonObject object = QJsonDocument::fromJson(message.toUtf8()).object();
    if (object.contains(QStringLiteral("id"))) {
        m_answers.insert(object.value(QStringLiteral("id")).toInt(), object);
    } else if (object.contains(QStringLiteral("method"))) {
        m_events.append(object.value(QStringLiteral("method")).toString());
        if (m_events.size() > MaxKeptEvents)
            m_events.removeFirst();
    }
}

std::optional<QJsonObject> Chromium::call(const QString& method, const QJsonObject& params, int timeoutMs)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        fail(QStringLiteral("%1: not connected").arg(method));
        return std::nullopt;
    }
    const int id = m_nextId++;
    const QJsonObject request{{QStringLiteral("id"), id}, {QStringLiteral("method"), method},
                              {QStringLiteral("params"), params}};
    m_socket->sendTextMessage(QString::fromUtf8(QJsonDocument(request).toJson(QJsonDocument::Compact)));
    const auto connected = [this] { return m_socket->state() == QAbstractSocket::ConnectedState; };
    // A browser that went away gives no answer: no use waiting for one.
    (void)QTest::qWaitFor([&] { return m_answers.contains(id) || !connected(); }, timeoutMs);
    if (!m_answers.contains(id)) {
        fail(connected() ? QStringLiteral("%1: no answer within %2 ms").arg(method).arg(timeoutMs)
                         : QStringLiteral("%1: the browser closed the connection").arg(method));
        return std::nullopt;
    }
    const QJsonObject answer = m_answers.take(id);
    if (answer.contains(QStringLiteral("error"))) {
        fail(QStringLiteral("%1: %2").arg(method, answer.value(QStringLiteral("error")).toObject()
                                                      .value(QStringLiteral("message")).toString()));
        return std::nullopt;
    }
    return answer.value(QStringLiteral("result")).toObject();
}

bool Chromium::navigate(const QUrl& url, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    m_events.removeAll(QStringLiteral("Page.loadEventFired"));
    const auto result = call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url.toString()}},
                             remaining(deadline));
    if (!result)
        return false;
    const QString error = result->value(QStringLiteral("errorText")).toString();
    if (!error.isEmpty())
        return fail(QStringLiteral("%1: %2").arg(url.toString(), error));
    if (!QTest::qWaitFor([&] { return m_events.contains(QStringLiteral("Page.loadEventFired")); },
                         remaining(deadline)))
        return fail(QStringLiteral("%1 did not finish loading in time").arg(url.toString()));
    return true;
}

std::optional<QJsonValue> Chromium::evaluate(const QString& expression, int timeoutMs)
{
    const auto result = call(QStringLiteral("Runtime.evaluate"),
                             {{QStringLiteral("expression"), expression},
                              {QStringLiteral("returnByValue"), true},
                              {QStringLiteral("awaitPromise"), true}},
                             timeoutMs);
    if (!result)
        return std::nullopt;
    if (result->contains(QStringLiteral("exceptionDetails"))) {
        const QJsonObject details = result->value(QStringLiteral("exceptionDetails")).toObject();
        const QString description = details.value(QStringLiteral("exception")).toObject()
                                        .value(QStringLiteral("description")).toString();
        fail(description.isEmpty() ? details.value(QStringLiteral("text")).toString() : description);
        return std::nullopt;
    }
    return result->value(QStringLiteral("result")).toObject().value(QStringLiteral("value"));
}

bool Chromium::waitFor(const QString& predicate, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    const QString truthy = QStringLiteral("!!(%1)").arg(predicate);
    for (;;) {
        const auto value = evaluate(truthy, qMax(1, remaining(deadline)));
        if (value && value->toBool())
            return true;
        if (deadline.hasExpired())
            return fail(QStringLiteral("still false after %1 ms: %2").arg(timeoutMs).arg(predicate));
        QTest::qWait(qMin(50, remaining(deadline)));
    }
}

bool Chromium::screenshot(const QString& path, int timeoutMs)
{
    const auto result = call(QStringLiteral("Page.captureScreenshot"), {{QStringLiteral("format"), QStringLiteral("png")}},
                             timeoutMs);
    if (!result)
        return false;
    const QByteArray png = QByteArray::fromBase64(result->value(QStringLiteral("data")).toString().toLatin1());
    if (png.isEmpty())
        return fail(QStringLiteral("empty screenshot"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(png) != png.size() || !file.commit())
        return fail(QStringLiteral("%1: %2").arg(path, file.errorString()));
    return true;
}

bool Chromium::setViewport(int width, int height, bool mobile)
{
    return call(QStringLiteral("Emulation.setDeviceMetricsOverride"),
                {{QStringLiteral("width"), width}, {QStringLiteral("height"), height},
                 {QStringLiteral("deviceScaleFactor"), 1}, {QStringLiteral("mobile"), mobile}},
                10000)
        .has_value();
}

void Chromium::stop()
{
    m_socket.reset();
    if (m_process && m_process->state() != QProcess::NotRunning) {
        const qint64 group = m_process->processId();
        // Asked first, so that it leaves its profile alone before the
        // folder is removed; killed if it does not go.
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
        if (group > 0)
            ::kill(-pid_t(group), SIGKILL);
    }
    m_process.reset();
    m_profile.reset();
}
