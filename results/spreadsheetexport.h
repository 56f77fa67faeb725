#pragma once

#include "platform/spreadsheet.h"
#include "results/resulttable.h"

#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

// What the export takes from the window, copied on the user-interface
// thread so that the export itself can run anywhere.
struct SpreadsheetExportInput {
    QString fileName;             // empty: a new workbook shown to the operator
    QVector<ResultTable> tables;  // the 21 result tables, page order
    QStringList classNames;       // the class box's entries
    QStringList pageCaptions;     // the 21 page captions (class names)
    QString windowCaption;        // becomes the workbook's title
    QString applicationTitle;     // its subject and comments
    QChar decimalSeparator = QLatin1Char(',');
};

// The progress window's gauge, driven from the export.
struct SpreadsheetExportProgress {
    std::function<void(int)> setMaximum;
    std::function<void(int)> setPosition;
};

struct SpreadsheetExportResult {
    bool ok = false;
    QString step;    // the step that failed
    QString reason;  // why, as the application or the system said it
    bool fileKept = false;  // an existing file was left as it was
    // Sheets whose name the application refused (1-based), in order.
    QVector<int> refusedNames;
    // The one message the operator sees for a failure.
    QString message(const QString& fileName) const;
};

// The rows of one table as the workbook gets them: ten columns (the tenth
// empty), texts as texts, and a speed "54,5" (the separator, no ":") as the
// number 54.5.
platform::CellRows exportRows(const ResultTable& table, QChar decimalSeparator);

// Writes the 21 tables into a workbook of the spreadsheet application: a new
// one shown and left open when the file name is empty, otherwise the file's
// own workbook updated in place (each table over the one an earlier export
// left at its "Nr." heading) and saved. The file is saved under a temporary
// name in its folder and renamed over the old one only when the workbook is
// complete, so a failure at any step leaves an existing file as it was.
SpreadsheetExportResult ExportToSpreadsheet(platform::Spreadsheet& app, const SpreadsheetExportInput& input,
                                            const SpreadsheetExportProgress& progress = {});
