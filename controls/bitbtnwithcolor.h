#pragma once

#include "controls/tcolor.h"

#include <QPushButton>

// A push button whose face is painted in a chosen colour. The large command
// buttons of the main window use it; they act on the mouse button going down,
// so the press is reported as its own signal.
class TBitBtnWithColor : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtnWithColor(QWidget* parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }
    // A button that acts on the press (mouseDown) emits no clicked for the
    // mouse's release; Enter and Space still click it.
    bool actsOnPress() const { return m_actsOnPress; }
    void setActsOnPress(bool on) { m_actsOnPress = on; }

signals:
    // Any mouse button going down on an enabled button.
    void mouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    TColor m_color = clBtnFace;
    int m_tag = 0;
    bool m_actsOnPress = false;
    bool m_reportingPress = false;
    bool m_pressInterrupted = false;
};
