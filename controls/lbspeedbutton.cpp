#include "controls/lbspeedbutton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>

namespace {

const QColor kMagenta(255, 0, 255);

// The fade's steps on the user-interface thread: each tick is one step, so
// nothing the button holds is touched from anywhere else.
class TimerFadeTicker : public LbFadeTicker {
public:
    explicit TimerFadeTicker(std::function<void()> step)
    {
        m_timer.setInterval(TLbSpeedButton::kFadeStepMs);
        QObject::connect(&m_timer, &QTimer::timeout, [step = std::move(step)] { step(); });
    }
    void resume() override { m_timer.start(); }
    void suspend() override { m_timer.stop(); }
    bool running() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

struct ColourPreset {
    TColor face;
    TColor font;
    TColor light;
    TColor shadow;
    TColor hot;
    TColor down;
    bool flat;
    TLbSpeedButtonStyle style;
};

// One look per style; lcsCustom has none and changes nothing.
ColourPreset presetOf(TLbColorStyle style)
{
    switch (style) {
    case lcsGold:
        return {rgbColor(240, 196, 32), rgbColor(64, 40, 0), rgbColor(255, 238, 160), rgbColor(128, 90, 0),
                rgbColor(255, 220, 96), rgbColor(210, 160, 0), false, bsNormal};
    case lcsChrome:
        return {rgbColor(208, 212, 220), clBlack, clWhite, rgbColor(112, 116, 128), rgbColor(232, 236, 244),
                rgbColor(176, 180, 192), false, bsModern};
    case lcsBlue:
        return {rgbColor(40, 80, 160), clWhite, rgbColor(120, 160, 230), rgbColor(10, 30, 80), rgbColor(70, 120, 210),
                rgbColor(20, 50, 120), false, bsNormal};
    case lcsRed:
        return {rgbColor(176, 24, 24), clWhite, rgbColor(240, 110, 110), rgbColor(80, 0, 0), rgbColor(216, 48, 48),
                rgbColor(128, 16, 16), false, bsNormal};
    case lcsUltraFlat1:
        return {clBtnFace, clBlack, rgbColor(10, 36, 106), rgbColor(10, 36, 106), rgbColor(182, 189, 210),
                rgbColor(133, 146, 181), true, bsNormal};
    case lcsUltraFlat2:
        return {clWhite, clBlack, clGray, clGray, rgbColor(225, 230, 240), rgbColor(200, 210, 230), true, bsNormal};
    case lcsUltraFlatXP:
        return {clBtnFace, clBlack, rgbColor(49, 106, 197), rgbColor(49, 106, 197), rgbColor(193, 210, 238),
                rgbColor(152, 181, 226), true, bsNormal};
    case lcsAqua:
        return {rgbColor(150, 200, 255), rgbColor(0, 32, 96), rgbColor(220, 240, 255), rgbColor(40, 100, 180),
                rgbColor(180, 220, 255), rgbColor(110, 170, 240), false, bsModern};
    case lcsDefault:
        return {clBtnFace, clBtnText, clWhite, rgbColor(160, 160, 160), clNone, clNone, false, bsNormal};
    case lcsQuicken:
        return {rgbColor(248, 244, 232), clBlack, clWhite, rgbColor(96, 96, 96), rgbColor(255, 250, 220),
                rgbColor(230, 224, 200), false, bsQuicken};
    case lcsCustom:
        break;
    }
    return {};
}

QColor mixed(const QColor& from, const QColor& to, int parts, int of)
{
    const auto mix = [&](int a, int b) { return a + (b - a) * parts / of; };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// One image of a glyph strip with its bottom-left colour made see-through.
QImage glyphImage(const QPixmap& strip, int numGlyphs, int index)
{
    if (strip.isNull())
        return {};
    numGlyphs = std::max(1, numGlyphs);
    const int width = strip.width() / numGlyphs;
    QImage image =
        strip.toImage().copy(std::min(index, numGlyphs - 1) * width, 0, width, strip.height()).convertToFormat(
            QImage::Format_ARGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return image;
}

QImage greyed(QImage image)
{
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(line[x])) {
                const int g = 128 + qGray(line[x]) / 4;
                line[x] = qRgb(g, g, g);
            }
    }
    return image;
}

QPainterPath outline(const QRectF& r, TLbSpeedButtonStyle style)
{
    QPainterPath path;
    switch (style) {
    case bsModern:
    case bsQuicken: path.addRoundedRect(r, 4, 4); break;
    case bsShape: path.addEllipse(r); break;
    default: path.addRect(r); break;
    }
    return path;
}

// Light top-left and shadow bottom-right, or the other way round when
// sunken; `width` rims inside r.
void drawEdge(QPainter& p, QRect r, const QColor& topLeft, const QColor& bottomRight, int width)
{
    for (int i = 0; i < width; ++i) {
        p.setPen(topLeft);
        p.drawLine(r.topLeft(), r.topRight() - QPoint(1, 0));
        p.drawLine(r.topLeft(), r.bottomLeft() - QPoint(0, 1));
        p.setPen(bottomRight);
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        r.adjust(1, 1, -1, -1);
    }
}

void drawFrame(QPainter& p, const LbButtonLook& look, bool sunken)
{
    const QRect r(QPoint(0, 0), look.size);
    const QColor topLeft = sunken ? look.shadow : look.light;
    const QColor bottomRight = sunken ? look.light : look.shadow;
    if (look.style == bsNormal || look.style == bsEncarta || look.style == bsOld) {
        drawEdge(p, r, topLeft, bottomRight, look.style == bsOld ? 2 : 1);
        return;
    }
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(bottomRight, 1));
    p.drawPath(outline(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), look.style));
    p.setPen(QPen(topLeft, 1));
    p.drawPath(outline(QRectF(r).adjusted(1.5, 1.5, -1.5, -1.5), look.style));
    p.setRenderHint(QPainter::Antialiasing, false);
}

}  // namespace

