#include "app/program.h"

#include "app/cfgdialog.h"
#include "app/fdlgyesno.h"
#include "app/forminfo.h"
#include "app/formsplash.h"
#include "app/htmlhelp.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int runProgram(FormMainOptions options)
{
    // Help support first: its warning comes before any window exists.
    HtmlHelp::instance().loadHelpSupport();

    // Qt's own texts (file dialogs, standard buttons) speak the program's
    // language: German, unless a language file replaces it below.
    QTranslator qtGerman;
    const bool german = qtGerman.load(QStringLiteral("qtbase_de"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
                        && QCoreApplication::installTranslator(&qtGerman);

    int result = 0;
    {
        TFormMain formMain(std::move(options));
        TFormSplash formSplash;
        formMain.setSplash(&formSplash);
        // The lists of the settings dialog rest on the port probe the main
        // window made; they are built once for the whole run.
        TCfgDialog cfgDialog(formMain.programDir(), formMain.comPorts(), formMain.settings().charSet, &formMain);
        formMain.setSettingsDialog(&cfgDialog);
        TFormInfo formInfo(&formMain);
        TFDlgYesNo* question = TFDlgYesNo::instance();
        Q_UNUSED(question);
        formMain.setInfoWindow(&formInfo);
        // The language texts reach every window, so they come last.
        formMain.applyLanguage(&cfgDialog, &formInfo);
        if (german && formMain.languageFileApplied())
            QCoreApplication::removeTranslator(&qtGerman);
        formMain.show();
        result = QApplication::exec();
        HtmlHelp::instance().closeAll();
    }
    QCoreApplication::removeTranslator(&qtGerman);
    return result;
}
