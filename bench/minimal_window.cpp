// The start-up benchmark's reference: one label in a main window of the
// program's size, linked against Qt Widgets alone and built with the same
// compiler and flags. Prints the monotonic time of its first paint and ends.
#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setCentralWidget(new QLabel(QStringLiteral("Pylonix")));
    window.resize(1206, 543);
    FirstPaint watcher;
    window.installEventFilter(&watcher);
    window.show();
    return app.exec();
}
