#include "results/resultsfile.h"

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

QByteArray resultsText(const QVector<ClassResults>& classes)
{
    static const QString lineEnd = QStringLiteral("\r\n");
    QString text;
    for (const ClassResults& entry : classes) {
        if (!entry.table || !entry.table->hasResults())
            continue;
        text.reserve(text.size() + (entry.table->rowCount() + 4) * 82);
        text += QStringLiteral("KLASSE: ") + entry.caption + lineEnd + lineEnd;
        for (const QStringList& row : entry.table->rows)
            text += resultLine(row) + lineEnd;
        text += lineEnd;
    }
    return text.toUtf8();
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