QPixmap lbArrowGlyph()
{
    static const QPixmap arrow = [] {
        QImage image(5, 3, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int row = 0; row < 3; ++row)
            for (int x = row; x < 5 - row; ++x)
                image.setPixel(x, row, qRgb(0, 0, 0));
        return QPixmap::fromImage(image);
    }();
    return arrow;
}

QImage drawLbButton(const LbButtonLook& look)
{
    QImage image(look.size, QImage::Format_ARGB32);
    const bool keyed =
        look.transparent || look.style == bsModern || look.style == bsShape || look.style == bsQuicken;
    const QRect all(QPoint(0, 0), look.size);
    QPainter p(&image);

    // The hot look: full while the mouse is over the button, then the fade's
    // share of it. Down always wins.
    const int hotShare = look.enabled ? (look.hot ? TLbSpeedButton::kFadeSteps : look.fade) : 0;
    const bool down = look.down && look.enabled;
    QColor face = look.face;
    if (down && look.colorWhenDown != clNone)
        face = toQColor(look.colorWhenDown);
    else if (hotShare && look.hotTrack != clNone)
        face = mixed(face, toQColor(look.hotTrack), hotShare, TLbSpeedButton::kFadeSteps);

    // Opaque parts first, on magenta where the parent must show through.
    image.fill(keyed ? kMagenta : face);
    const bool fillFace = !look.transparent || down || (hotShare && look.hotTrack != clNone);
    if (fillFace && keyed) {
        p.setRenderHint(QPainter::Antialiasing, look.style != bsNormal);
        p.setPen(Qt::NoPen);
        p.setBrush(face);
        p.drawPath(outline(QRectF(all), look.transparent ? bsNormal : look.style));
        p.setRenderHint(QPainter::Antialiasing, false);
    }
    if (down)
        drawFrame(p, look, true);
    else if (!look.flat || look.style == bsQuicken)
        drawFrame(p, look, false);
    p.end();

    // The magenta rule: what is still magenta is the parent's.
    if (keyed) {
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                if (line[x] == kMagenta.rgba())
                    line[x] = 0;
        }
    }

    p.begin(&image);
    // A flat button's raised edge comes with the hot look and fades with it.
    if (look.flat && !down && hotShare && look.style != bsQuicken) {
        p.setOpacity(qreal(hotShare) / TLbSpeedButton::kFadeSteps);
        drawFrame(p, look, false);
        p.setOpacity(1);
    }

    QRect content = all.adjusted(2, 2, -2, -2);
    if (look.hasPopup) {
        const QPixmap arrow = lbArrowGlyph();
        p.drawPixmap(content.right() - arrow.width() - 1, (look.size.height() - arrow.height()) / 2, arrow);
        content.adjust(0, 0, -(arrow.width() + 3), 0);
    }
    if (down)
        content.translate(1, 1);

    // Images: 0 at rest, 1 hot (and down), 2 down, 3 disabled; a strip with
    // fewer falls back to the nearest it has, and disabled to a grey copy.
    const int n = std::max(1, look.numGlyphs);
    QImage rest = glyphImage(look.glyph, n, 0);
    QImage hot = n >= 2 ? glyphImage(look.glyph, n, 1) : QImage();
    QImage pressed = n >= 3 ? glyphImage(look.glyph, n, 2) : hot;
    if (!look.enabled)
        rest = n >= 4 ? glyphImage(look.glyph, n, 3) : greyed(rest);
    const QSize glyphSize = rest.isNull() ? QSize() : rest.size();

    const int textFlags = Qt::TextShowMnemonic | (look.wordWrap ? Qt::TextWordWrap : 0);
    const QFontMetrics metrics(look.font);
    QSize captionSize;
    if (!look.caption.isEmpty()) {
        const int room = (look.layout == blGlyphLeft || look.layout == blGlyphRight)
            ? content.width() - glyphSize.width() - 4
            : content.width();
        captionSize = metrics.boundingRect(QRect(0, 0, std::max(1, room), 1000), textFlags, look.caption).size();
    }
    ButtonContentLayout where = layOutGlyphAndCaption(content, glyphSize, captionSize, look.layout, -1, 4);
    if (!look.caption.isEmpty() && !(look.alignment & Qt::AlignHCenter)) {
        // The caption's alignment moves the whole glyph-and-caption block.
        const QRect block = where.caption.united(QRect(where.glyph, glyphSize));
        const int shift = (look.alignment & Qt::AlignRight) ? content.right() - block.right()
                                                            : content.left() - block.left();
        where.glyph.rx() += shift;
        where.caption.translate(shift, 0);
    }
    if (!rest.isNull()) {
        if (down && !pressed.isNull()) {
            p.drawImage(where.glyph, pressed);
        } else {
            p.drawImage(where.glyph, rest);
            if (!hot.isNull() && hotShare) {
                p.setOpacity(qreal(hotShare) / TLbSpeedButton::kFadeSteps);
                p.drawImage(where.glyph, hot);
                p.setOpacity(1);
            }
        }
    }
    if (!look.caption.isEmpty()) {
        p.setFont(look.font);
        p.setPen(look.enabled ? look.fontColour : QColor(128, 128, 128));
        p.drawText(where.caption, textFlags | Qt::AlignHCenter | Qt::AlignVCenter, look.caption);
    }
    return image;
}

