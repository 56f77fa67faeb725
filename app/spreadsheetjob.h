#pragma once

#include "platform/spreadsheet.h"
#include "results/spreadsheetexport.h"

#include <QObject>

#include <functional>
#include <memory>
#include <thread>

// One spreadsheet export on a worker thread: the application is made, driven
// and closed there, so no call of it ever blocks the user-interface thread.
// Progress and the result come back as queued signals.
class SpreadsheetJob : public QObject {
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<platform::Spreadsheet>(bool visible)>;

    explicit SpreadsheetJob(QObject* parent = nullptr);
    ~SpreadsheetJob() override;

    bool running() const { return m_running; }
    // Starts the export; false when one is still running.
    bool start(SpreadsheetExportInput input, Factory factory);
    // Blocks until the worker is done and its signals are delivered.
    void wait();

signals:
    void maximumChanged(int maximum);
    void positionChanged(int position);
    void finished(const SpreadsheetExportResult& result);

private:
    void join();

    std::thread m_worker;
    bool m_running = false;
};
