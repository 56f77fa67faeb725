#include "app/chmsitemap.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <QTextDocumentFragment>

namespace {

QString decodeHtml(const QByteArray& html)
{
    QStringDecoder declared = QStringDecoder::decoderForHtml(html);
    if (declared.isValid()) {
        QString text = declared.decode(html);
        if (!declared.hasError())
            return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    QString text = utf8.decode(html);
    return utf8.hasError() ? QString::fromLatin1(html) : text;
}

QString unescape(const QString& value)
{
    if (!value.contains(QLatin1Char('&')))
        return value;
    return QTextDocumentFragment::fromHtml(value).toPlainText();
}

// Pages of merged help files are written "other.chm::/page.html"; only the
// part inside the archive matters here.
QString localPath(QString value)
{
    const qsizetype merged = value.indexOf(QLatin1String("::"));
    if (merged >= 0)
        value = value.mid(merged + 2);
    while (value.startsWith(QLatin1Char('/')))
        value.remove(0, 1);
    return value.trimmed();
}

QString attribute(const QString& attributes, const QString& name)
{
    static const QRegularExpression attr(
        QStringLiteral(R"re(([\w-]+)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s>]+)))re"));
    auto it = attr.globalMatch(attributes);
    while (it.hasNext()) {
        const auto m = it.next();
        if (m.captured(1).compare(name, Qt::CaseInsensitive) != 0)
            continue;
        for (int i = 2; i <= 4; ++i)
            if (m.capturedStart(i) >= 0)
                return unescape(m.captured(i));
        return {};
    }
    return {};
}

} // namespace

std::vector<ChmTocItem> parseChmSitemap(const QByteArray& html)
{
    static const QRegularExpression tag(QStringLiteral(R"(<\s*(/?)\s*([A-Za-z]+)([^>]*)>)"));
    const QString text = decodeHtml(html);

    std::vector<ChmTocItem> items;
    int depth = 0;
    bool inObject = false;
    ChmTocItem current;

    auto it = tag.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString name = m.captured(2).toLower();
        const QString attributes = m.captured(3);

        if (name == QLatin1String("ul")) {
            depth = closing ? std::max(0, depth - 1) : depth + 1;
        } else if (name == QLatin1String("object")) {
            if (!closing) {
                inObject = attribute(attributes, QStringLiteral("type")).compare(
                               QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                current = ChmTocItem{};
                current.level = std::max(0, depth - 1);
            } else if (inObject) {
                inObject = false;
                if (!current.name.isEmpty() || !current.local.isEmpty()) {
                    if (current.name.isEmpty())
                        current.name = current.local;
                    items.push_back(current);
                }
            }
        } else if (name == QLatin1String("param") && inObject) {
            const QString key = attribute(attributes, QStringLiteral("name"));
            const QString value = attribute(attributes, QStringLiteral("value"));
            // Only the first of each: later ones belong to merged topics.
            if (key.compare(QLatin1String("Name"), Qt::CaseInsensitive) == 0 && current.name.isEmpty())
                current.name = value.trimmed();
            else if (key.compare(QLatin1String("Local"), Qt::CaseInsensitive) == 0 && current.local.isEmpty())
                current.local = localPath(value);
        }
    }
    return items;
}
