#include "results/spreadsheetexport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

using platform::CellRange;
using platform::CellRows;
using platform::CellValue;
using platform::SpreadsheetError;
using platform::WorkbookFormat;
using platform::workbookFormatFor;

namespace {

constexpr int kSheets = 21;
constexpr int kColumns = ResultTable::ColumnCount;  // the tenth stays empty

// A failed step: its name travels with the reason.
struct StepFailed {
    QString step;
    QString reason;
};

template <typename F>
auto step(const QString& name, F&& work) -> decltype(work())
{
    try {
        return work();
    } catch (const SpreadsheetError& e) {
        throw StepFailed{name, e.reason()};
    }
}

// A hidden name beside the target with its extension, so the office sees the
// same kind of file and the rename never crosses a file system.
QString temporaryNameBeside(const QString& fileName)
{
    const QFileInfo target(fileName);
    const QString random = QString::number(QRandomGenerator::global()->generate(), 16);
    return target.dir().filePath(QStringLiteral(".~pylonix-%1-%2").arg(random, target.fileName()));
}

// Whether an office keeps its lock file beside the document, as it does while
// the document is open there; `holder` gets who has it open, where known.
bool lockedByAnOffice(const QString& fileName, QString* lockName, QString* holder)
{
    const QFileInfo target(fileName);
    const QString lock = target.dir().filePath(QStringLiteral(".~lock.%1#").arg(target.fileName()));
    if (!QFileInfo::exists(lock))
        return false;
    *lockName = lock;
    // "author,user,host,date,profile;" — the author is often empty.
    QFile file(lock);
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList fields = QString::fromUtf8(file.read(4096)).split(QLatin1Char(','));
        const QString who = fields.value(0).trimmed().isEmpty() ? fields.value(1).trimmed() : fields.value(0).trimmed();
        const QString host = fields.value(2).trimmed();
        if (!who.isEmpty())
            *holder = host.isEmpty() ? who : QStringLiteral("%1 auf %2").arg(who, host);
    }
    return true;
}

}  // namespace

QString SpreadsheetExportResult::message(const QString& fileName) const
{
    QString text = QStringLiteral("Export in die Tabellenkalkulation fehlgeschlagen.\nSchritt: %1\nGrund: %2").arg(step, reason);
    if (fileKept)
        text += QStringLiteral("\nDie Datei \"%1\" ist unverändert.").arg(QDir::toNativeSeparators(fileName));
    return text;
}

CellRows exportRows(const ResultTable& table, QChar decimalSeparator)
{
    CellRows rows;
    rows.reserve(table.rowCount());
    for (int i = 0; i < table.rowCount(); ++i) {
        QVector<CellValue> row(kColumns);
        for (int j = 0; j < ResultTable::ColOrder; ++j) {
            const QString text = table.cell(i, j);
            if (text.isEmpty())
                continue;
            row[j] = text;
            if (i == 0 || j != ResultTable::ColSpeed || text.trimmed().isEmpty() || !text.contains(decimalSeparator)
                || text.contains(QLatin1Char(':')))
                continue;
            // The speed goes in as the number it reads as; a text that does
            // not read as one stays text, with its separator turned.
            QString turned = text;
            turned[turned.indexOf(decimalSeparator)] = QLatin1Char('.');
            bool isNumber = false;
            const double speed = turned.trimmed().toDouble(&isNumber);
            row[j] = isNumber ? CellValue(speed) : CellValue(turned);
        }
        rows.append(row);
    }
    return rows;
}

