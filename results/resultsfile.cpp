#include "results/resultsfile.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringView>

#include <string>

namespace {

// Characters, not UTF-16 units: a character outside the basic plane counts once.
qsizetype characterCount(QStringView text)
{
    qsizetype count = text.size();
    for (const QChar ch : text) {
        if (ch.isLowSurrogate())
            --count;
    }
    return count;
}

// Lines are built in UTF-16 with every field padded by characters and then
// encoded whole: a cell's bytes never enter the padding. A standard string
// because its appends are cheap inline code: the backup of every class is
// rebuilt after every ranking.
using Text = std::u16string;

void append(Text& out, QStringView text)
{
    out.append(text.utf16(), size_t(text.size()));
}

// Appends the cells of columns 0 to 8, each right-justified in its field.
void appendLine(Text& out, const QStringList& cells)
{
    for (int col = 0; col < 9; ++col) {
        const QStringView text = col < cells.size() ? QStringView(cells[col]) : QStringView();
        const qsizetype pad = kResultFieldWidths[col] - characterCount(text);
        if (pad > 0)
            out.append(size_t(pad), u' ');
        append(out, text);
    }
}

}  // namespace

QString resultLine(const QStringList& cells)
{
    Text line;
    appendLine(line, cells);
    return QString::fromStdU16String(line);
}

QByteArray resultsText(const QVector<ClassResults>& classes)
{
    QByteArray out;
    // One allocation for the usual all-ASCII text: growing a megabyte buffer
    // step by step costs more than writing it.
    qsizetype estimate = 0;
    for (const ClassResults& entry : classes) {
        if (entry.table)
            estimate += (entry.table->rowCount() + 4) * 82 + entry.caption.size();
    }
    out.reserve(estimate);
    // Whole lines go to the output some kilobytes at a time: a second buffer
    // the size of the text costs a page fault per page on every backup.
    constexpr size_t kChunk = 8192;
    Text chunk;
    chunk.reserve(kChunk + 128);
    const auto encode = [&out, &chunk] {
        out += QStringView(chunk).toUtf8();
        chunk.clear();
    };
    for (const ClassResults& entry : classes) {
        if (!entry.table || !entry.table->hasResults())
            continue;
        chunk += u"KLASSE: ";
        append(chunk, entry.caption);
        chunk += u"\r\n\r\n";
        for (const QStringList& row : entry.table->rows) {
            appendLine(chunk, row);
            chunk += u"\r\n";
            if (chunk.size() >= kChunk)
                encode();
        }
        chunk += u"\r\n";
    }
    encode();
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
