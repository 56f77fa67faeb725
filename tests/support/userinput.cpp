#include "support/userinput.h"

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

QWindow* focusWindow()
{
    // A window manager gives the keyboard to a modal dialog as it opens; the
    // offscreen platform leaves that to whoever drives it.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        if (!modal->isActiveWindow()) {
            modal->activateWindow();
            QApplication::setActiveWindow(modal);
        }
        if (modal->windowHandle())
            return modal->windowHandle();
    }
    // A window system never gives keys to a hidden window (the progress
    // window that was just closed, say).
    if (QWindow* window = QGuiApplication::focusWindow(); window && window->isVisible())
        return window;
    if (QWidget* active = QApplication::activeWindow(); active && active->isVisible())
        return active->windowHandle();
    // When a dialog closes, a window manager gives the keyboard back to the
    // window left on screen; the offscreen platform leaves nobody with it.
    QWidget* shown = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible() || top->windowType() == Qt::Popup || top->windowType() == Qt::ToolTip)
            continue;
        if (shown)
            return nullptr;
        shown = top;
    }
    if (!shown)
        return nullptr;
    shown->activateWindow();
    QApplication::setActiveWindow(shown);
    return shown->windowHandle();
}

Qt::Key keyOf(QChar c)
{
    const QChar upper = c.toUpper();
    if ((upper >= QLatin1Char('A') && upper <= QLatin1Char('Z')) || (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
        || c == QLatin1Char(' '))
        return Qt::Key(upper.unicode());
    return Qt::Key_unknown;
}

// The point of `widget` in its top-level window, and that window.
QWindow* windowAt(QWidget* widget, QPoint pos, QPoint* where)
{
    if (pos == QPoint(-1, -1))
        pos = widget->rect().center();
    QWidget* top = widget->window();
    *where = widget->mapTo(top, pos);
    return top->windowHandle();
}

}  // namespace

void userKey(Qt::Key key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(focusWindow(), key, modifiers);
}

void userType(const QString& text)
{
    for (const QChar c : text) {
        const Qt::Key key = keyOf(c);
        const Qt::KeyboardModifiers modifiers = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        QTest::sendKeyEvent(QTest::Press, focusWindow(), key, QString(c), modifiers);
        QTest::sendKeyEvent(QTest::Release, focusWindow(), key, QString(c), modifiers);
    }
}

void userClick(QWidget* widget, Qt::MouseButton button, QPoint pos)
{
    QPoint where;
    QWindow* window = windowAt(widget, pos, &where);
    QTest::mouseClick(window, button, Qt::NoModifier, where);
}

void userPress(QWidget* widget, Qt::MouseButton button)
{
    QPoint where;
    QWindow* window = windowAt(widget, QPoint(-1, -1), &where);
    QTest::mousePress(window, button, Qt::NoModifier, where);
}

void userRelease(QWidget* widget, Qt::MouseButton button)
{
    QPoint where;
    QWindow* window = windowAt(widget, QPoint(-1, -1), &where);
    QTest::mouseRelease(window, button, Qt::NoModifier, where);
}
