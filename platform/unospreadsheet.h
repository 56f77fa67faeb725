#pragma once

#include "platform/spreadsheet.h"

#include <QString>

#include <memory>

namespace platform {

// How our own office is started and watched.
struct UnoOptions {
    OfficeInstallation office;
    // A window-system office that can show the workbook; otherwise headless.
    bool visible = false;
    // From launching the office until it accepts our connection.
    int startTimeoutMs = 30000;
    // Any one call after that; an office that takes longer is taken for hung
    // and killed, so the blocked call comes back with an error.
    int callTimeoutMs = 30000;
    // The office's user profile. Empty: a fresh private one for this office
    // alone, removed once it has quit. An office started on a profile in use
    // would hand its work to the running one, whoever started it.
    QString profileDir;
};

// The spreadsheet calls over LibreOffice's UNO bridge, to an office this
// object launches itself (a private profile and a pipe of its own) and
// never to one it did not start. Every call blocks: use it from a worker
// thread, one thread per object. A watchdog kills our office when a call
// outlasts its time-out. Destroyed without quit() the office is killed,
// unless it was made visible: then it belongs to the operator and stays.
class UnoSpreadsheet : public Spreadsheet {
public:
    explicit UnoSpreadsheet(UnoOptions options = {});
    ~UnoSpreadsheet() override;

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

    // The office process (soffice.bin) of this object, 0 when none runs.
    // Safe from any thread.
    qint64 officePid() const;
    // Kills our office at once, as the watchdog does. Safe from any thread.
    void killOffice();
    // Milliseconds from launch until the connection stood (0 before).
    qint64 startMs() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

}  // namespace platform
