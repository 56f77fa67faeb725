#include "results/classlist.h"

#include "results/textdecoding.h"
#include "results/timetext.h"

#include <QFile>
#include <QFileInfo>

namespace {

std::optional<ClassEntry> parseLine(const QString& line)
{
    const qsizetype blank = line.indexOf(QLatin1Char(' '));
    if (blank < 0)
        return std::nullopt;
    const std::optional<qint32> length = readInteger(trimBlanks(line.left(blank)));
    if (!length)
        return std::nullopt;
    return ClassEntry{*length, trimBlanks(line.mid(blank + 1))};
}

}  // namespace

QVector<ClassEntry> parseClassList(const QByteArray& bytes)
{
    const QString text = decodeUtf8OrWindows1252(bytes);
    QVector<ClassEntry> entries;
    qsizetype start = 0;
    const qsizetype n = text.size();
    while (start < n && entries.size() < kClassPages) {
        qsizetype end = start;
        while (end < n && text[end] != QLatin1Char('\r') && text[end] != QLatin1Char('\n'))
            ++end;
        if (const std::optional<ClassEntry> entry = parseLine(text.mid(start, end - start)))
            entries.append(*entry);
        if (end < n && text[end] == QLatin1Char('\r') && end + 1 < n && text[end + 1] == QLatin1Char('\n'))
            ++end;
        start = end + 1;
    }
    return entries;
}

std::optional<QVector<ClassEntry>> readClassList(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.size() > kMaxClassListBytes)
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read no more than the limit even if the file grows meanwhile.
    const QByteArray bytes = file.read(kMaxClassListBytes + 1);
    if (bytes.size() > kMaxClassListBytes || file.error() != QFileDevice::NoError)
        return std::nullopt;
    return parseClassList(bytes);
}

bool isClassListFileName(const QString& path)
{
    return path.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive);
}

ClassBook::ClassBook()
{
    for (int p = 0; p < kClassPages; ++p)
        captions[p] = QStringLiteral("Klasse %1").arg(p + 1);
}

void ClassBook::load(const QVector<ClassEntry>& entries)
{
    names.clear();
    captions[0] = QStringLiteral("Klasse 1");
    for (const ClassEntry& entry : entries) {
        if (isFull())
            break;
        names.append(entry.name);
        const int page = int(names.size()) - 1;
        captions[page] = entry.name;
        trackLengths[page] = entry.trackLength;
    }
}

int ClassBook::indexOf(const QString& text) const
{
    for (int i = 0; i < names.size(); ++i) {
        if (names[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ClassBook::addQuestion(const QString& text)
{
    return QStringLiteral("KLASSE: ") + text + QLatin1Char('?');
}

int ClassBook::addClass(const QString& text)
{
    if (isFull())
        return -1;
    const int previous = activePage;
    names.append(text);
    const int page = int(names.size()) - 1;
    activePage = page;
    captions[page] = text;
    if (page != previous && trackLengths[page] == 0 && previous >= 0 && previous < kClassPages)
        trackLengths[page] = trackLengths[previous];
    return page;
}
