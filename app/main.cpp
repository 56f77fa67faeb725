#include "app/fdlgyesno.h"
#include "app/formmain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pylonix"));

    TFormMain formMain;
    TFDlgYesNo::instance();
    formMain.show();
    return app.exec();
}
