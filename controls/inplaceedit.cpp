#include "controls/inplaceedit.h"

#include "controls/mycustomgrid.h"

#include <QDateTime>
#include <QKeyEvent>

TInplaceEdit::TInplaceEdit(TMyCustomGrid* grid, QWidget* parent) : QLineEdit(parent), m_grid(grid)
{
    setObjectName(QStringLiteral("InplaceEdit"));
    setFrame(false);
    hide();
}

void TInplaceEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        m_grid->editorKeyPress(event);
        return;
    default:
        QLineEdit::keyPressEvent(event);
    }
}

void TInplaceEdit::keyReleaseEvent(QKeyEvent* event)
{
    QLineEdit::keyReleaseEvent(event);
}

void TInplaceEdit::mousePressEvent(QMouseEvent* event)
{
    m_clickTime = QDateTime::currentMSecsSinceEpoch();
    QLineEdit::mousePressEvent(event);
}
