#include "controls/bitbtnwithcolor.h"

#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QVariant>

namespace {

// The classic desktop's edge colours; the face itself is the button's Color.
const QColor kWindowFrame(0, 0, 0);
const QColor kHighlight(255, 255, 255);
const QColor kLight(227, 227, 227);
const QColor kDarkShadow(105, 105, 105);

constexpr int kKindGlyphSide = 18;
// Kind glyphs are drawn on olive and keyed on it, the way glyph bitmaps
// have always marked their transparent colour in the bottom-left pixel.
const QColor kKindGlyphKey(128, 128, 0);

std::function<void(int)>& helpHandler()
{
    static std::function<void(int)> handler;
    return handler;
}

QImage withoutKey(const QImage& source, const QColor& face)
{
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    const QRgb fill = face.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if (line[x] == key)
                line[x] = fill;
    }
    return image;
}

// The disabled look of a glyph that has no disabled image: every pixel that is
// not the key becomes a shadow, with a highlight one pixel down and right.
QImage embossed(const QImage& source, const QColor& face)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const QRgb key = image.pixel(0, image.height() - 1);
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(face);
    for (int pass = 0; pass < 2; ++pass) {
        const int offset = pass == 0 ? 1 : 0;
        const QRgb colour = pass == 0 ? kHighlight.rgb() : QColor(128, 128, 128).rgb();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixel(x, y) == key || x + offset >= image.width() || y + offset >= image.height())
                    continue;
                result.setPixel(x + offset, y + offset, colour);
            }
    }
    return result;
}

void drawKindSymbol(QPainter& p, TBitBtnWithColorKind kind, const QColor& ink)
{
    const auto pen = [&](int width) {
        QPen result(ink, width);
        result.setCapStyle(Qt::SquareCap);
        result.setJoinStyle(Qt::MiterJoin);
        p.setPen(result);
        p.setBrush(Qt::NoBrush);
    };
    switch (kind) {
    case bkOK:
    case bkYes:
    case bkAll:
        pen(3);
        p.drawPolyline(QPolygon({QPoint(3, 9), QPoint(7, 13), QPoint(14, 4)}));
        if (kind == bkAll)
            p.drawLine(QPoint(3, 16), QPoint(14, 16));
        break;
    case bkCancel:
    case bkNo:
        pen(3);
        p.drawLine(QPoint(4, 4), QPoint(13, 13));
        p.drawLine(QPoint(13, 4), QPoint(4, 13));
        break;
    case bkAbort:
        pen(2);
        p.drawEllipse(QRect(2, 2, 13, 13));
        p.drawLine(QPoint(6, 6), QPoint(11, 11));
        p.drawLine(QPoint(11, 6), QPoint(6, 11));
        break;
    case bkHelp: {
        pen(3);
        p.drawArc(QRect(5, 2, 8, 7), 180 * 16, -220 * 16);
        p.drawLine(QPoint(9, 9), QPoint(9, 11));
        p.fillRect(QRect(8, 14, 3, 3), ink);
        break;
    }
    case bkClose:
        pen(1);
        p.drawRect(QRect(4, 2, 9, 14));
        p.fillRect(QRect(5, 3, 8, 13), ink.darker(150));
        p.fillRect(QRect(10, 9, 2, 2), QColor(255, 255, 0));
        break;
    case bkRetry:
        pen(2);
        p.drawArc(QRect(3, 3, 12, 12), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(9, 0), QPoint(13, 3), QPoint(9, 6)}));
        break;
    case bkIgnore:
        pen(2);
        p.drawLine(QPoint(3, 9), QPoint(14, 9));
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPolygon(QPolygon({QPoint(10, 4), QPoint(15, 9), QPoint(10, 14)}));
        break;
    case bkCustom:
        break;
    }
}

QColor kindInk(TBitBtnWithColorKind kind)
{
    switch (kind) {
    case bkOK:
    case bkYes:
    case bkAll: return QColor(0, 128, 0);
    case bkCancel:
    case bkNo:
    case bkAbort: return QColor(192, 0, 0);
    case bkHelp:
    case bkRetry: return QColor(0, 0, 192);
    case bkClose: return QColor(128, 64, 0);
    case bkIgnore: return QColor(0, 96, 128);
    case bkCustom: break;
    }
    return QColor(0, 0, 0);
}