TLbSpeedButton::TLbSpeedButton(QWidget* parent)
    : QToolButton(parent)
{
    resize(100, 23);
    m_hotTrackFont = parent ? parent->window()->font() : font();
    setAttribute(Qt::WA_Hover, false);
    m_fadeFactory = [](std::function<void()> step) { return std::make_unique<TimerFadeTicker>(std::move(step)); };
}

TLbSpeedButton::~TLbSpeedButton() = default;

void TLbSpeedButton::setAlignment(Qt::Alignment value)
{
    if (value == m_alignment)
        return;
    m_alignment = value;
    update();
}

TColor TLbSpeedButton::Color() const
{
    if (m_parentColor && parentWidget())
        return fromQColor(parentWidget()->palette().color(QPalette::Window));
    return m_color;
}

void TLbSpeedButton::setColor(TColor value)
{
    if (value == m_color && !m_parentColor)
        return;
    m_color = value;
    m_parentColor = false;
    update();
}

void TLbSpeedButton::setParentColor(bool value)
{
    if (value == m_parentColor)
        return;
    m_parentColor = value;
    update();
}

void TLbSpeedButton::setColorWhenDown(TColor value)
{
    if (value == m_colorWhenDown)
        return;
    m_colorWhenDown = value;
    update();
}

void TLbSpeedButton::setColorStyle(TLbColorStyle value)
{
    m_colorStyle = value;
    if (value == lcsCustom)
        return;
    const ColourPreset preset = presetOf(value);
    m_color = preset.face;
    m_parentColor = false;
    setFontColor(preset.font);
    m_lightColor = preset.light;
    m_shadowColor = preset.shadow;
    m_hotTrackColor = preset.hot;
    m_colorWhenDown = preset.down;
    m_flat = preset.flat;
    m_style = preset.style;
    update();
}

