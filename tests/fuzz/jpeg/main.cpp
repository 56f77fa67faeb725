// The logo beside the program: any bytes at all, a cut-off file, a forged header.
#include "app/jpegimage.h"
#include "support/check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<QImage> image = decodeJpeg(bytes, &error);
    if (!image) {
        FUZZ_CHECK(!error.isEmpty(), "a refused picture without a reason");
        return 0;
    }
    FUZZ_CHECK(!image->isNull(), "an empty picture reported as decoded");
    FUZZ_CHECK(image->width() <= kMaxJpegSide && image->height() <= kMaxJpegSide, "a picture beyond the side limit");
    FUZZ_CHECK(qint64(image->width()) * image->height() <= kMaxJpegPixels, "a picture beyond the pixel limit");
    // Decoding is deterministic: a pixel left unwritten would show here.
    const std::optional<QImage> again = decodeJpeg(bytes);
    FUZZ_CHECK(again && *again == *image, "the same bytes decode to another picture");
    // A file cut off anywhere is refused or decodes, never more than that.
    const qsizetype cut = bytes.size() / 2;
    if (const auto part = decodeJpeg(bytes.left(cut)))
        FUZZ_CHECK(part->size() == image->size(), "a cut-off file decodes at another size");
    return 0;
}