QPixmap drawKindGlyph(TBitBtnWithColorKind kind)
{
    // Two images: the kind's symbol and its greyed twin for a disabled button.
    QImage image(2 * kKindGlyphSide, kKindGlyphSide, QImage::Format_RGB888);
    image.fill(kKindGlyphKey);
    QPainter p(&image);
    drawKindSymbol(p, kind, kindInk(kind));
    p.translate(kKindGlyphSide + 1, 1);
    drawKindSymbol(p, kind, kHighlight);
    p.translate(-1, -1);
    drawKindSymbol(p, kind, QColor(128, 128, 128));
    p.end();
    return QPixmap::fromImage(image);
}

}  // namespace

ButtonContentLayout layOutGlyphAndCaption(const QRect& client, QSize glyph, QSize caption, TButtonLayout layout,
                                          int margin, int spacing)
{
    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    if (glyph.isEmpty())
        glyph = QSize(0, 0);
    if (caption.isEmpty())
        caption = QSize(0, 0);
    if (glyph.isEmpty() || caption.isEmpty())
        spacing = 0;

    // Across the layout direction both are centred.
    QPoint glyphPos;
    QPoint textPos;
    if (horizontal) {
        glyphPos.setY((client.height() - glyph.height() + 1) / 2);
        textPos.setY((client.height() - caption.height() + 1) / 2);
    } else {
        glyphPos.setX((client.width() - glyph.width() + 1) / 2);
        textPos.setX((client.width() - caption.width() + 1) / 2);
    }

    // Along it, margin -1 centres the pair, spacing -1 spreads it evenly.
    const int room = horizontal ? client.width() : client.height();
    const int glyphLength = horizontal ? glyph.width() : glyph.height();
    const int textLength = horizontal ? caption.width() : caption.height();
    if (margin == -1) {
        if (spacing == -1) {
            spacing = (room - glyphLength - textLength) / 3;
            margin = spacing;
        } else {
            const int total = glyphLength + textLength + (glyphLength && textLength ? spacing : 0);
            margin = (room - total + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (room - (margin + glyphLength) - textLength) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        glyphPos.setX(margin);
        textPos.setX(glyphPos.x() + glyphLength + spacing);
        break;
    case blGlyphRight:
        glyphPos.setX(room - margin - glyphLength);
        textPos.setX(glyphPos.x() - spacing - textLength);
        break;
    case blGlyphTop:
        glyphPos.setY(margin);
        textPos.setY(glyphPos.y() + glyphLength + spacing);
        break;
    case blGlyphBottom:
        glyphPos.setY(room - margin - glyphLength);
        textPos.setY(glyphPos.y() - spacing - textLength);
        break;
    }
    return {glyphPos + client.topLeft(), QRect(textPos + client.topLeft(), caption)};
}

void TButtonGlyph::assign(const QPixmap& bitmap, int numGlyphs, TColor face)
{
    m_images = {};
    if (bitmap.isNull() || numGlyphs < 1)
        return;
    const QImage whole = bitmap.toImage();
    const int width = whole.width() / numGlyphs;
    const QColor faceColour = toQColor(face);
    std::array<QImage, 4> parts;
    for (int i = 0; i < numGlyphs && i < 4; ++i)
        parts[i] = whole.copy(i * width, 0, width, whole.height());
    m_images[bsUp] = QPixmap::fromImage(withoutKey(parts[0], faceColour));
    m_images[bsDisabled] =
        QPixmap::fromImage(parts[1].isNull() ? embossed(parts[0], faceColour) : withoutKey(parts[1], faceColour));
    m_images[bsDown] = parts[2].isNull() ? m_images[bsUp] : QPixmap::fromImage(withoutKey(parts[2], faceColour));
    m_images[bsExclusive] = parts[3].isNull() ? m_images[bsDown] : QPixmap::fromImage(withoutKey(parts[3], faceColour));
}

TBitBtnWithColor::TBitBtnWithColor(QWidget* parent)
    : QPushButton(parent)
{
    // Connected first, so the kind acts before the program's own handlers run.
    connect(this, &QAbstractButton::clicked, this, &TBitBtnWithColor::actOnKind);
}

TBitBtnWithColor::~TBitBtnWithColor() = default;

QString TBitBtnWithColor::kindCaption(TBitBtnWithColorKind kind)
{
    switch (kind) {
    case bkOK: return QStringLiteral("OK");
    case bkCancel: return QStringLiteral("Abbrechen");
    case bkHelp: return QStringLiteral("&Hilfe");
    case bkYes: return QStringLiteral("&Ja");
    case bkNo: return QStringLiteral("&Nein");
    case bkClose: return QStringLiteral("&Schließen");
    case bkAbort: return QStringLiteral("Abbruch");
    case bkRetry: return QStringLiteral("&Wiederholen");
    case bkIgnore: return QStringLiteral("&Ignorieren");
    case bkAll: return QStringLiteral("&Alle");
    case bkCustom: break;
    }
    return QString();
}

int TBitBtnWithColor::kindModalResult(TBitBtnWithColorKind kind)
{
    switch (kind) {
    case bkOK: return mrOk;
    case bkCancel: return mrCancel;
    case bkYes: return mrYes;
    case bkNo: return mrNo;
    case bkAbort: return mrAbort;
    case bkRetry: return mrRetry;
    case bkIgnore: return mrIgnore;
    case bkAll: return mrAll;
    case bkCustom:
    case bkHelp:
    case bkClose: break;
    }
    return mrNone;
}

QPixmap TBitBtnWithColor::kindGlyph(TBitBtnWithColorKind kind)
{
    static std::array<QPixmap, bkAll + 1> shared;
    if (kind == bkCustom)
        return QPixmap();
    if (shared[kind].isNull())
        shared[kind] = drawKindGlyph(kind);
    return shared[kind];
}

void TBitBtnWithColor::setHelpHandler(std::function<void(int)> handler)
{
    helpHandler() = std::move(handler);
}

void TBitBtnWithColor::setColor(TColor value)
{
    if (value == m_color)
        return;
    m_color = value;
    rebuildGlyph();
    update();
}

void TBitBtnWithColor::setGlyph(const QPixmap& bitmap)
{
    m_glyphBitmap = bitmap;
    rebuildGlyph();
    update();
}

void TBitBtnWithColor::setKind(TBitBtnWithColorKind value)
{
    if (value == m_kind)
        return;
    m_kind = value;
    if (value == bkCustom)
        return;
    setDefault(value == bkOK || value == bkYes);
    setCancel(value == bkCancel || value == bkNo);
    m_modalResult = kindModalResult(value);
    setText(kindCaption(value));
    m_numGlyphs = 2;
    setGlyph(kindGlyph(value));
}

void TBitBtnWithColor::setLayout(TButtonLayout value)
{
    if (value == m_layout)
        return;
    m_layout = value;
    update();
}

void TBitBtnWithColor::setMargin(int value)
{
    if (value == m_margin || value < -1)
        return;
    m_margin = value;
    update();
}

void TBitBtnWithColor::setNumGlyphs(int value)
{
    value = std::clamp(value, 1, 4);
    if (value == m_numGlyphs)
        return;
    m_numGlyphs = value;
    rebuildGlyph();
    update();
}

void TBitBtnWithColor::setSpacing(int value)
{
    if (value == m_spacing)
        return;
    m_spacing = value;
    update();
}

void TBitBtnWithColor::setCancel(bool value)
{
    if (value == Cancel())
        return;
    if (value) {
        // Escape anywhere in the button's window clicks the cancel button.
        m_cancelShortcut = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        m_cancelShortcut->setContext(Qt::WindowShortcut);
        connect(m_cancelShortcut, &QShortcut::activated, this, [this] {
            if (isEnabled())
                click();
        });
    } else {
        delete m_cancelShortcut;
        m_cancelShortcut = nullptr;
    }
}

void TBitBtnWithColor::rebuildGlyph()
{
    m_glyph.assign(m_glyphBitmap, m_numGlyphs, m_color);
}

void TBitBtnWithColor::actOnKind()
{
    if (m_kind == bkHelp) {
        for (QWidget* w = this; w; w = w->parentWidget()) {
            const int context = w == this ? m_helpContext : w->property("HelpContext").toInt();
            if (context != 0) {
                if (helpHandler())
                    helpHandler()(context);
                break;
            }
        }
        return;
    }
    if (m_kind == bkClose) {
        window()->close();
        return;
    }
    if (m_modalResult != mrNone)
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(m_modalResult);
}

void TBitBtnWithColor::mousePressEvent(QMouseEvent* event)
{
    // Report the press first: the clock reads its tick in the handler, and the
    // button's own press handling must not come before it.
    m_pressInterrupted = false;
    if (isEnabled()) {
        m_reportingPress = true;
        emit mouseDown(event->button());
        m_reportingPress = false;
    }
    // A handler that disabled the button or asked a question took the mouse
    // away: the release will never come here, so the button must not go down
    // and stay drawn pressed.
    if (event->button() == Qt::LeftButton && isEnabled() && !m_pressInterrupted)
        QPushButton::mousePressEvent(event);
    else
        event->accept();
}

void TBitBtnWithColor::mouseReleaseEvent(QMouseEvent* event)
{
    if (m_actsOnPress && event->button() == Qt::LeftButton) {
        setDown(false);
        event->accept();
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

void TBitBtnWithColor::keyPressEvent(QKeyEvent* event)
{
    // Outside a dialog a push button ignores Enter; the operator is given the
    // focus on EINTRAGEN and NÄCHSTEN to press just that.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat()
        && event->modifiers() == Qt::NoModifier) {
        if (isEnabled())
            click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

bool TBitBtnWithColor::event(QEvent* event)
{
    if (m_reportingPress) {
        switch (event->type()) {
        case QEvent::FocusOut:
        case QEvent::WindowDeactivate:
        case QEvent::Hide:
            m_pressInterrupted = true;
            break;
        default:
            break;
        }
    }
    if (event->type() == QEvent::EnabledChange && !isEnabled() && isDown())
        setDown(false);
    return QPushButton::event(event);
}

void TBitBtnWithColor::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    const bool pressed = isDown();
    const bool focused = hasFocus();
    const QColor face = toQColor(m_color);

    if (focused || isDefault()) {
        p.setPen(kWindowFrame);
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }

    if (!pressed) {
        // A raised edge: light outer and white inner rim top-left, dark
        // outer and shadow inner rim bottom-right.
        const auto rim = [&](const QRect& e, const QColor& topLeft, const QColor& bottomRight) {
            p.setPen(topLeft);
            p.drawLine(e.topLeft(), e.topRight() - QPoint(1, 0));
            p.drawLine(e.topLeft(), e.bottomLeft() - QPoint(0, 1));
            p.setPen(bottomRight);
            p.drawLine(e.bottomLeft(), e.bottomRight());
            p.drawLine(e.topRight(), e.bottomRight());
        };
        rim(r, kLight, kDarkShadow);
        rim(r.adjusted(1, 1, -1, -1), kHighlight, toQColor(clBtnShadow));
        r.adjust(2, 2, -2, -2);
        p.setPen(face);
    } else {
        p.setPen(toQColor(clBtnShadow));
    }
    p.setBrush(face);
    p.drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
    if (focused)
        r = rect().adjusted(1, 1, -1, -1);

    p.setFont(font());
    if (pressed)
        r.translate(1, 1);

    const TButtonState state = !isEnabled() ? bsDisabled : pressed ? bsDown : bsUp;
    const QFontMetrics metrics(font());
    const QString caption = text();
    const QSize captionSize = caption.isEmpty()
        ? QSize()
        : QSize(metrics.horizontalAdvance(QString(caption).remove(QLatin1Char('&'))), metrics.height());
    const QPixmap& glyph = m_glyph.isEmpty() ? QPixmap() : m_glyph.image(state);
    const ButtonContentLayout where =
        layOutGlyphAndCaption(r, glyph.isNull() ? QSize() : glyph.size(), captionSize, m_layout, m_margin, m_spacing);
    if (!glyph.isNull())
        p.drawPixmap(where.glyph, glyph);
    if (!caption.isEmpty()) {
        const int flags = Qt::AlignCenter | Qt::TextShowMnemonic;
        if (!isEnabled()) {
            // The classic engraved caption of a disabled button.
            p.setPen(kHighlight);
            p.drawText(where.caption.translated(1, 1), flags, caption);
            p.setPen(toQColor(clBtnShadow));
        } else {
            p.setPen(palette().color(QPalette::ButtonText));
        }
        p.drawText(where.caption, flags, caption);
    }

    if (focused) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &p, this);
    }
}
