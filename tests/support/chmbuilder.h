#pragma once

#include <QString>

#include <vector>

// Builds small compiled help files for tests with the chmcmd compiler.
struct ChmTestPage {
    QString fileName;  // "a.html"
    QString tocName;   // entry in the table of contents
    QString body;      // HTML inside <body>
    int level = 0;     // nesting in the table of contents
};

// The chmcmd program, or empty when it is not installed.
QString chmcmdProgram();

// Writes the pages, a table of contents and a project into `dir` and
// compiles them to dir/<baseName>.chm. Returns the file's path, or empty
// with the compiler's output in *log.
QString buildTestChm(const QString& dir, const QString& baseName,
                     const std::vector<ChmTestPage>& pages, QString* log = nullptr);
