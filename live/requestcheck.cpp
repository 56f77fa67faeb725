#include "live/requestcheck.h"

#include <QList>

namespace {

bool isTokenChar(char c)
{
    if (c >= 'a' && c <= 'z')
        return true;
    if (c >= 'A' && c <= 'Z')
        return true;
    if (c >= '0' && c <= '9')
        return true;
    return QByteArrayView("!#$%&'*+-.^_`|~").contains(c);
}

bool isToken(QByteArrayView s)
{
    if (s.isEmpty())
        return false;
    for (char c : s) {
        if (!isTokenChar(c))
            return false;
    }
    return true;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool containsToken(QByteArrayView list, QByteArrayView token)
{
    for (const QByteArray& part : list.toByteArray().split(',')) {
        if (part.trimmed().compare(token, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

}  // namespace

QByteArray decodeRequestPath(QByteArrayView target)
{
    if (target.isEmpty() || target.front() != '/')
        return {};
    QByteArray path;
    path.reserve(target.size());
    for (qsizetype i = 0; i < target.size(); ++i) {
        char c = target[i];
        if (c == '%') {
            if (i + 2 >= target.size())
                return {};
            const int hi = hexValue(target[i + 1]);
            const int lo = hexValue(target[i + 2]);
            if (hi < 0 || lo < 0)
                return {};
            c = char(hi * 16 + lo);
            // An encoded slash or backslash would hide a segment boundary.
            if (c == '/' || c == '\\')
                return {};
            i += 2;
        }
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == '\\')
            return {};
        path += c;
    }
    for (const QByteArray& segment : path.split('/')) {
        if (segment == "." || segment == "..")
            return {};
    }
    return path;
}

RequestCheck::Verdict RequestCheck::refuse(int status)
{
    m_refused = true;
    m_status = status;
    m_buffer.clear();
    return Verdict::Refused;
}

RequestCheck::Verdict RequestCheck::feed(QByteArrayView bytes)
{
    if (m_refused)
        return Verdict::Refused;
    if (m_status == 200) {
        // The previous head was taken: this is the start of the next one.
        m_status = 0;
        m_buffer.clear();
    }
    // Empty lines between requests are allowed before a request line.
    while (m_buffer.isEmpty() && !bytes.isEmpty() && (bytes.front() == '\r' || bytes.front() == '\n'))
        bytes = bytes.sliced(1);
    if (bytes.isEmpty())
        return Verdict::Incomplete;

    const qsizetype before = m_buffer.size();
    m_buffer.append(bytes);
    // Look for the end of the head only from where it could begin.
    const qsizetype from = qMax<qsizetype>(0, before - 3);
    qsizetype end = m_buffer.indexOf("\r\n\r\n", from);
    qsizetype endLength = 4;
    const qsizetype bareEnd = m_buffer.indexOf("\n\n", from);
    if (bareEnd >= 0 && (end < 0 || bareEnd < end)) {
        end = bareEnd;
        endLength = 2;
    }
    if (end < 0) {
        if (m_buffer.size() > kMaxHead)
            return refuse(431);
        if (m_buffer.contains('\0'))
            return refuse(400);
        return Verdict::Incomplete;
    }
    if (end + endLength > kMaxHead)
        return refuse(431);
    // Bytes after the head: a body, or a pipelined request. Neither is
    // taken: a body is refused and pipelining is not offered.
    const bool trailing = end + endLength < m_buffer.size();
    m_buffer.truncate(end);
    const Verdict verdict = finish();
    if (verdict == Verdict::Accepted && trailing)
        return refuse(413);
    return verdict;
}

RequestCheck::Verdict RequestCheck::finish()
{
    if (m_buffer.contains('\0'))
        return refuse(400);
    QList<QByteArray> lines = m_buffer.split('\n');
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        for (char c : line) {
            const auto u = static_cast<unsigned char>(c);
            if ((u < 0x20 && c != '\t') || u == 0x7f)
                return refuse(400);
        }
    }
    const QList<QByteArray> parts = lines.front().split(' ');
    if (parts.size() != 3 || !isToken(parts[0]))
        return refuse(400);
    if (parts[2] != "HTTP/1.1" && parts[2] != "HTTP/1.0")
        return refuse(400);
    const QByteArray& target = parts[1];
    if (target.size() > kMaxTarget)
        return refuse(400);

    bool upgradeWebSocket = false;
    bool connectionUpgrade = false;
    m_close = parts[2] == "HTTP/1.0";
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || !isToken(QByteArrayView(line).first(colon)))
            return refuse(400);
        const QByteArray name = line.first(colon).toLower();
        const QByteArray value = line.sliced(colon + 1).trimmed();
        if (name == "content-length") {
            bool ok = false;
            const qlonglong length = value.toLongLong(&ok);
            if (!ok || length < 0)
                return refuse(400);
            if (length > 0)
                return refuse(413);
        } else if (name == "transfer-encoding") {
            return refuse(413);
        } else if (name == "upgrade") {
            upgradeWebSocket = containsToken(value, "websocket");
        } else if (name == "connection") {
            connectionUpgrade = containsToken(value, "upgrade");
            m_close = m_close || containsToken(value, "close");
        }
    }
    if (parts[0] != "GET" && parts[0] != "HEAD")
        return refuse(405);

    const qsizetype query = target.indexOf('?');
    const QByteArrayView pathPart = QByteArrayView(target).first(query < 0 ? target.size() : query);
    m_path = decodeRequestPath(pathPart);
    if (m_path.isEmpty())
        return refuse(400);
    m_headMethod = parts[0] == "HEAD";
    m_upgrade = upgradeWebSocket && connectionUpgrade && !m_headMethod;
    m_status = 200;
    return Verdict::Accepted;
}
