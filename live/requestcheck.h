#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The first look at what a browser (or anyone on the venue network) sends,
// before Qt's parser sees a byte: one request head at a time, fed as it
// arrives. Anything that is not a plain, small GET or HEAD of a known kind is
// refused with its status, and the connection is then closed.
class RequestCheck {
public:
    static constexpr qsizetype kMaxHead = 8 * 1024;  // request line plus headers
    static constexpr qsizetype kMaxTarget = 2048;

    enum class Verdict {
        Incomplete,  // the head has not ended yet
        Accepted,    // a complete, acceptable head (see path() and upgrade())
        Refused,     // see status()
    };

    // Feeds the next bytes of the connection. After Accepted the next call
    // starts a new head; after Refused nothing more is read.
    Verdict feed(QByteArrayView bytes);

    int status() const { return m_status; }            // 400, 405, 413, 431
    const QByteArray& path() const { return m_path; }  // decoded, without the query
    bool head() const { return m_headMethod; }         // HEAD rather than GET
    bool upgrade() const { return m_upgrade; }         // asks for a WebSocket
    bool closeAfter() const { return m_close; }        // HTTP/1.0 or "Connection: close"
    bool started() const { return !m_buffer.isEmpty(); }

private:
    Verdict finish();
    Verdict refuse(int status);

    QByteArray m_buffer;
    bool m_refused = false;
    int m_status = 0;
    QByteArray m_path;
    bool m_headMethod = false;
    bool m_upgrade = false;
    bool m_close = false;
};

// The path of a request target, percent-decoded, or empty when it is not a
// plain absolute path: traversal in any spelling, encoded slashes or
// backslashes, control bytes and broken escapes are refused.
QByteArray decodeRequestPath(QByteArrayView target);
