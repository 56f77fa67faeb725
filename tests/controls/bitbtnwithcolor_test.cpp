#include "controls/bitbtnwithcolor.h"

#include "support/fakes.h"
#include "support/testnames.h"
#include "support/userinput.h"

#include <QDialog>
#include <QImage>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

struct LayoutCase {
    const char* name;
    QRect client;
    QSize glyph;
    QSize caption;
    TButtonLayout layout;
    int margin;
    int spacing;
    QPoint glyphAt;
    QPoint captionAt;
};

class ButtonLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(ButtonLayoutTest, PlacesGlyphAndCaption)
{
    const auto& c = GetParam();
    const ButtonContentLayout l = layOutGlyphAndCaption(c.client, c.glyph, c.caption, c.layout, c.margin, c.spacing);
    EXPECT_EQ(l.glyph, c.glyphAt);
    EXPECT_EQ(l.caption.topLeft(), c.captionAt);
    EXPECT_EQ(l.caption.size(), c.caption.isEmpty() ? QSize(0, 0) : c.caption);
}

const QRect kWide(0, 0, 100, 30);
const QRect kTall(0, 0, 100, 60);
const QSize kGlyph(16, 16);
const QSize kText(40, 14);

INSTANTIATE_TEST_SUITE_P(Table, ButtonLayoutTest,
    ::testing::Values(
        LayoutCase{"left centred", kWide, kGlyph, kText, blGlyphLeft, -1, 4, {20, 7}, {40, 8}},
        LayoutCase{"right centred", kWide, kGlyph, kText, blGlyphRight, -1, 4, {64, 7}, {20, 8}},
        LayoutCase{"top centred", kTall, kGlyph, kText, blGlyphTop, -1, 4, {42, 13}, {30, 33}},
        LayoutCase{"bottom centred", kTall, kGlyph, kText, blGlyphBottom, -1, 4, {42, 31}, {30, 13}},
        LayoutCase{"left margin 5", kWide, kGlyph, kText, blGlyphLeft, 5, 4, {5, 7}, {25, 8}},
        LayoutCase{"right margin 5", kWide, kGlyph, kText, blGlyphRight, 5, 4, {79, 7}, {35, 8}},
        LayoutCase{"top margin 2 spacing 0", kTall, kGlyph, kText, blGlyphTop, 2, 0, {42, 2}, {30, 18}},
        LayoutCase{"spread evenly", kWide, kGlyph, kText, blGlyphLeft, -1, -1, {14, 7}, {44, 8}},
        LayoutCase{"margin 5 spacing spread", kWide, kGlyph, kText, blGlyphLeft, 5, -1, {5, 7}, {40, 8}},
        LayoutCase{"caption only has no spacing", kWide, QSize(), kText, blGlyphLeft, -1, 4, {30, 15}, {30, 8}},
        LayoutCase{"glyph only has no spacing", kWide, kGlyph, QSize(), blGlyphLeft, -1, 4, {42, 7}, {58, 15}},
        LayoutCase{"inside an offset client", QRect(3, 3, 100, 30), kGlyph, kText, blGlyphLeft, -1, 4, {23, 10},
                   {43, 11}}),
    testnames::caseNames([](const LayoutCase& c) { return c.name; }));

// Two 4 x 4 images side by side: red and blue, each with the olive key in its
// bottom-left pixel.
QPixmap twoImageGlyph()
{
    QImage image(8, 4, QImage::Format_RGB888);
    image.fill(QColor(255, 0, 0));
    for (int y = 0; y < 4; ++y)
        for (int x = 4; x < 8; ++x)
            image.setPixelColor(x, y, QColor(0, 0, 255));
    image.setPixelColor(0, 3, QColor(128, 128, 0));
    image.setPixelColor(4, 3, QColor(128, 128, 0));
    return QPixmap::fromImage(image);
}

QColor at(const QPixmap& pixmap, int x, int y) { return pixmap.toImage().pixelColor(x, y); }

