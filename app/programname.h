#pragma once

#include <QString>

// The title the program's own windows and dialogs carry: the application's
// name.
QString programTitle();

// The settings key and the help file's name come from the executable's file
// name. Executables here carry no extension, so a dot belongs to the name:
// copies named "Pylonix.bahn1" and "Pylonix.bahn2" keep separate settings.
QString programBaseName(const QString& executablePath);
