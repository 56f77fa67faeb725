#include "platform/fakespreadsheet.h"

#include <QFile>
#include <QFileInfo>

namespace platform {

namespace {

QString rangeText(const CellRange& r)
{
    return QStringLiteral("%1:%2-%3:%4").arg(r.top).arg(r.left).arg(r.bottom).arg(r.right);
}

}  // namespace

FakeSpreadsheet::FakeSpreadsheet(std::shared_ptr<FakeOffice> office)
    : m_office(std::move(office))
{
}

void FakeSpreadsheet::record(const QString& call, const QString& detail)
{
    std::lock_guard guard(m_office->lock);
    m_office->calls << (detail.isEmpty() ? call : call + QLatin1Char(' ') + detail);
    if (call != m_office->failCall)
        return;
    const int seen = int(std::count_if(m_office->calls.cbegin(), m_office->calls.cend(), [&](const QString& c) {
        return c == call || c.startsWith(call + QLatin1Char(' '));
    }));
    if (seen == m_office->failOccurrence)
        throw SpreadsheetError(m_office->failReason);
}

FakeWorkbook::Sheet& FakeSpreadsheet::sheetAt(int sheet)
{
    if (!m_hasWorkbook)
        throw SpreadsheetError(QStringLiteral("keine Arbeitsmappe"));
    if (sheet < 1 || sheet > m_office->workbook.sheets.size())
        throw SpreadsheetError(QStringLiteral("kein Blatt %1").arg(sheet));
    return m_office->workbook.sheets[sheet - 1];
}

void FakeSpreadsheet::start() { record(QStringLiteral("start")); }

void FakeSpreadsheet::setAlertsEnabled(bool on)
{
    record(QStringLiteral("setAlertsEnabled"), on ? QStringLiteral("true") : QStringLiteral("false"));
}

void FakeSpreadsheet::setVisible(bool on)
{
    record(QStringLiteral("setVisible"), on ? QStringLiteral("true") : QStringLiteral("false"));
    m_office->visible = on;
}

void FakeSpreadsheet::quit()
{
    record(QStringLiteral("quit"));
    m_office->quit = true;
}

void FakeSpreadsheet::openWorkbook(const QString& path)
{
    record(QStringLiteral("openWorkbook"), path);
    const FakeWorkbook* found = m_office->fileAt(path);
    if (!found)
        throw SpreadsheetError(QStringLiteral("keine Arbeitsmappe"));
    m_office->workbook = *found;
    m_hasWorkbook = true;
}

void FakeSpreadsheet::addWorkbook()
{
    record(QStringLiteral("addWorkbook"));
    m_office->workbook = FakeWorkbook{};
    m_office->workbook.sheets.append(FakeWorkbook::Sheet{QStringLiteral("Tabelle1"), {}, {}, {}});
    m_hasWorkbook = true;
}

int FakeSpreadsheet::worksheetCount()
{
    record(QStringLiteral("worksheetCount"));
    return int(m_office->workbook.sheets.size());
}

void FakeSpreadsheet::addWorksheet()
{
    record(QStringLiteral("addWorksheet"));
    auto& sheets = m_office->workbook.sheets;
    int n = int(sheets.size()) + 1;
    while (!nameAllowed(m_office->workbook, 0, QStringLiteral("Tabelle%1").arg(n)))
        ++n;
    sheets.append(FakeWorkbook::Sheet{QStringLiteral("Tabelle%1").arg(n), {}, {}, {}});
}

int FakeSpreadsheet::usedRows(int sheet)
{
    record(QStringLiteral("usedRows"), QString::number(sheet));
    int last = 1;
    for (auto it = sheetAt(sheet).cells.cbegin(); it != sheetAt(sheet).cells.cend(); ++it) {
        if (!std::holds_alternative<std::monostate>(it.value()))
            last = std::max(last, it.key().first);
    }
    return last;
}

CellRows FakeSpreadsheet::values(int sheet, const CellRange& range)
{
    record(QStringLiteral("values"), QStringLiteral("%1 %2").arg(sheet).arg(rangeText(range)));
    const auto& s = sheetAt(sheet);
    CellRows rows;
    for (int r = range.top; r <= range.bottom; ++r) {
        QVector<CellValue> row;
        for (int c = range.left; c <= range.right; ++c)
            row.append(s.cell(r, c));
        rows.append(row);
    }
    return rows;
}

void FakeSpreadsheet::setValues(int sheet, const CellRange& range, const CellRows& values)
{
    record(QStringLiteral("setValues"), QStringLiteral("%1 %2").arg(sheet).arg(rangeText(range)));
    auto& s = sheetAt(sheet);
    if (values.size() != range.rows())
        throw SpreadsheetError(QStringLiteral("falsche Zeilenzahl"));
    for (int r = 0; r < range.rows(); ++r) {
        if (values[r].size() != range.columns())
            throw SpreadsheetError(QStringLiteral("falsche Spaltenzahl"));
        for (int c = 0; c < range.columns(); ++c) {
            if (std::holds_alternative<std::monostate>(values[r][c]))
                s.cells.remove({range.top + r, range.left + c});
            else
                s.cells[{range.top + r, range.left + c}] = values[r][c];
        }
    }
}

void FakeSpreadsheet::autofitColumns(int sheet, const CellRange& range)
{
    record(QStringLiteral("autofitColumns"), QStringLiteral("%1 %2").arg(sheet).arg(rangeText(range)));
    sheetAt(sheet).autofitted.append(range);
}

void FakeSpreadsheet::setBold(int sheet, const CellRange& range)
{
    record(QStringLiteral("setBold"), QStringLiteral("%1 %2").arg(sheet).arg(rangeText(range)));
    auto& s = sheetAt(sheet);
    for (int r = range.top; r <= range.bottom; ++r) {
        for (int c = range.left; c <= range.right; ++c)
            s.bold.insert({r, c});
    }
}

QString FakeSpreadsheet::worksheetName(int sheet)
{
    record(QStringLiteral("worksheetName"), QString::number(sheet));
    return sheetAt(sheet).name;
}

bool FakeSpreadsheet::nameAllowed(const FakeWorkbook& book, int sheet, const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\'')))
        return false;
    for (const QChar c : QStringLiteral("/\\?*[]:")) {
        if (name.contains(c))
            return false;
    }
    for (int i = 0; i < book.sheets.size(); ++i) {
        if (i + 1 != sheet && book.sheets[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return false;
    }
    return true;
}

void FakeSpreadsheet::setWorksheetName(int sheet, const QString& name)
{
    record(QStringLiteral("setWorksheetName"), QStringLiteral("%1 %2").arg(sheet).arg(name));
    auto& s = sheetAt(sheet);
    if (nameAllowed(m_office->workbook, sheet, name))
        s.name = name;
}

void FakeSpreadsheet::setDocumentInfo(const QString& title, const QString& subject, const QString& comments)
{
    record(QStringLiteral("setDocumentInfo"));
    m_office->workbook.title = title;
    m_office->workbook.subject = subject;
    m_office->workbook.comments = comments;
}

void FakeSpreadsheet::saveAs(const QString& path, WorkbookFormat format)
{
    record(QStringLiteral("saveAs"), QStringLiteral("%1 %2").arg(path).arg(int(format)));
    if (!m_hasWorkbook)
        throw SpreadsheetError(QStringLiteral("keine Arbeitsmappe"));
    if (!m_office->putFile(path, m_office->workbook))
        throw SpreadsheetError(QStringLiteral("Datei nicht schreibbar"));
}

bool FakeOffice::putFile(const QString& path, const FakeWorkbook& book)
{
    const QString id = QStringLiteral("fake workbook %1").arg(files.size() + 1);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(id.toUtf8()) < 0)
        return false;
    files[id] = book;
    return true;
}

const FakeWorkbook* FakeOffice::fileAt(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return nullptr;
    const auto found = files.constFind(QString::fromUtf8(file.readAll()));
    return found == files.cend() ? nullptr : &*found;
}

}  // namespace platform
