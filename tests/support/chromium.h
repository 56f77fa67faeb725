#pragma once

#include <QHash>
#include <QJsonObject>
#include <QJsonValue>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QProcess;
class QTemporaryDir;
class QUrl;
class QWebSocket;

// Debian's headless Chromium, driven over the DevTools protocol, so that
// tests can look at the live pages as a phone or a projector shows them.
// Every call waits at most its timeout; failures return false or nullopt and
// leave the reason in errorString(). The browser and its profile folder
// go away with the object.
class Chromium {
public:
    Chromium();
    ~Chromium();
    Chromium(const Chromium&) = delete;
    Chromium& operator=(const Chromium&) = delete;

    static QString binaryPath();
    // False when the browser is not installed: tests skip then.
    static bool available();

    bool start(QSize windowSize, int timeoutMs = 30000);
    // Returns once the page's load event has fired.
    bool navigate(const QUrl& url, int timeoutMs = 15000);
    // The value of an expression (a promise is awaited); nullopt when it
    // throws or the browser does not answer. JavaScript's undefined is
    // QJsonValue::Undefined.
    std::optional<QJsonValue> evaluate(const QString& expression, int timeoutMs = 10000);
    // Whether the expression became truthy before the timeout.
    bool waitFor(const QString& predicate, int timeoutMs);
    // The viewport as PNG.
    bool screenshot(const QString& path, int timeoutMs = 10000);
    // mobile: as a phone lays pages out (viewport meta tag honoured).
    bool setViewport(int width, int height, bool mobile = false);

    QString errorString() const { return m_error; }

private:
    std::optional<QJsonObject> call(const QString& method, const QJsonObject& params, int timeoutMs);
    bool fail(const QString& error);
    std::optional<QString> pageSocketUrl(int port, int timeoutMs);
    void onMessage(const QString& message);
    void stop();

    std::unique_ptr<QTemporaryDir> m_profile;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QWebSocket> m_socket;
    QHash<int, QJsonObject> m_answers;
    QStringList m_events;
    int m_nextId = 1;
    QString m_error;
};