void TLbSpeedButton::setDown(bool value)
{
    if (value == m_down)
        return;
    m_down = value;
    QToolButton::setDown(value);
    // One down button per group and parent: the others come up.
    if (value && m_groupIndex != 0 && parentWidget()) {
        for (auto* other : parentWidget()->findChildren<TLbSpeedButton*>(Qt::FindDirectChildrenOnly))
            if (other != this && other->m_groupIndex == m_groupIndex)
                other->setDown(false);
    }
    update();
}

void TLbSpeedButton::setFlat(bool value)
{
    if (value == m_flat)
        return;
    m_flat = value;
    update();
}

void TLbSpeedButton::setGlyph(const QPixmap& value)
{
    m_glyph = value;
    update();
}

void TLbSpeedButton::setHotTrackColor(TColor value)
{
    if (value == m_hotTrackColor)
        return;
    m_hotTrackColor = value;
    update();
}

void TLbSpeedButton::setHotTrackFont(const QFont& value)
{
    m_hotTrackFont = value;
    update();
}

void TLbSpeedButton::setHotTrackFontColor(TColor value)
{
    if (value == m_hotTrackFontColor)
        return;
    m_hotTrackFontColor = value;
    update();
}

void TLbSpeedButton::setLayout(TLbSpeedButtonLayout value)
{
    if (value == m_layout)
        return;
    m_layout = value;
    update();
}

void TLbSpeedButton::setLightColor(TColor value)
{
    if (value == m_lightColor)
        return;
    m_lightColor = value;
    update();
}

void TLbSpeedButton::setNumGlyphs(int value)
{
    value = std::clamp(value, 1, 4);
    if (value == m_numGlyphs)
        return;
    m_numGlyphs = value;
    update();
}

void TLbSpeedButton::setShadowColor(TColor value)
{
    if (value == m_shadowColor)
        return;
    m_shadowColor = value;
    update();
}

void TLbSpeedButton::setSlowDecease(bool value)
{
    if (value == SlowDecease())
        return;
    if (value) {
        m_fadeTicker = m_fadeFactory([this] { fadeStep(); });
        return;
    }
    // Off ends any fade at once: the hot look is gone with the ticker.
    m_fade = 0;
    m_fadeTicker->suspend();
    m_fadeTicker.reset();
    update();
}

void TLbSpeedButton::setStyle(TLbSpeedButtonStyle value)
{
    if (value == m_style)
        return;
    m_style = value;
    update();
}

