#include "app/modules.h"

#include "platform/unospreadsheet.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QStringList>

QFunctionPointer resolveModuleFunction(const char* module, const char* function, QString* error)
{
    QStringList folders{QCoreApplication::applicationDirPath()};
#ifdef PYLONIX_MODULE_DIR
    folders << QStringLiteral(PYLONIX_MODULE_DIR);
#endif
    folders.removeDuplicates();
    QStringList failures;
    for (const QString& folder : folders) {
        QLibrary library(QDir(folder).filePath(QLatin1String(module)));
        if (!library.load()) {
            failures << library.errorString();
            continue;
        }
        if (QFunctionPointer found = library.resolve(function))
            return found;
        failures << library.errorString();
    }
    if (error)
        *error = failures.join(QStringLiteral("; "));
    return nullptr;
}

std::unique_ptr<platform::Spreadsheet> createOfficeSpreadsheet(const platform::UnoOptions& options)
{
    using Factory = platform::Spreadsheet* (*)(const platform::UnoOptions*);
    QString error;
    auto factory = reinterpret_cast<Factory>(resolveModuleFunction("pylonix_office", "pylonixCreateUnoSpreadsheet", &error));
    if (!factory)
        throw platform::SpreadsheetError(QStringLiteral("die LibreOffice-Anbindung lässt sich nicht laden: %1").arg(error));
    return std::unique_ptr<platform::Spreadsheet>(factory(&options));
}
