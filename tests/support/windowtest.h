#pragma once

// The main window with the seams every window test replaces: a counter that
// moves only when the test moves it, counted beeps instead of sound, files
// read by fixed name from a temporary program folder, and questions recorded
// and answered with `answer` instead of the dialog. Fixtures add their own
// seams to windowOptions() before they make the window.

#include "app/formmain.h"
#include "support/fakes.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

class WindowTest : public ::testing::Test {
protected:
    // The window goes first: its seams call back into the fixture.
    void TearDown() override { window.reset(); }

    virtual QString programDir() const { return dir.path(); }

    FormMainOptions windowOptions()
    {
        FormMainOptions options;
        options.counters = counter.source();
        options.programDir = programDir();
        options.beeper = [this] { return beeps.make(); };
        if (!realQuestions) {
            options.ask = [this](const QString& question) {
                questions << question;
                return answer;
            };
        }
        return options;
    }

    template <typename T = QWidget>
    T* child(const char* name)
    {
        auto* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QTemporaryDir dir;
    FakeCounter counter;
    BeepLog beeps;
    bool answer = true;
    bool realQuestions = false;  // the question dialog itself asks
    QStringList questions;
    std::unique_ptr<TFormMain> window;
};
