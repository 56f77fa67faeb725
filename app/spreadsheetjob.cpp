#include "app/spreadsheetjob.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFileInfo>
#include <QMetaObject>
#include <QPointer>

SpreadsheetJob::SpreadsheetJob(QObject* parent)
    : QObject(parent)
{
    qRegisterMetaType<SpreadsheetExportResult>();
}

SpreadsheetJob::~SpreadsheetJob()
{
    join();
}

void SpreadsheetJob::join()
{
    if (m_worker.joinable())
        m_worker.join();
}

bool SpreadsheetJob::start(SpreadsheetExportInput input, Factory factory)
{
    if (m_running)
        return false;
    join();
    m_running = true;
    m_worker = std::thread([this, input = std::move(input), factory = std::move(factory)] {
        SpreadsheetExportResult result;
        {
            SpreadsheetExportProgress progress;
            progress.setMaximum = [this](int n) {
                QMetaObject::invokeMethod(this, [this, n] { emit maximumChanged(n); }, Qt::QueuedConnection);
            };
            progress.setPosition = [this](int n) {
                QMetaObject::invokeMethod(this, [this, n] { emit positionChanged(n); }, Qt::QueuedConnection);
            };
            try {
                std::unique_ptr<platform::Spreadsheet> app = factory(input.fileName.isEmpty());
                result = ExportToSpreadsheet(*app, input, progress);
            } catch (const std::exception& e) {
                result.step = QStringLiteral("LibreOffice starten");
                result.reason = QString::fromUtf8(e.what());
                result.fileKept = !input.fileName.isEmpty() && QFileInfo::exists(input.fileName);
            }
        }
        QMetaObject::invokeMethod(
            this,
            [this, result] {
                m_running = false;
                emit finished(result);
            },
            Qt::QueuedConnection);
    });
    return true;
}

void SpreadsheetJob::wait()
{
    join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
