#pragma once

// A main window for tests of the result tables and classes: fake counter,
// fixed wall clock, program and backup folders in a temporary folder, and
// recorded questions, messages and file choices.

#include "app/frame1.h"
#include "controls/sortgrid.h"
#include "support/userinput.h"
#include "support/windowtest.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

class ResultsWindowTest : public WindowTest {
protected:
    void SetUp() override
    {
        // Speeds are shown in the regional format; German is the reference.
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("prog")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("backup")));
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    QString programDir() const override { return dir.filePath(QStringLiteral("prog")); }
    QString backupDir() const { return dir.filePath(QStringLiteral("backup")); }

    void writeProgramFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(QDir(programDir()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void make()
    {
        FormMainOptions options = windowOptions();
        options.settingsBaseName = QStringLiteral("PylonixResultsTest");
        options.configRoot = dir.filePath(QStringLiteral("config"));
        options.results.backupDir = backupDirOption.isNull() ? backupDir() : backupDirOption;
        options.results.now = [this] { return now; };
        options.results.message = [this](const QString& text) { messages << text; };
        if (!realFileDialogs) {
            options.results.chooseSaveFile = [this](const QString& proposed, const QStringList& filters, int shown) {
                proposedNames << proposed;
                offeredFilters = filters;
                shownFilter = shown;
                return SaveChoice(chosenFile, chosenFilter);
            };
            options.results.chooseOpenFile = [this](const QString&) { return chosenFile; };
        }
        window = std::make_unique<TFormMain>(options);
        ASSERT_TRUE(showActive(window.get()));
    }

    QLineEdit* edit(int k) { return child<QLineEdit>(QStringLiteral("Edit%1").arg(k).toLatin1().constData()); }
    QLineEdit* eLEN() { return child<QLineEdit>("eLEN"); }
    QComboBox* classBox() { return child<QComboBox>("cmb_Klasse"); }
    QTabWidget* pages() { return child<QTabWidget>("PageControl1"); }
    TSortGrid* grid(int page = -1) { return window->resultGrid(page < 0 ? window->activePage() : page); }
    QString cell(int col, int row, int page = -1) { return grid(page)->Cells(col, row); }
    void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) { userKey(k, modifiers); }
    // Clicks into the field, selects its text and types over it.
    void typeInto(QLineEdit* field, const QString& text)
    {
        userClick(field);
        userKey(Qt::Key_A, Qt::ControlModifier);
        userKey(Qt::Key_Delete);
        userType(text);
    }

    // Runs a race: START, then one ZEIT at each given race time (ms), then ENDE.
    void runRace(const QList<int>& zeitMs)
    {
        answer = true;
        key(Qt::Key_F5);
        int last = 0;
        for (int ms : zeitMs) {
            counter.advanceMs(ms - last);
            last = ms;
            key(Qt::Key_F6);
        }
        key(Qt::Key_F8);
    }
    // Clicks assignment button k of time row n.
    void mark(int n, int k) { userClick(window->row(n)->buttons[k]); }

    // Writes data rows straight into a table (number, best lap), as earlier
    // entries would have left them.
    void fillTable(const QList<QPair<QString, QString>>& rows, int page = 0)
    {
        TSortGrid* g = grid(page);
        g->SetRowCount(int(rows.size()) + 1);
        for (int r = 0; r < rows.size(); ++r) {
            g->SetCells(1, r + 1, rows[r].first);
            g->SetCells(2, r + 1, QStringLiteral("00:00,00"));
            g->SetCells(6, r + 1, rows[r].second);
        }
    }
    QStringList column(int col, int page = -1)
    {
        QStringList texts;
        for (int r = 1; r < grid(page)->RowCount(); ++r)
            texts << cell(col, r, page);
        return texts;
    }
    QString backupPath() const { return QDir(backupDir()).filePath(QStringLiteral("Sicherung_2026-12-07.txt")); }
    // The backup is written on a worker: wait for it before looking.
    QByteArray readFile(const QString& path)
    {
        if (window)
            window->waitForBackup();
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QDateTime now{QDate(2026, 12, 7), QTime(7, 5)};
    // The window's own file dialogs instead of the recorded choices.
    bool realFileDialogs = false;
    QStringList messages;
    QStringList proposedNames;
    QString chosenFile;
    int chosenFilter = SaveChoice::kText;
    QStringList offeredFilters;
    int shownFilter = 0;
    QString backupDirOption;
};
