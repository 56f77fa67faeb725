#include "chmbuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

bool writeText(const QString& path, const QString& text)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text.toUtf8()) >= 0;
}

} // namespace

QString chmcmdProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("chmcmd"));
}

QString buildTestChm(const QString& dir, const QString& baseName,
                     const std::vector<ChmTestPage>& pages, QString* log)
{
    const QString program = chmcmdProgram();
    if (program.isEmpty() || pages.empty())
        return {};
    const QDir d(dir);

    QString toc = QStringLiteral(
        "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML//EN\">\n<html><head>"
        "<meta charset=\"utf-8\"></head><body>\n<ul>\n");
    int level = 0;
    QString files;
    for (const auto& page : pages) {
        for (; level < page.level; ++level)
            toc += QStringLiteral("<ul>\n");
        for (; level > page.level; --level)
            toc += QStringLiteral("</ul>\n");
        toc += QStringLiteral("<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"%1\">"
                              "<param name=\"Local\" value=\"%2\"></object>\n")
                   .arg(page.tocName, page.fileName);
        files += page.fileName + QLatin1Char('\n');
        const QString html = QStringLiteral("<html><head><meta charset=\"utf-8\"><title>%1</title>"
                                            "</head><body>%2</body></html>\n")
                                 .arg(page.tocName, page.body);
        if (!d.mkpath(QFileInfo(d.filePath(page.fileName)).path())
            || !writeText(d.filePath(page.fileName), html))
            return {};
    }
    for (; level > 0; --level)
        toc += QStringLiteral("</ul>\n");
    toc += QStringLiteral("</ul>\n</body></html>\n");

    const QString project = QStringLiteral(
        "[OPTIONS]\nCompatibility=1.1 or later\nCompiled file=%1.chm\nContents file=%1.hhc\n"
        "Default topic=%2\nLanguage=0x407 German (Germany)\nTitle=%1\n\n[FILES]\n%3")
                                .arg(baseName, pages.front().fileName, files);
    if (!writeText(d.filePath(baseName + QStringLiteral(".hhc")), toc)
        || !writeText(d.filePath(baseName + QStringLiteral(".hhp")), project))
        return {};

    QProcess chmcmd;
    chmcmd.setWorkingDirectory(dir);
    chmcmd.setProcessChannelMode(QProcess::MergedChannels);
    chmcmd.start(program, {QStringLiteral("--no-html-scan"), baseName + QStringLiteral(".hhp")});
    const bool finished = chmcmd.waitForFinished(60000);
    if (log)
        *log = QString::fromLocal8Bit(chmcmd.readAll());
    const QString out = d.filePath(baseName + QStringLiteral(".chm"));
    if (!finished || chmcmd.exitCode() != 0 || !QFileInfo(out).isFile())
        return {};
    return out;
}
