#pragma once

// Input the way the window system delivers it. A key goes to the window that
// has the focus, runs the shortcut-override pass there and then reaches
// QApplication::focusWidget() (for an editable combo box that is the box,
// which hands the key to its line edit past any filter on that line edit).
// A click is a press and a release at a point of the window, so the widget
// under that point gets it as it would from a real mouse.

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;

// Presses and releases a key in the window that has the focus.
void userKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// Types text, one key per character.
void userType(const QString& text);
// Clicks the centre of `widget` (or `pos` inside it) through its window.
void userClick(QWidget* widget, Qt::MouseButton button = Qt::LeftButton, QPoint pos = QPoint(-1, -1));
// Only the press, or only the release (for buttons that act on the press).
void userPress(QWidget* widget, Qt::MouseButton button = Qt::LeftButton);
void userRelease(QWidget* widget, Qt::MouseButton button = Qt::LeftButton);