TEST(BitBtnWithColorGlyph, StateImagesFollowTheFaceColour)
{
    TBitBtnWithColor button;
    button.setColor(clGreen);
    button.setNumGlyphs(2);
    button.setGlyph(twoImageGlyph());
    const TButtonGlyph& g = button.glyphImages();
    EXPECT_EQ(g.size(), QSize(4, 4));
    EXPECT_EQ(at(g.image(bsUp), 0, 3), QColor(0, 128, 0));
    EXPECT_EQ(at(g.image(bsUp), 1, 1), QColor(255, 0, 0));
    EXPECT_EQ(at(g.image(bsDisabled), 1, 1), QColor(0, 0, 255));
    EXPECT_EQ(at(g.image(bsDown), 1, 1), QColor(255, 0, 0));  // no down image: the up one

    button.setColor(clYellow);
    EXPECT_EQ(at(button.glyphImages().image(bsUp), 0, 3), QColor(255, 255, 0));
    EXPECT_EQ(at(button.glyphImages().image(bsDisabled), 0, 3), QColor(255, 255, 0));
}

TEST(BitBtnWithColorGlyph, OneImageIsEmbossedWhenDisabled)
{
    TBitBtnWithColor button;
    button.setGlyph(twoImageGlyph());  // NumGlyphs 1: the whole 8 x 4 is one image
    const TButtonGlyph& g = button.glyphImages();
    EXPECT_EQ(g.size(), QSize(8, 4));
    EXPECT_EQ(at(g.image(bsDisabled), 2, 2), QColor(128, 128, 128));
    EXPECT_EQ(at(g.image(bsDisabled), 3, 0), QColor(128, 128, 128));
    EXPECT_EQ(at(g.image(bsDisabled), 0, 3), QColor(240, 240, 240));  // the key stays face
}

struct KindCase {
    TBitBtnWithColorKind kind;
    const char* caption;
    bool isDefault;
    bool cancel;
    int modalResult;
};

class BitBtnKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(BitBtnKindTest, SetsCaptionRoleResultAndSharedGlyph)
{
    const auto& c = GetParam();
    TBitBtnWithColor a;
    TBitBtnWithColor b;
    a.setKind(c.kind);
    b.setKind(c.kind);
    EXPECT_EQ(a.text(), QString::fromUtf8(c.caption));
    EXPECT_EQ(a.isDefault(), c.isDefault);
    EXPECT_EQ(a.Cancel(), c.cancel);
    EXPECT_EQ(a.ModalResult(), c.modalResult);
    EXPECT_EQ(a.NumGlyphs(), 2);
    EXPECT_EQ(a.Glyph().size(), QSize(36, 18));
    EXPECT_EQ(a.Glyph().cacheKey(), b.Glyph().cacheKey());
    EXPECT_EQ(a.glyphImages().size(), QSize(18, 18));
}

INSTANTIATE_TEST_SUITE_P(Table, BitBtnKindTest,
    ::testing::Values(KindCase{bkOK, "OK", true, false, mrOk}, KindCase{bkCancel, "Abbrechen", false, true, mrCancel},
                      KindCase{bkHelp, "&Hilfe", false, false, mrNone}, KindCase{bkYes, "&Ja", true, false, mrYes},
                      KindCase{bkNo, "&Nein", false, true, mrNo}, KindCase{bkClose, "&Schließen", false, false, mrNone},
                      KindCase{bkAbort, "Abbruch", false, false, mrAbort},
                      KindCase{bkRetry, "&Wiederholen", false, false, mrRetry},
                      KindCase{bkIgnore, "&Ignorieren", false, false, mrIgnore},
                      KindCase{bkAll, "&Alle", false, false, mrAll}),
    testnames::caseNames([](const KindCase& c) { return c.caption; }));

TEST(BitBtnWithColorKind, CustomKeepsWhatWasSet)
{
    TBitBtnWithColor button;
    button.setText(QStringLiteral("START"));
    button.setKind(bkCustom);
    EXPECT_EQ(button.text(), QStringLiteral("START"));
    EXPECT_TRUE(button.Glyph().isNull());
    EXPECT_EQ(button.ModalResult(), mrNone);
}