SpreadsheetExportResult ExportToSpreadsheet(platform::Spreadsheet& app, const SpreadsheetExportInput& input,
                                            const SpreadsheetExportProgress& progress)
{
    const auto setMaximum = [&](int n) {
        if (progress.setMaximum)
            progress.setMaximum(n);
    };
    const auto setPosition = [&](int n) {
        if (progress.setPosition)
            progress.setPosition(n);
    };
    const QString& F = input.fileName;
    const bool toFile = !F.isEmpty();
    const bool existed = toFile && QFileInfo::exists(F);
    SpreadsheetExportResult result;
    result.fileKept = existed;

    // What can be known without the office is checked before it starts.
    if (toFile) {
        const QString step = QStringLiteral("Speichern unter %1").arg(QDir::toNativeSeparators(F));
        if (workbookFormatFor(F) == WorkbookFormat::None) {
            result.step = step;
            result.reason = QStringLiteral("eine Arbeitsmappe endet auf .xlsx, .xls oder .ods");
            return result;
        }
        const QFileInfo folder(QFileInfo(F).absolutePath());
        if (!folder.isDir() || !folder.isWritable()) {
            result.step = step;
            result.reason = QStringLiteral("der Ordner %1 ist nicht beschreibbar").arg(QDir::toNativeSeparators(folder.filePath()));
            return result;
        }
        // Another office that has the workbook open would keep its own
        // copy and overwrite ours, and ours cannot load or save it anyway.
        QString lockName;
        QString holder;
        if (lockedByAnOffice(F, &lockName, &holder)) {
            result.step = step;
            result.reason = QStringLiteral("die Datei ist gesperrt, sie ist in einer anderen Tabellenkalkulation geöffnet%1 "
                                           "(Sperrdatei %2). Dort schließen und erneut speichern; ist sie nirgends mehr "
                                           "offen, die Sperrdatei löschen.")
                                .arg(holder.isEmpty() ? QString() : QStringLiteral(" (in Benutzung von %1)").arg(holder),
                                     QDir::toNativeSeparators(lockName));
            return result;
        }
    }

    setPosition(0);
    QString temporary;
    try {
        step(QStringLiteral("LibreOffice starten"), [&] { app.start(); });
        step(QStringLiteral("Meldungen abschalten"), [&] { app.setAlertsEnabled(false); });
        if (existed)
            step(QStringLiteral("Öffnen von %1").arg(QDir::toNativeSeparators(F)), [&] { app.openWorkbook(F); });
        else
            step(QStringLiteral("Neue Arbeitsmappe"), [&] { app.addWorkbook(); });

        step(QStringLiteral("Tabellenblätter anlegen"), [&] {
            for (int count = app.worksheetCount(); count < kSheets; ++count)
                app.addWorksheet();
        });
        setMaximum(int(input.classNames.size()));

        for (int k = 1; k <= kSheets; ++k) {
            setPosition(k);
            const ResultTable table = k - 1 < input.tables.size() ? input.tables[k - 1] : ResultTable::withHeading();
            step(QStringLiteral("Klasse %1 schreiben").arg(k), [&] {
                // The table goes where an earlier export put its heading, so
                // rows the operator added above it stay.
                int offset = 0;
                const int used = app.usedRows(k);
                if (used > 1) {
                    const CellRows firstColumns = app.values(k, CellRange{1, 1, used, 2});
                    for (int r = 0; r < firstColumns.size(); ++r) {
                        if (firstColumns[r].size() > 1 && platform::cellText(firstColumns[r][1]) == QLatin1String("Nr.")) {
                            offset = r;
                            break;
                        }
                    }
                }
                const CellRows rows = exportRows(table, input.decimalSeparator);
                const CellRange range{offset + 1, 1, offset + int(rows.size()), kColumns};
                app.setValues(k, range, rows);
                // Bold first: the width is measured in the font shown.
                if (offset == 0)
                    app.setBold(k, CellRange{1, 1, 1, kColumns});
                app.autofitColumns(k, range);
            });
        }

        step(QStringLiteral("Dokumenteigenschaften"), [&] {
            app.setDocumentInfo(input.windowCaption, input.applicationTitle, input.applicationTitle);
        });

        step(QStringLiteral("Tabellenblätter benennen"), [&] {
            const int named = std::min<int>(int(input.classNames.size()), kSheets);
            for (int k = 1; k <= named; ++k) {
                const QString name = k - 1 < input.pageCaptions.size() ? input.pageCaptions[k - 1] : QString();
                app.setWorksheetName(k, name);
                // The application refuses some names without a word.
                if (app.worksheetName(k) != name)
                    result.refusedNames.append(k);
            }
        });

        if (toFile) {
            const QString saveStep = QStringLiteral("Speichern unter %1").arg(QDir::toNativeSeparators(F));
            temporary = temporaryNameBeside(F);
            step(saveStep, [&] { app.saveAs(temporary, workbookFormatFor(F)); });
            if (!QFileInfo(temporary).isFile())
                throw StepFailed{saveStep, QStringLiteral("LibreOffice hat keine Datei geschrieben")};
            // rename() replaces the old file in one step: a reader sees the
            // old workbook or the new one, never a part.
            if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(F).constData()) != 0)
                throw StepFailed{saveStep, QString::fromLocal8Bit(std::strerror(errno))};
            temporary.clear();
        }
        setPosition(std::max(int(input.classNames.size()), 0));
        result.ok = true;
    } catch (const StepFailed& failed) {
        result.step = failed.step;
        result.reason = failed.reason;
    }
    if (!temporary.isEmpty())
        QFile::remove(temporary);

    // The closing step runs whatever happened: a new workbook is handed to
    // the operator, a file's application is quit.
    // A file already saved stays saved when quitting fails; a workbook
    // the operator cannot see is a failure.
    try {
        if (toFile)
            app.quit();
        else
            app.setVisible(true);
    } catch (const SpreadsheetError& e) {
        if (result.ok && !toFile) {
            result.ok = false;
            result.step = QStringLiteral("Arbeitsmappe zeigen");
            result.reason = e.reason();
        }
    }
    if (result.ok)
        result.fileKept = false;
    return result;
}
