#include "app/artwork.h"
#include "app/fdlgyesno.h"
#include "app/forminfo.h"
#include "app/formmain.h"
#include "app/formsplash.h"
#include "app/htmlhelp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));
    QApplication::setWindowIcon(pylonixIcon());

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
