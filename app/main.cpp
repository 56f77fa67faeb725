#include "app/artwork.h"
#include "app/fdlgyesno.h"
#include "app/forminfo.h"
#include "app/formmain.h"
#include "app/formsplash.h"
#include "app/htmlhelp.h"
#include "platform/atomicwrite.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv)
{
    // A full disk or a file size limit must give a reported failed write,
    // never the end of the program in the middle of a race.
    ignoreFileSizeSignal();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    QApplication::setWindowIcon(pylonixIcon());
    // The program speaks German; without regional settings of the user's own
    // (the "C" locale) dates, times and the decimal comma follow German usage.
    if (QLocale::system().language() == QLocale::C)
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));

    // Help support first: its warning comes before any window exists.
    HtmlHelp::instance().loadHelpSupport();

    int result = 0;
    {
        TFormMain formMain;
        TFormSplash formSplash;
        TFormInfo formInfo(&formMain);
        TFDlgYesNo* question = TFDlgYesNo::instance();
        Q_UNUSED(question);
        formMain.setInfoWindow(&formInfo);
        // The language texts reach every window, so they come last.
        formMain.applyLanguage(nullptr, &formInfo);
        formMain.show();
        result = app.exec();
        HtmlHelp::instance().closeAll();
    }
    return result;
}
