#include "app/artwork.h"
#include "app/program.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    QApplication::setWindowIcon(pylonixIcon());
    // The program speaks German; without regional settings of the user's own
    // (the "C" locale) dates, times and the decimal comma follow German usage.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    return runProgram();
}
