#include "app/chmbrowser.h"

#include "app/chmfile.h"

#include <QDesktopServices>
#include <QDir>
#include <QStringDecoder>
#include <QTextDocument>

namespace {

QString archivePathOf(const QUrl& url)
{
    return QDir::cleanPath(QLatin1Char('/') + url.path());
}

QString decodePage(const QByteArray& bytes)
{
    QStringDecoder decoder = QStringDecoder::decoderForHtml(bytes);
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

ChmBrowser::ChmBrowser(const ChmFile& file, QWidget* parent)
    : QTextBrowser(parent)
    , m_file(file)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &ChmBrowser::followLink);
}

QUrl ChmBrowser::pageUrl(const QString& archivePath)
{
    QUrl url;
    url.setScheme(QLatin1String(kScheme));
    const qsizetype hash = archivePath.indexOf(QLatin1Char('#'));
    url.setPath(QDir::cleanPath(QLatin1Char('/') + archivePath.left(hash)));
    if (hash >= 0)
        url.setFragment(archivePath.mid(hash + 1));
    return url;
}

bool ChmBrowser::showPage(const QString& archivePath)
{
    const QUrl url = pageUrl(archivePath);
    if (!m_file.contains(url.path()))
        return false;
    setSource(url);
    return true;
}

QVariant ChmBrowser::loadResource(int type, const QUrl& requested)
{
    // Style sheets and pictures may arrive relative to the page.
    const QUrl name = requested.isRelative() ? source().resolved(requested) : requested;
    if (name.scheme() != QLatin1String(kScheme))
        return {};
    const auto bytes = m_file.read(archivePathOf(name));
    if (!bytes)
        return {};
    if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource)
        return decodePage(*bytes);
    return *bytes;  // pictures: the document decodes the bytes itself
}

void ChmBrowser::followLink(const QUrl& url)
{
    if (url.scheme() == QLatin1String(kScheme)) {
        if (m_file.contains(archivePathOf(url)))
            setSource(url);
        return;
    }
    // The desktop decides; a link it cannot open is simply not followed.
    QDesktopServices::openUrl(url);
}
