#include "app/programname.h"

#include <QApplication>
#include <QFileInfo>

QString programTitle()
{
    return QApplication::applicationName().isEmpty() ? QStringLiteral("Pylonix") : QApplication::applicationName();
}

QString programBaseName(const QString& executablePath)
{
    return QFileInfo(executablePath).fileName();
}
