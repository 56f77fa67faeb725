#pragma once

#include "app/beeper.h"
#include "platform/counters.h"

#include <QString>
#include <atomic>
#include <functional>
#include <memory>

// A performance counter that only moves when a test moves it (1 GHz, like
// the real one, so one millisecond is 1 000 000 counts).
struct FakeCounter {
    // Atomic: the serial worker stamps edges with it from its own thread.
    std::atomic<qint64> now{5'000'000'000};
    void advanceMs(double ms) { now += qint64(ms * 1'000'000.0); }
    platform::CounterSource source();
};

// Counts beeps instead of playing them.
struct BeepLog {
    int loads = 0;
    int plays = 0;
    QString path;
    std::unique_ptr<TBeeper> make();
};

class QWidget;

// Shows a window and makes it the active one, so that its short-cut keys
// work; false when it did not become active.
bool showActive(QWidget* window);

// Answers the next modal dialog that opens by clicking the button with the
// given objectName ("OKBtn" or "CancelBtn"); call before the action that
// opens it.
void answerNextDialog(const QString& buttonName);
// Runs `act` on the next modal dialog once it is up (call before the action
// that opens it); `act` must close the dialog.
void onNextDialog(std::function<void(QWidget&)> act);

class QFileDialog;
class QLabel;

// Whether the label draws its text as it would as plain text: markup in it
// shows as typed.
bool drawnAsPlainText(QLabel* label);

// Waits for the next modal file dialog; `operate` plays the operator in it
// (looks at it, picks a type with the mouse), then the file name is typed
// into it and Return pressed. An empty name answers with Escape instead.
void answerNextFileDialog(const QString& fileName, std::function<void(QFileDialog&)> operate = {});
