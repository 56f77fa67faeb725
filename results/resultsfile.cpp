#include "results/resultsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstring>

namespace {

// Characters, not UTF-16 units: a character outside the basic plane counts once.
qsizetype characterCount(const QString& text)
{
    qsizetype count = text.size();
    for (const QChar ch : text) {
        if (ch.isLowSurrogate())
            --count;
    }
    return count;
}

}  // namespace

QString resultLine(const QStringList& cells)
{
    QString line;
    line.reserve(80);
    for (int col = 0; col < 9; ++col) {
        const QString text = col < cells.size() ? cells[col] : QString();
        const qsizetype pad = kResultFieldWidths[col] - characterCount(text);
        if (pad > 0)
            line.append(QString(pad, QLatin1Char(' ')));
        line.append(text);
    }
    return line;
}

namespace {

// Room one cell can take as UTF-8: its field, or three bytes per UTF-16 unit.
qsizetype fieldBound(const QString& text, int width)
{
    return qMax<qsizetype>(width, text.size() * 3);
}

// Writes one cell right-justified as UTF-8 at `p` and returns the end. Cells
// are nearly always ASCII and are then copied byte by byte: the backup of
// every class is rebuilt after every ranking and must stay cheap.
char* writeField(char* p, const QString& text, int width)
{
    const QChar* chars = text.constData();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && chars[i].unicode() < 0x80)
        ++i;
    const bool ascii = i == n;
    for (qsizetype pad = width - (ascii ? n : characterCount(text)); pad > 0; --pad)
        *p++ = ' ';
    if (ascii) {
        for (i = 0; i < n; ++i)
            *p++ = char(chars[i].unicode());
    } else {
        const QByteArray utf8 = text.toUtf8();
        std::memcpy(p, utf8.constData(), size_t(utf8.size()));
        p += utf8.size();
    }
    return p;
}

char* writeBytes(char* p, const QByteArray& bytes)
{
    std::memcpy(p, bytes.constData(), size_t(bytes.size()));
    return p + bytes.size();
}

}  // namespace

QByteArray resultsText(const QVector<ClassResults>& classes)
{
    static const QByteArray kHeadingStart("KLASSE: ");
    static const QByteArray kLineEnd("\r\n");
    static const QString kEmpty;
    QByteArray out;
    qsizetype used = 0;
    // One allocation for the usual all-ASCII text: growing a megabyte buffer
    // step by step costs more than writing it.
    qsizetype estimate = 0;
    for (const ClassResults& entry : classes) {
        if (entry.table)
            estimate += (entry.table->rowCount() + 4) * 82 + entry.caption.size() * 3 + 16;
    }
    out.resize(estimate);
    // Grows the buffer so that `more` bytes fit after the used part.
    const auto room = [&out, &used](qsizetype more) {
        if (out.size() < used + more)
            out.resize(qMax(used + more, out.size() * 2));
        return out.data() + used;
    };
    for (const ClassResults& entry : classes) {
        if (!entry.table || !entry.table->hasResults())
            continue;
        const QByteArray caption = entry.caption.toUtf8();
        char* p = room(kHeadingStart.size() + caption.size() + 2 * kLineEnd.size()
                       + (entry.table->rowCount() + 1) * 82);
        p = writeBytes(p, kHeadingStart);
        p = writeBytes(p, caption);
        p = writeBytes(p, kLineEnd);
        p = writeBytes(p, kLineEnd);
        used = p - out.constData();
        // Each row is measured and written while its cells are in the cache.
        for (const QStringList& row : entry.table->rows) {
            qsizetype bound = kLineEnd.size();
            for (int col = 0; col < 9; ++col)
                bound += fieldBound(col < row.size() ? row[col] : kEmpty, kResultFieldWidths[col]);
            p = room(bound);
            for (int col = 0; col < 9; ++col)
                p = writeField(p, col < row.size() ? row[col] : kEmpty, kResultFieldWidths[col]);
            p = writeBytes(p, kLineEnd);
            used = p - out.constData();
        }
        p = room(kLineEnd.size());
        p = writeBytes(p, kLineEnd);
        used = p - out.constData();
    }
    out.truncate(used);
    return out;
}

WriteResult SaveResultsText(const QString& fileName, const QVector<ClassResults>& classes)
{
    return writeFileAtomically(fileName, resultsText(classes));
}

QString backupFileName(const QDate& date)
{
    return QStringLiteral("Sicherung_") + date.toString(QStringLiteral("yyyy-MM-dd"))
        + QStringLiteral(".txt");
}

WriteResult writeBackup(const QDir& folder, const QDate& date, const QVector<ClassResults>& classes)
{
    return SaveResultsText(folder.filePath(backupFileName(date)), classes);
}

BackupResult DailyBackup::write(const QDate& date, const QVector<ClassResults>& classes)
{
    return write(date, resultsText(classes));
}

BackupResult DailyBackup::write(const QDate& date, const QByteArray& text)
{
    BackupResult result;
    result.path = m_folder.filePath(backupFileName(date));
    if (date != m_ownDay && QFileInfo(result.path).isFile()) {
        // Overwriting it would lose every result of the earlier run. When it
        // cannot be moved aside, this run writes nothing and tries again on
        // the next ranking.
        result.error = keepEarlierRun(result.path, date, result);
        if (!result.error.isEmpty())
            return result;
    }
    const WriteResult written = writeFileAtomically(result.path, text);
    result.ok = written.ok;
    result.error = written.error;
    if (written.ok)
        m_ownDay = date;
    return result;
}

QString DailyBackup::keepEarlierRun(const QString& path, const QDate& date, BackupResult& result) const
{
    const QString stem = QFileInfo(backupFileName(date)).completeBaseName() + QLatin1Char('_');
    const QRegularExpression numbered(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(stem) + QStringLiteral("([0-9]{1,9})\\.txt")));
    int highest = 0;
    const QStringList names = m_folder.entryList({stem + QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (match.hasMatch())
            highest = qMax(highest, match.captured(1).toInt());
    }
    // QFile::rename never replaces an existing file: a name taken meanwhile
    // fails the keep instead of losing that file.
    QFile file(path);
    const QString kept = m_folder.filePath(stem + QString::number(highest + 1) + QStringLiteral(".txt"));
    if (!file.rename(kept))
        return file.errorString();
    result.keptAs = kept;
    return {};
}

QString DateStampName(const QDateTime& now)
{
    QString name = now.toString(QStringLiteral("yyyy-MM-dd_HH-mm"));
    name.replace(QLatin1Char(' '), QLatin1Char('0'));
    return name;
}

void clearResults(ResultTable& table)
{
    for (int r = 1; r < table.rowCount(); ++r) {
        for (int col = ResultTable::ColStart; col < ResultTable::ColumnCount; ++col)
            table.setCell(r, col, QString());
    }
}
