#pragma once

#include "controls/tcolor.h"

#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <array>
#include <functional>

class QShortcut;

enum TBitBtnWithColorKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort, bkRetry, bkIgnore, bkAll };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

// The results a dialog gets back from the button that closed it.
enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
                    mrAll = 8 };

// Where the glyph and the caption go inside the face; pure so that each
// layout can be checked without painting.
struct ButtonContentLayout {
    QPoint glyph;    // top-left of the glyph image
    QRect caption;   // the caption's box, exactly as wide and high as its text
};
ButtonContentLayout layOutGlyphAndCaption(const QRect& client, QSize glyph, QSize caption, TButtonLayout layout,
                                          int margin, int spacing);

// The per-state images of a glyph that holds `numGlyphs` images side by
// side (up, disabled, down, exclusive). The bitmap's bottom-left pixel is its
// transparent colour; it is replaced by the face colour, so the images are
// built again whenever that colour changes. States the bitmap lacks fall
// back to the up image, and a missing disabled image is embossed from it.
class TButtonGlyph {
public:
    void assign(const QPixmap& bitmap, int numGlyphs, TColor face);
    bool isEmpty() const { return m_images[bsUp].isNull(); }
    QSize size() const { return m_images[bsUp].size(); }
    const QPixmap& image(TButtonState state) const { return m_images[state]; }

private:
    std::array<QPixmap, 4> m_images;
};

// A push button whose face is painted in a chosen colour, with an optional
// glyph. The large command buttons of the main window use it and act on the
// mouse button going down, so the press is reported as its own signal; the
// dialogs use its kinds (OK, cancel …) for caption, glyph and result.
class TBitBtnWithColor : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtnWithColor(QWidget* parent = nullptr);
    ~TBitBtnWithColor() override;

    TColor Color() const { return m_color; }
    void setColor(TColor value);
    const QPixmap& Glyph() const { return m_glyphBitmap; }
    void setGlyph(const QPixmap& bitmap);
    TBitBtnWithColorKind Kind() const { return m_kind; }
    void setKind(TBitBtnWithColorKind value);
    TButtonLayout Layout() const { return m_layout; }
    void setLayout(TButtonLayout value);
    int Margin() const { return m_margin; }
    void setMargin(int value);
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    int Spacing() const { return m_spacing; }
    void setSpacing(int value);
    TButtonStyle Style() const { return m_style; }
    void setStyle(TButtonStyle value) { m_style = value; }
    bool Cancel() const { return m_cancelShortcut != nullptr; }
    void setCancel(bool value);
    int ModalResult() const { return m_modalResult; }
    void setModalResult(int value) { m_modalResult = value; }
    int HelpContext() const { return m_helpContext; }
    void setHelpContext(int value) { m_helpContext = value; }
    int Tag() const { return m_tag; }
    void setTag(int value) { m_tag = value; }
    // A button that acts on the press (mouseDown) emits no clicked for the
    // mouse's release; Enter and Space still click it.
    bool actsOnPress() const { return m_actsOnPress; }
    void setActsOnPress(bool on) { m_actsOnPress = on; }

    // The images the face shows; exposed so the rebuild on a colour change
    // can be checked.
    const TButtonGlyph& glyphImages() const { return m_glyph; }

    // The kind's caption and its glyph bitmap (two images); the bitmap is
    // drawn once per process and shared by every button of that kind.
    static QString kindCaption(TBitBtnWithColorKind kind);
    static QPixmap kindGlyph(TBitBtnWithColorKind kind);
    static int kindModalResult(TBitBtnWithColorKind kind);
    // Shows a help topic; the program sets it, a bkHelp button calls it with
    // the help context of the nearest control that has one.
    static void setHelpHandler(std::function<void(int context)> handler);

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
    void rebuildGlyph();
    void actOnKind();

    TColor m_color = clBtnFace;
    QPixmap m_glyphBitmap;
    TButtonGlyph m_glyph;
    TBitBtnWithColorKind m_kind = bkCustom;
    TButtonLayout m_layout = blGlyphLeft;
    int m_margin = -1;
    int m_numGlyphs = 1;
    int m_spacing = 4;
    TButtonStyle m_style = bsAutoDetect;
    int m_modalResult = mrNone;
    int m_helpContext = 0;
    QShortcut* m_cancelShortcut = nullptr;
    int m_tag = 0;
    bool m_actsOnPress = false;
    bool m_reportingPress = false;
    bool m_pressInterrupted = false;
};