struct DialogWithButtons {
    QDialog dialog;
    TBitBtnWithColor* ok = new TBitBtnWithColor(&dialog);
    TBitBtnWithColor* cancel = new TBitBtnWithColor(&dialog);
    DialogWithButtons()
    {
        auto* column = new QVBoxLayout(&dialog);
        column->addWidget(ok);
        column->addWidget(cancel);
        ok->setKind(bkOK);
        cancel->setKind(bkCancel);
    }
};

TEST(BitBtnWithColorKind, OkAndEscapeCloseTheDialogWithTheirResults)
{
    DialogWithButtons d;
    ASSERT_TRUE(showActive(&d.dialog));
    userClick(d.ok);
    EXPECT_FALSE(d.dialog.isVisible());
    EXPECT_EQ(d.dialog.result(), mrOk);

    QSignalSpy cancelled(d.cancel, &QAbstractButton::clicked);
    ASSERT_TRUE(showActive(&d.dialog));
    d.ok->setFocus();
    userKey(Qt::Key_Escape);
    EXPECT_EQ(cancelled.count(), 1);
    EXPECT_FALSE(d.dialog.isVisible());
    EXPECT_EQ(d.dialog.result(), mrCancel);
}

TEST(BitBtnWithColorKind, CloseClosesTheFormAndHelpAsksForTheNearestContext)
{
    QWidget form;
    form.setProperty("HelpContext", 42);
    auto* panel = new QWidget(&form);
    (new QVBoxLayout(&form))->addWidget(panel);
    auto* help = new TBitBtnWithColor(panel);
    auto* close = new TBitBtnWithColor(panel);
    auto* column = new QVBoxLayout(panel);
    column->addWidget(help);
    column->addWidget(close);
    help->setKind(bkHelp);
    close->setKind(bkClose);
    int asked = 0;
    TBitBtnWithColor::setHelpHandler([&](int context) { asked = context; });
    ASSERT_TRUE(showActive(&form));

    userClick(help);
    EXPECT_EQ(asked, 42);
    help->setHelpContext(7);
    userClick(help);
    EXPECT_EQ(asked, 7);

    userClick(close);
    EXPECT_FALSE(form.isVisible());
    TBitBtnWithColor::setHelpHandler(nullptr);
}

// The first pixel of `colour`, scanning rows from the top.
QPoint firstPixel(const QImage& image, const QColor& colour)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return {x, y};
    return {-1, -1};
}

TEST(BitBtnWithColorPaint, FaceEdgeFocusFrameAndPressedOffset)
{
    QWidget window;
    auto* button = new TBitBtnWithColor(&window);
    auto* other = new TBitBtnWithColor(&window);
    button->setGeometry(0, 0, 114, 35);
    other->setGeometry(0, 40, 114, 35);
    button->setColor(clGreen);
    button->setText(QStringLiteral("START"));
    QImage glyph(8, 8, QImage::Format_RGB888);
    glyph.fill(QColor(255, 0, 0));
    glyph.setPixelColor(0, 7, QColor(128, 128, 0));
    button->setGlyph(QPixmap::fromImage(glyph));
    ASSERT_TRUE(showActive(&window));
    other->setFocus();

    const QImage up = button->grab().toImage();
    EXPECT_EQ(up.pixelColor(0, 0), QColor(227, 227, 227));  // raised edge, no frame
    EXPECT_EQ(up.pixelColor(113, 34), QColor(105, 105, 105));
    EXPECT_EQ(up.pixelColor(4, 17), QColor(0, 128, 0));      // face

    button->setDown(true);
    const QImage down = button->grab().toImage();
    EXPECT_EQ(down.pixelColor(0, 0), QColor(160, 160, 160));  // shadow border instead of the edge
    EXPECT_EQ(firstPixel(down, QColor(255, 0, 0)), firstPixel(up, QColor(255, 0, 0)) + QPoint(1, 1));

    button->setDown(false);
    button->setFocus();
    const QImage focused = button->grab().toImage();
    EXPECT_EQ(focused.pixelColor(0, 0), QColor(0, 0, 0));
    EXPECT_EQ(focused.pixelColor(1, 1), QColor(227, 227, 227));

    other->setKind(bkOK);  // a default button is framed without the focus
    EXPECT_EQ(other->grab().toImage().pixelColor(0, 0), QColor(0, 0, 0));
}

}  // namespace
