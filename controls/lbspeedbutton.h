#pragma once

#include "controls/bitbtnwithcolor.h"
#include "controls/tcolor.h"

#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QToolButton>
#include <functional>
#include <memory>

#include <QMenu>

// "No colour": the hot and pressed looks keep the face colour.
constexpr TColor clNone = 536870911;

enum TLbColorStyle { lcsCustom, lcsGold, lcsChrome, lcsBlue, lcsRed, lcsUltraFlat1, lcsUltraFlat2, lcsUltraFlatXP,
                     lcsAqua, lcsDefault, lcsQuicken };
enum TLbSpeedButtonStyle { bsNormal, bsEncarta, bsModern, bsOld, bsShape, bsQuicken };
using TLbSpeedButtonLayout = TButtonLayout;

// What the hover fade runs on: resumed when the mouse leaves, it calls the
// step it was made with every 30 ms until suspended. The button makes one
// while SlowDecease is on; tests hand in one they step themselves.
class LbFadeTicker {
public:
    virtual ~LbFadeTicker() = default;
    virtual void resume() = 0;
    virtual void suspend() = 0;
    virtual bool running() const = 0;
};
using LbFadeTickerFactory = std::function<std::unique_ptr<LbFadeTicker>(std::function<void()> step)>;

// Everything the drawing needs, so one routine draws every style.
struct LbButtonLook {
    QSize size;
    Qt::Alignment alignment = Qt::AlignLeft;
    QString caption;
    TLbSpeedButtonLayout layout = blGlyphLeft;
    QFont font;
    QColor fontColour;
    QColor shadow;
    QColor light;
    TColor hotTrack = clNone;
    TColor colorWhenDown = clNone;
    QColor face;
    TLbSpeedButtonStyle style = bsNormal;
    bool hasPopup = false;
    bool wordWrap = false;
    bool flat = false;
    bool enabled = true;
    bool transparent = false;
    bool hot = false;
    bool down = false;
    QPixmap glyph;
    int numGlyphs = 1;
    int fade = 0;  // 0 … 8: how much of the hot look is left
};

// Draws the button into an image of its size. Magenta (255, 0, 255) is the
// transparent colour: transparent and shaped buttons start from it, and
// every magenta pixel left is see-through in the result.
QImage drawLbButton(const LbButtonLook& look);

// The small arrow shown when a popup menu is attached (5 x 3).
QPixmap lbArrowGlyph();

// A flat, optionally transparent tool button with a two-state glyph, hot
// tracking and a hover look that fades away after the mouse leaves.
class TLbSpeedButton : public QToolButton {
    Q_OBJECT
public:
    static constexpr int kFadeSteps = 8;
    static constexpr int kFadeStepMs = 30;

    explicit TLbSpeedButton(QWidget* parent = nullptr);
    ~TLbSpeedButton() override;

    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment value);
    bool AllowAllUp() const { return m_allowAllUp; }
    void setAllowAllUp(bool value) { m_allowAllUp = value; }
    TColor Color() const;
    void setColor(TColor value);
    bool ParentColor() const { return m_parentColor; }
    void setParentColor(bool value);
    TColor ColorWhenDown() const { return m_colorWhenDown; }
    void setColorWhenDown(TColor value);
    TLbColorStyle ColorStyle() const { return m_colorStyle; }
    void setColorStyle(TLbColorStyle value);
    bool Down() const { return m_down; }
    void setDown(bool value);
    bool Flat() const { return m_flat; }
    void setFlat(bool value);
    const QPixmap& Glyph() const { return m_glyph; }
    void setGlyph(const QPixmap& value);
    int GroupIndex() const { return m_groupIndex; }
    void setGroupIndex(int value) { m_groupIndex = value; }
    TColor HotTrackColor() const { return m_hotTrackColor; }
    void setHotTrackColor(TColor value);
    const QFont& HotTrackFont() const { return m_hotTrackFont; }
    void setHotTrackFont(const QFont& value);
    TColor HotTrackFontColor() const { return m_hotTrackFontColor; }
    void setHotTrackFontColor(TColor value);
    TLbSpeedButtonLayout Layout() const { return m_layout; }
    void setLayout(TLbSpeedButtonLayout value);
    TColor LightColor() const { return m_lightColor; }
    void setLightColor(TColor value);
    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int value);
    TColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(TColor value);
    bool SlowDecease() const { return m_fadeTicker != nullptr; }
    void setSlowDecease(bool value);
    TLbSpeedButtonStyle Style() const { return m_style; }
    void setStyle(TLbSpeedButtonStyle value);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool value);
    bool UseHotTrackFont() const { return m_useHotTrackFont; }
    void setUseHotTrackFont(bool value);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool value);
    QMenu* PopupMenu() const { return m_popupMenu; }
    void setPopupMenu(QMenu* menu);
    // The font colour (the button's text colour).
    TColor FontColor() const;
    void setFontColor(TColor value);

    bool isHot() const { return m_hot; }
    int fadeCounter() const { return m_fade; }
    // How SlowDecease makes its ticker; the default runs a 30 ms timer on
    // this thread. Set before SlowDecease is switched on.
    void setFadeTickerFactory(LbFadeTickerFactory factory);

    // The look the next paint draws.
    LbButtonLook look() const;

signals:
    void mouseEnter();
    void mouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fadeStep();
    bool reactsToHover() const;

    Qt::Alignment m_alignment = Qt::AlignLeft;
    bool m_allowAllUp = false;
    TColor m_color = clWindow;
    bool m_parentColor = true;
    TColor m_colorWhenDown = clNone;
    TLbColorStyle m_colorStyle = lcsCustom;
    bool m_down = false;
    bool m_flat = false;
    QPixmap m_glyph;
    int m_groupIndex = 0;
    TColor m_hotTrackColor = clNone;
    QFont m_hotTrackFont;
    TColor m_hotTrackFontColor = clWindowText;
    TLbSpeedButtonLayout m_layout = blGlyphLeft;
    TColor m_lightColor = clWhite;
    int m_numGlyphs = 1;
    TColor m_shadowColor = clBlack;
    TLbSpeedButtonStyle m_style = bsNormal;
    bool m_transparent = false;
    bool m_useHotTrackFont = false;
    bool m_wordWrap = false;
    QPointer<QMenu> m_popupMenu;

    bool m_hot = false;
    bool m_pressed = false;
    int m_fade = 0;
    LbFadeTickerFactory m_fadeFactory;
    std::unique_ptr<LbFadeTicker> m_fadeTicker;
};
