#include "platform/spreadsheet.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString cellText(const CellValue& value)
{
    if (const auto* text = std::get_if<QString>(&value))
        return *text;
    if (const auto* number = std::get_if<double>(&value))
        return QString::number(*number, 'g', 15);
    return {};
}

WorkbookFormat workbookFormatFor(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx"))
        return WorkbookFormat::Xlsx;
    if (suffix == QLatin1String("xls"))
        return WorkbookFormat::Xls;
    if (suffix == QLatin1String("ods"))
        return WorkbookFormat::Ods;
    return WorkbookFormat::None;
}

SpreadsheetError::SpreadsheetError(QString reason)
    : m_reason(std::move(reason))
    , m_what(m_reason.toUtf8())
{
}

bool IsSpreadsheetAvailable(const OfficeInstallation& office, bool visible)
{
    const QDir dir(office.programDir);
    // soffice.bin is the office itself, libsclo its spreadsheet component.
    const auto executable = [&](const char* name) { return QFileInfo(dir.filePath(QLatin1String(name))).isExecutable(); };
    if (!executable("soffice") || !executable("soffice.bin"))
        return false;
    if (!QFileInfo::exists(dir.filePath(QStringLiteral("libsclo.so"))))
        return false;
    if (!visible)
        return true;
    // The headless plug-in is built in; a window needs X11, GTK, KDE or Qt.
    return !dir.entryList({QStringLiteral("libvclplug_*.so")}, QDir::Files).isEmpty();
}

}  // namespace platform