void TLbSpeedButton::setTransparent(bool value)
{
    if (value == m_transparent)
        return;
    m_transparent = value;
    update();
}

void TLbSpeedButton::setUseHotTrackFont(bool value)
{
    if (value == m_useHotTrackFont)
        return;
    m_useHotTrackFont = value;
    update();
}

void TLbSpeedButton::setWordWrap(bool value)
{
    if (value == m_wordWrap)
        return;
    m_wordWrap = value;
    update();
}

void TLbSpeedButton::setPopupMenu(QMenu* menu)
{
    if (menu == m_popupMenu)
        return;
    m_popupMenu = menu;
    update();
}

TColor TLbSpeedButton::FontColor() const
{
    return fromQColor(palette().color(QPalette::ButtonText));
}

void TLbSpeedButton::setFontColor(TColor value)
{
    QPalette colours = palette();
    colours.setColor(QPalette::ButtonText, toQColor(value));
    setPalette(colours);
}

void TLbSpeedButton::setFadeTickerFactory(LbFadeTickerFactory factory)
{
    m_fadeFactory = std::move(factory);
}

LbButtonLook TLbSpeedButton::look() const
{
    LbButtonLook l;
    l.size = size();
    l.alignment = m_alignment;
    l.caption = text();
    l.layout = m_layout;
    const bool hotFont = m_hot && m_useHotTrackFont;
    l.font = hotFont ? m_hotTrackFont : font();
    l.fontColour = hotFont ? toQColor(m_hotTrackFontColor) : palette().color(QPalette::ButtonText);
    l.shadow = toQColor(m_shadowColor);
    l.light = toQColor(m_lightColor);
    l.hotTrack = m_hotTrackColor;
    l.colorWhenDown = m_colorWhenDown;
    l.face = toQColor(Color());
    l.style = m_style;
    l.hasPopup = m_popupMenu != nullptr;
    l.wordWrap = m_wordWrap;
    l.flat = m_flat;
    l.enabled = isEnabled();
    l.transparent = m_transparent;
    l.hot = m_hot;
    l.down = m_down;
    l.glyph = m_glyph;
    l.numGlyphs = m_numGlyphs;
    l.fade = m_fade;
    return l;
}

void TLbSpeedButton::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, drawLbButton(look()));
}

bool TLbSpeedButton::reactsToHover() const
{
    return isEnabled() && isVisible() && parentWidget() && parentWidget()->isVisible();
}

void TLbSpeedButton::enterEvent(QEnterEvent* event)
{
    QToolButton::enterEvent(event);
    if (!reactsToHover())
        return;
    m_hot = true;
    m_fade = kFadeSteps;
    // Back under the mouse: the hot look holds until it leaves again.
    if (m_fadeTicker)
        m_fadeTicker->suspend();
    if (m_transparent)
        update();
    else
        repaint();
    emit mouseEnter();
}

void TLbSpeedButton::leaveEvent(QEvent* event)
{
    QToolButton::leaveEvent(event);
    m_hot = false;
    if (m_fadeTicker && m_fade > 0) {
        m_fadeTicker->resume();
    } else {
        m_fade = 0;
    }
    update();
    if (reactsToHover())
        emit mouseLeave();
}

void TLbSpeedButton::fadeStep()
{
    if (m_fade > 0)
        --m_fade;
    if (m_fade == 0 && m_fadeTicker)
        m_fadeTicker->suspend();
    update();
}

void TLbSpeedButton::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !isEnabled())
        return;
    m_pressed = true;
    if (m_groupIndex != 0 && m_down)
        setDown(!m_allowAllUp);
    else
        setDown(true);
}

void TLbSpeedButton::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void TLbSpeedButton::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (m_groupIndex == 0)
        setDown(false);
    if (!rect().contains(event->position().toPoint()) || !isEnabled())
        return;
    if (m_popupMenu)
        m_popupMenu->popup(mapToGlobal(QPoint(0, height())));
    emit clicked(m_down);
}
