#pragma once

// The start-up benchmark's reference window: one label in a main window of
// the program's size, ended at its first paint.

#include "firstpaint.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>

inline int runMinimalWindow(int argc, char** argv)
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
