#pragma once

#include "platform/spreadsheet.h"

#include <QMap>
#include <QPair>
#include <QSet>
#include <QStringList>

#include <memory>
#include <mutex>

namespace platform {

// A workbook as the fake keeps it: cells by (row, column), 1-based.
struct FakeWorkbook {
    struct Sheet {
        QString name;
        QMap<QPair<int, int>, CellValue> cells;
        QSet<QPair<int, int>> bold;
        QVector<CellRange> autofitted;
        CellValue cell(int row, int col) const { return cells.value({row, col}); }
    };
    QVector<Sheet> sheets;
    QString title;
    QString subject;
    QString comments;
};

// What every fake application made for one test shares: the "disk" of saved
// workbooks, the calls made, and the faults to inject.
struct FakeOffice {
    mutable std::mutex lock;
    // Saved workbooks by the id written into their file, so that a file
    // renamed after saving still opens as the workbook it holds.
    QMap<QString, FakeWorkbook> files;
    QStringList calls;                  // "start", "setValues 3 1:1-2:10", ...
    FakeWorkbook workbook;              // the last workbook worked on
    bool visible = false;
    bool quit = false;
    // The n-th call (1-based, counted over all calls) whose name is
    // `failCall` throws SpreadsheetError(failReason).
    QString failCall;
    int failOccurrence = 1;
    QString failReason = QStringLiteral("eingespeiste Störung");

    // Puts a workbook on disk under `path`, as an earlier save would.
    bool putFile(const QString& path, const FakeWorkbook& book);
    // The workbook the file at `path` holds, or nullptr.
    const FakeWorkbook* fileAt(const QString& path) const;

    QStringList callLog() const
    {
        std::lock_guard guard(lock);
        return calls;
    }
};

// The spreadsheet application in memory, for the export's tests: it records
// every call and refuses sheet names the way the office does (a duplicate,
// an empty name, / \ ? * [ ] : or a quote at either end), silently.
class FakeSpreadsheet : public Spreadsheet {
public:
    explicit FakeSpreadsheet(std::shared_ptr<FakeOffice> office);

    void start() override;
    void setAlertsEnabled(bool on) override;
    void setVisible(bool on) override;
    void quit() override;
    void openWorkbook(const QString& path) override;
    void addWorkbook() override;
    int worksheetCount() override;
    void addWorksheet() override;
    int usedRows(int sheet) override;
    CellRows values(int sheet, const CellRange& range) override;
    void setValues(int sheet, const CellRange& range, const CellRows& values) override;
    void autofitColumns(int sheet, const CellRange& range) override;
    void setBold(int sheet, const CellRange& range) override;
    QString worksheetName(int sheet) override;
    void setWorksheetName(int sheet, const QString& name) override;
    void setDocumentInfo(const QString& title, const QString& subject, const QString& comments) override;
    void saveAs(const QString& path, WorkbookFormat format) override;

    static bool nameAllowed(const FakeWorkbook& book, int sheet, const QString& name);

private:
    void record(const QString& call, const QString& detail = {});
    FakeWorkbook::Sheet& sheetAt(int sheet);

    std::shared_ptr<FakeOffice> m_office;
    bool m_hasWorkbook = false;
};

}  // namespace platform
