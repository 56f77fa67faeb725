// The results text and the daily backup with whatever the cells hold: typed
// texts, class names from any class list, restored journals.
#include "results/backupwriter.h"
#include "results/resultsfile.h"
#include "support/check.h"
#include "support/scratch.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

QString takeText(FuzzedDataProvider& input, size_t maxBytes)
{
    const std::string bytes = input.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

qsizetype characters(const QString& text)
{
    return text.toUcs4().size();
}

// The line as the file's layout describes it, built without the writer's code.
QString expectedLine(const QStringList& cells)
{
    QString line;
    for (int col = 0; col < 9; ++col) {
        const QString cell = cells.value(col);
        line += QString(qMax<qsizetype>(0, kResultFieldWidths[col] - characters(cell)), QLatin1Char(' ')) + cell;
    }
    return line;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    static QCoreApplication app(*argc, *argv);  // the writer reports through the event loop
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<ResultTable> tables(size_t(input.ConsumeIntegralInRange<int>(0, 3)));
    QVector<ClassResults> classes;
    QString expected;
    for (ResultTable& table : tables) {
        const QString caption = takeText(input, 24);
        table = ResultTable::withHeading();
        const int rows = input.ConsumeIntegralInRange<int>(1, 6);
        for (int r = 1; r <= rows; ++r) {
            if (r > 1)
                table.appendRow();
            const int cells = input.ConsumeIntegralInRange<int>(0, ResultTable::ColumnCount);
            for (int col = 0; col < cells; ++col)
                table.setCell(r, col, takeText(input, 16));
        }
        classes.append({caption, &table});
        if (!table.hasResults())
            continue;
        expected += QStringLiteral("KLASSE: ") + caption + QStringLiteral("\r\n\r\n");
        for (const QStringList& row : table.rows) {
            const QString line = resultLine(row);
            FUZZ_CHECK(line == expectedLine(row), "a results line is not laid out in its fields");
            qsizetype width = 0;
            for (int col = 0; col < 9; ++col)
                width += qMax<qsizetype>(kResultFieldWidths[col], characters(row.value(col)));
            FUZZ_CHECK(characters(line) == width, "a results line has other field widths than designed");
            expected += line + QStringLiteral("\r\n");
        }
        expected += QStringLiteral("\r\n");
    }
    const QByteArray text = resultsText(classes);
    FUZZ_CHECK(text == expected.toUtf8(), "the results text differs from its layout");

    // The day's backup holds the last text handed over, and a backup an
    // earlier run left under the day's name is kept beside it.
    const QDate date = QDate::fromJulianDay(input.ConsumeIntegralInRange<qint64>(
        QDate(1, 1, 1).toJulianDay(), QDate(9999, 12, 31).toJulianDay()));
    QTemporaryDir folder(scratchFolder() + QStringLiteral("/backup-XXXXXX"));
    FUZZ_CHECK(folder.isValid(), "no scratch folder");
    const QString path = folder.filePath(backupFileName(date));
    const bool earlierRun = input.ConsumeBool();
    if (earlierRun) {
        QFile file(path);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly), "the earlier backup cannot be written");
        file.write("earlier run");
    }
    const QByteArray first = input.ConsumeBool() ? text : QByteArray();
    int reports = 0;
    bool allOk = true;
    {
        BackupWriter writer(folder.path());
        QObject::connect(&writer, &BackupWriter::written, [&](const BackupResult& result) {
            ++reports;
            allOk = allOk && result.ok && result.path == path;
        });
        writer.submit(date, first);
        writer.submit(date, text);
        writer.waitUntilIdle();
        QCoreApplication::processEvents();
    }
    FUZZ_CHECK(reports >= 1 && allOk, "a backup was not written or not reported");
    FUZZ_CHECK(readFile(path) == text, "the backup does not hold the last results");
    if (earlierRun)
        FUZZ_CHECK(readFile(folder.filePath(QFileInfo(path).completeBaseName() + QStringLiteral("_1.txt")))
                       == "earlier run",
                   "an earlier run's backup was lost");
    return 0;
}
