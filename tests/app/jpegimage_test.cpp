#include "app/jpegimage.h"

#include "support/testnames.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <jpeglib.h>

namespace {

// JPEGs are made here with libjpeg's own compressor, so the tests do not
// depend on which Qt image plugins the machine has.
QByteArray encodeJpeg(int width, int height, J_COLOR_SPACE space, int quality = 90)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(height);
    cinfo.input_components = space == JCS_GRAYSCALE ? 1 : space == JCS_CMYK ? 4 : 3;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(std::size_t(width) * std::size_t(cinfo.input_components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = int(cinfo.next_scanline);
        for (int x = 0; x < width; ++x) {
            JSAMPLE* px = &row[std::size_t(x) * std::size_t(cinfo.input_components)];
            if (space == JCS_RGB) {
                // Left half red, right half blue, with a vertical ramp in green.
                px[0] = x < width / 2 ? 230 : 10;
                px[1] = JSAMPLE(y * 40 / height);
                px[2] = x < width / 2 ? 10 : 230;
            } else if (space == JCS_GRAYSCALE) {
                px[0] = 128;
            } else {
                px[0] = px[1] = px[2] = px[3] = 255;  // Adobe-style: no ink at all
            }
        }
        JSAMPROW r = row.data();
        jpeg_write_scanlines(&cinfo, &r, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return out;
}

// Rewrites the frame size in the start-of-frame marker.
QByteArray withDeclaredSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto b = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && (b == 0xC0 || b == 0xC1 || b == 0xC2)) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    ADD_FAILURE() << "no frame marker";
    return jpeg;
}

class JpegFileTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& data)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(data);
        return path;
    }
    QTemporaryDir dir;
};

bool near(const QColor& c, int r, int g, int b, int tolerance = 24)
{
    return std::abs(c.red() - r) <= tolerance && std::abs(c.green() - g) <= tolerance
        && std::abs(c.blue() - b) <= tolerance;
}

TEST_F(JpegFileTest, DecodesColourPicture)
{
    const QString path = write(QStringLiteral("Logo.jpg"), encodeJpeg(64, 48, JCS_RGB));
    QString error;
    const auto image = loadJpegFile(path, &error);
    ASSERT_TRUE(image.has_value()) << error.toStdString();
    EXPECT_EQ(image->size(), QSize(64, 48));
    EXPECT_TRUE(near(image->pixelColor(8, 2), 230, 0, 10)) << image->pixelColor(8, 2).name().toStdString();
    EXPECT_TRUE(near(image->pixelColor(56, 46), 10, 40, 230)) << image->pixelColor(56, 46).name().toStdString();
}

TEST_F(JpegFileTest, DecodesGreyAndCmykPictures)
{
    const auto grey = decodeJpeg(encodeJpeg(16, 16, JCS_GRAYSCALE));
    ASSERT_TRUE(grey.has_value());
    EXPECT_TRUE(near(grey->pixelColor(5, 5), 128, 128, 128, 4));

    const auto cmyk = decodeJpeg(encodeJpeg(16, 8, JCS_CMYK));
    ASSERT_TRUE(cmyk.has_value());
    EXPECT_EQ(cmyk->size(), QSize(16, 8));
    EXPECT_TRUE(near(cmyk->pixelColor(3, 3), 255, 255, 255, 4)) << "no ink is white";
}

// A file cut off inside its image data decodes with a warning and grey fill;
// that is not a readable picture.
class TruncatedJpegTest : public ::testing::TestWithParam<int> {};

TEST_P(TruncatedJpegTest, Fails)
{
    const QByteArray full = encodeJpeg(120, 90, JCS_RGB);
    ASSERT_TRUE(decodeJpeg(full).has_value());
    const QByteArray cut = full.left(full.size() * GetParam() / 100);
    QString error;
    EXPECT_FALSE(decodeJpeg(cut, &error).has_value()) << "kept " << GetParam() << "%";
    EXPECT_FALSE(error.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(KeptPercent, TruncatedJpegTest, ::testing::Values(1, 10, 40, 75, 95),
                         testnames::caseNames([](int percent) { return "Kept" + std::to_string(percent) + "Percent"; }));

TEST_F(JpegFileTest, BadFilesFailCleanly)
{
    QString error;
    EXPECT_FALSE(loadJpegFile(write(QStringLiteral("empty.jpg"), {}), &error).has_value());
    EXPECT_FALSE(error.isEmpty());

    error.clear();
    EXPECT_FALSE(loadJpegFile(dir.filePath(QStringLiteral("missing.jpg")), &error).has_value());
    EXPECT_FALSE(error.isEmpty());

    EXPECT_FALSE(loadJpegFile(write(QStringLiteral("text.jpg"), "Klasse 1\r\nKlasse 2\r\n")).has_value());
    EXPECT_FALSE(loadJpegFile(write(QStringLiteral("png.jpg"),
                                    QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16))).has_value());
    // Only the start-of-image marker, then nothing.
    EXPECT_FALSE(decodeJpeg(QByteArray("\xFF\xD8", 2)).has_value());
    EXPECT_FALSE(decodeJpeg(QByteArray("\xFF\xD8\xFF\xD9", 4)).has_value());

    // A directory is no picture either.
    EXPECT_FALSE(loadJpegFile(dir.path()).has_value());
}

TEST(JpegGarbageTest, RandomBytesNeverDecode)
{
    QRandomGenerator rng(20160522);
    for (int round = 0; round < 50; ++round) {
        QByteArray junk(qsizetype(rng.bounded(1, 4096)), Qt::Uninitialized);
        for (auto& c : junk)
            c = char(rng.bounded(256));
        if (round % 2 == 0) {  // half of them look like a JPEG at first glance
            junk[0] = char(0xFF);
            junk[1] = char(0xD8);
        }
        EXPECT_FALSE(decodeJpeg(junk).has_value()) << "round " << round;
    }
    // A valid header followed by scrambled image data.
    QByteArray scrambled = encodeJpeg(64, 64, JCS_RGB);
    for (qsizetype i = scrambled.size() / 2; i < scrambled.size() - 2; i += 3)
        scrambled[i] = char(rng.bounded(256));
    EXPECT_FALSE(decodeJpeg(scrambled).has_value());
}

struct DeclaredSize {
    int width;
    int height;
    bool refusedBySize;
};

void PrintTo(const DeclaredSize& c, std::ostream* os)
{
    *os << c.width << " x " << c.height;
}

class DeclaredSizeTest : public ::testing::TestWithParam<DeclaredSize> {};

TEST_P(DeclaredSizeTest, HugeHeadersAreRefusedBeforeDecoding)
{
    const auto& c = GetParam();
    const QByteArray forged = withDeclaredSize(encodeJpeg(16, 16, JCS_RGB), c.width, c.height);
    QString error;
    EXPECT_FALSE(decodeJpeg(forged, &error).has_value());
    EXPECT_EQ(error.contains(QStringLiteral("too large")), c.refusedBySize) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, DeclaredSizeTest,
    ::testing::Values(
        DeclaredSize{20000, 20000, true},
        DeclaredSize{10001, 16, true},
        DeclaredSize{16, 10001, true},
        DeclaredSize{8000, 8001, true},     // 64.008 Mpixel
        DeclaredSize{10000, 6400, false},   // exactly 64 Mpixel: allowed, then the data runs out
        DeclaredSize{32, 32, false}),       // more pixels than data: a warning, still no picture
    testnames::caseNames([](const DeclaredSize& c) {
        return std::to_string(c.width) + "x" + std::to_string(c.height);
    }));

} // namespace
