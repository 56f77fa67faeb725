#pragma once

#include <QString>
#include <QtGlobal>

#include <memory>

namespace platform {
class Spreadsheet;
struct UnoOptions;
}  // namespace platform

// Parts of the program with heavy libraries of their own (the beep's audio
// stack, the office bridge) are modules beside the program, loaded when
// first needed: start-up does not map libraries a race day may never use.
// Looks beside the program, then where the build put the modules (for test
// and benchmark programs in folders of their own). A loaded module stays
// loaded. nullptr, with what failed in *error, when no module has the
// function.
QFunctionPointer resolveModuleFunction(const char* module, const char* function, QString* error = nullptr);

// The spreadsheet over LibreOffice's bridge, from the pylonix_office module.
// Throws SpreadsheetError when the module cannot be loaded, so an export
// reports it like any office that does not start.
std::unique_ptr<platform::Spreadsheet> createOfficeSpreadsheet(const platform::UnoOptions& options);
