#pragma once

#include <QString>
#include <QVector>

#include <exception>
#include <variant>

namespace platform {

// One cell as the export writes and reads it. Text is always stored as
// text, never parsed: a class or driver name typed by the operator must not
// turn into a formula, a date or a number inside the workbook.
using CellValue = std::variant<std::monostate, QString, double>;
using CellRows = QVector<QVector<CellValue>>;

// The text a cell shows for a comparison ("Nr."): numbers in the C locale.
QString cellText(const CellValue& value);

// A block of cells, 1-based and inclusive, as the workbook counts them.
struct CellRange {
    int top = 1;
    int left = 1;
    int bottom = 1;
    int right = 1;
    int rows() const { return bottom - top + 1; }
    int columns() const { return right - left + 1; }
    bool operator==(const CellRange&) const = default;
};

// The file format follows the file name's extension; anything else is not a
// workbook we write.
enum class WorkbookFormat { None, Xlsx, Xls, Ods };
WorkbookFormat workbookFormatFor(const QString& path);

// A call the spreadsheet application refused or could not answer. The reason
// is meant for the operator, in German like the rest of the program.
class SpreadsheetError : public std::exception {
public:
    explicit SpreadsheetError(QString reason);
    const QString& reason() const { return m_reason; }
    const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_reason;
    QByteArray m_what;
};

// The calls the spreadsheet export makes, on one workbook at a time.
// Worksheets are numbered from 1. Every call may throw SpreadsheetError.
// Calls may block for as long as the application takes: the caller keeps
// them off the user-interface thread.
class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;

    // The application: started and reachable, then shown and left to the
    // operator, or quit.
    virtual void start() = 0;
    virtual void setAlertsEnabled(bool on) = 0;  // questions and document events
    virtual void setVisible(bool on) = 0;
    virtual void quit() = 0;

    // Workbooks: the one named (an existing file) or a new one.
    virtual void openWorkbook(const QString& path) = 0;
    virtual void addWorkbook() = 0;

    // Worksheets of the workbook; a new one goes after the last.
    virtual int worksheetCount() = 0;
    virtual void addWorksheet() = 0;

    // The last row that holds anything; an empty sheet reports 1.
    virtual int usedRows(int sheet) = 0;
    virtual CellRows values(int sheet, const CellRange& range) = 0;
    // `values` has range.rows() rows of range.columns() cells.
    virtual void setValues(int sheet, const CellRange& range, const CellRows& values) = 0;
    virtual void autofitColumns(int sheet, const CellRange& range) = 0;
    virtual void setBold(int sheet, const CellRange& range) = 0;

    // A name the application refuses (a duplicate, a character it does not
    // allow) leaves the old one without an error: read it back to know.
    virtual QString worksheetName(int sheet) = 0;
    virtual void setWorksheetName(int sheet, const QString& name) = 0;

    virtual void setDocumentInfo(const QString& title, const QString& subject, const QString& comments) = 0;
    virtual void saveAs(const QString& path, WorkbookFormat format) = 0;
};

// Where the office is installed, and what "installed" needs. Checked on the
// file system only: nothing is started.
struct OfficeInstallation {
    QString programDir = QStringLiteral("/usr/lib/libreoffice/program");
};

// The office and its spreadsheet component are installed; with `visible`
// also a window-system plug-in, without which the office cannot show a
// workbook.
bool IsSpreadsheetAvailable(const OfficeInstallation& office = {}, bool visible = false);

}  // namespace platform
