#include "app/program.h"

#include "app/cfgdialog.h"
#include "app/fdlgyesno.h"
#include "app/forminfo.h"
#include "app/formsplash.h"
#include "app/htmlhelp.h"
#include "app/sessionjournal.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int runProgram(FormMainOptions options, std::function<void(TFormMain&)> started)
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
        const std::function<bool(const QString&)> testAsk = options.ask;
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
        // The journal starts with the window on screen, so a restore
        // question has the empty window behind it.
        SessionJournalOptions journalOptions;
        journalOptions.ask = testAsk ? testAsk
                                     : [&formMain](const QString& q) { return TFDlgYesNo::ask(q, &formMain); };
        SessionJournal journal(formMain, journalOptions);
        if (started)
            started(formMain);
        result = QApplication::exec();
        // The window closes only after "Programm beenden?" was answered "Ja";
        // an event loop ended any other way leaves the day to restore.
        if (!formMain.isVisible())
            journal.closeOrderly();
        HtmlHelp::instance().closeAll();
    }
    QCoreApplication::removeTranslator(&qtGerman);
    return result;
}
